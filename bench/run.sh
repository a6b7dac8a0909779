#!/usr/bin/env bash
# Measures vantor-tally on generated logs: one thread and all cores, the
# portable search, a player on few lines, against the same tally in mawk and
# against `wc -l`; the window's Go! on the same logs; then a folder with many
# distinct item names; then the scanner and store micro-benchmarks. Prints a
# short Markdown summary and the raw micro-benchmark lines. Run from
# anywhere; installs what it lacks (as root).
#
# Settings, from the environment:
#   BENCH_SIZE_MB          size of the generated logs, decimal MB   (1000)
#   BENCH_FILES            number of log files                      (20)
#   BENCH_SEED             generator seed                           (1)
#   BENCH_PLAYERS          distinct players                         (400)
#   BENCH_ITEMS            distinct item names                      (4000)
#   BENCH_MAIN_SHARE       share of lines of the main player        (0.30)
#   BENCH_PLAYER           main player ID                           (Alia)
#   BENCH_MINOR_PLAYER     a second player on few lines             (Tovren)
#   BENCH_MINOR_SHARE      that player's share of lines             (0.01)
#   BENCH_JOBS             --jobs of the parallel run               (nproc)
#   BENCH_RUNS             timed runs per command, best one kept    (3)
#   BENCH_LOG_DIR          where the logs go           (build/bench-logs)
#   BENCH_MANY_PICKUPS     taken records in the many-names folder,
#                          0 skips it                               (10000000)
#   BENCH_MANY_ITEMS       distinct item names there                (100000)
#   BENCH_MANY_FILES       number of log files there                (20)
#   BENCH_MANY_DIR         where they go          (build/bench-logs-many)
#   BENCH_SCAN_MIN_TIME    seconds per scanner benchmark, 0 skips   (0.1)
#   BENCH_STORE_MIN_TIME   seconds per store benchmark, 0 skips     (0.1)
#
# Each log folder is generated once and kept; a stamp file in it holds the
# settings and generator sources it came from.

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SIZE_MB=${BENCH_SIZE_MB:-1000}
FILES=${BENCH_FILES:-20}
SEED=${BENCH_SEED:-1}
PLAYERS=${BENCH_PLAYERS:-400}
ITEMS=${BENCH_ITEMS:-4000}
MAIN_SHARE=${BENCH_MAIN_SHARE:-0.30}
PLAYER=${BENCH_PLAYER:-Alia}
MINOR=${BENCH_MINOR_PLAYER:-Tovren}
MINOR_SHARE=${BENCH_MINOR_SHARE:-0.01}
JOBS=${BENCH_JOBS:-$(nproc)}
RUNS=${BENCH_RUNS:-3}
LOG_DIR=${BENCH_LOG_DIR:-$ROOT/build/bench-logs}
MANY_PICKUPS=${BENCH_MANY_PICKUPS:-10000000}
MANY_ITEMS=${BENCH_MANY_ITEMS:-100000}
MANY_FILES=${BENCH_MANY_FILES:-20}
MANY_DIR=${BENCH_MANY_DIR:-$ROOT/build/bench-logs-many}
# The many-names folder: mostly the main player's pickups, so that ten
# million records take about 1.2 GB rather than 5.
MANY_MAIN_SHARE=0.8
MANY_PICKUP_SHARE=0.8
SCAN_MIN_TIME=${BENCH_SCAN_MIN_TIME:-0.1}
STORE_MIN_TIME=${BENCH_STORE_MIN_TIME:-0.1}
BUILD=$ROOT/build/release

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

say() { printf '%s\n' "$*" >&2; }
die() { say "run.sh: $*"; exit 1; }

[[ $RUNS =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive whole number"
[[ $JOBS =~ ^[1-9][0-9]*$ ]] || die "BENCH_JOBS must be a positive whole number"
[[ $MANY_PICKUPS =~ ^[0-9]+$ ]] || die "BENCH_MANY_PICKUPS must be a whole number"

# --- tools -------------------------------------------------------------------
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/setup.sh" mawk time

# --- build -------------------------------------------------------------------
say "building the release preset (log: $BUILD/bench-build.log)"
mkdir -p "$BUILD"
if ! (cd "$ROOT" && cmake --preset release &&
      cmake --build --preset release -j2 --target vantor-tally vantor-genlogs store_bench scan_bench window_bench) \
        >"$TMP/build.log" 2>&1; then
    cp "$TMP/build.log" "$BUILD/bench-build.log" 2>/dev/null || true
    tail -n 30 "$TMP/build.log" >&2
    die "build failed"
fi
cp "$TMP/build.log" "$BUILD/bench-build.log"
TALLY=$BUILD/cli/vantor-tally
GENLOGS=$BUILD/bench/vantor-genlogs
STORE_BENCH=$BUILD/bench/store_bench
SCAN_BENCH=$BUILD/bench/scan_bench
WINDOW_BENCH=$BUILD/bench/window_bench

# --- logs --------------------------------------------------------------------
SOURCES=$(cat "$ROOT/bench/generate_logs.cpp" "$ROOT/bench/synth_data.h" | sha256sum | cut -c1-16)

# generate DIR GENLOGS_ARGS...: runs the generator into DIR unless DIR holds
# logs from the same arguments and sources. Its report stays in
# DIR/.bench-generated.
generate() {
    local dir=$1 stamp
    shift
    stamp="$* sources=$SOURCES"
    if [[ -f $dir/.bench-stamp && $(cat "$dir/.bench-stamp") == "$stamp" ]]; then
        say "reusing the logs in $dir"
        return
    fi
    say "generating logs in $dir: vantor-genlogs $*"
    mkdir -p "$dir"
    rm -f "$dir/.bench-stamp" "$dir/.bench-generated" "$dir"/ActionLog*.txt
    "$GENLOGS" "$@" "$dir" >"$dir/.bench-generated"
    cat "$dir/.bench-generated" >&2
    printf '%s\n' "$stamp" >"$dir/.bench-stamp"
}

# logs_of DIR: the logs of DIR, in the array LOGS, and their total size in BYTES.
logs_of() {
    shopt -s nullglob
    LOGS=("$1"/ActionLog*.txt)
    shopt -u nullglob
    ((${#LOGS[@]} > 0)) || die "no logs in $1"
    BYTES=$(stat -c %s "${LOGS[@]}" | awk '{ s += $1 } END { printf "%d", s }')
}

# generated DIR ROLE FIELD: from the generator's report on the main or minor
# player, its lines, share (percent of all lines), records or items.
generated() {
    sed -n "s/^$2 player .*: \([0-9]*\) lines (\([0-9.]*\)%), \([0-9]*\) \[Pickup\] records, \([0-9]*\) items picked up$/\1 \2 \3 \4/p" \
        "$1/.bench-generated" 2>/dev/null |
        awk -v f="$3" '{ print $(f == "lines" ? 1 : f == "share" ? 2 : f == "records" ? 3 : 4) }'
}

MAIN_ARGS=(--seed "$SEED" --size-mb "$SIZE_MB" --files "$FILES" --players "$PLAYERS" --items "$ITEMS"
           --main-share "$MAIN_SHARE" --main-player "$PLAYER")
if [[ -n $MINOR && $MINOR_SHARE != 0 ]]; then
    MAIN_ARGS+=(--minor-player "$MINOR" --minor-share "$MINOR_SHARE")
else
    MINOR=''
fi
generate "$LOG_DIR" "${MAIN_ARGS[@]}"
if ((MANY_PICKUPS > 0)); then
    generate "$MANY_DIR" --seed "$SEED" --pickups "$MANY_PICKUPS" --files "$MANY_FILES" --players "$PLAYERS" \
        --items "$MANY_ITEMS" --main-share "$MANY_MAIN_SHARE" --pickup-share "$MANY_PICKUP_SHARE" \
        --main-player "$PLAYER"
fi

# --- timing ------------------------------------------------------------------
FAILURES=()
fail_check() {
    FAILURES+=("$*")
    say "CHECK FAILED: $*"
}

# best_of NAME COMMAND...: runs COMMAND $RUNS times, stdout to $TMP/NAME.out;
# leaves the best wall time in seconds, the CPU time (user + system) of that
# run and the largest peak RSS in KiB in $TMP/NAME.time, .cpu and .rss.
# Every run must print the same bytes.
best_of() {
    local name=$1 i start end best='' cpu='' rss=0 t m user sys
    shift
    for ((i = 0; i < RUNS; i++)); do
        start=$(date +%s.%N)
        if ! /usr/bin/time -f '%M %U %S' -o "$TMP/$name.usage" "$@" >"$TMP/$name.out" 2>"$TMP/$name.err"; then
            cat "$TMP/$name.err" >&2
            die "$name failed: $*"
        fi
        end=$(date +%s.%N)
        t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
        read -r m user sys < <(tail -n 1 "$TMP/$name.usage")
        if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$t
            cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
        fi
        if ((m > rss)); then rss=$m; fi
        if ((i == 0)); then
            cp "$TMP/$name.out" "$TMP/$name.first"
        elif ! cmp -s "$TMP/$name.first" "$TMP/$name.out"; then
            fail_check "$name printed different output in run $((i + 1)) than in run 1: $*"
        fi
    done
    printf '%s\n' "$best" >"$TMP/$name.time"
    printf '%s\n' "$cpu" >"$TMP/$name.cpu"
    printf '%s\n' "$rss" >"$TMP/$name.rss"
}

# same_output A B LABEL: A's and B's output must be the same bytes; a
# difference is kept in $BUILD/bench-mismatch for a look.
same_output() {
    if cmp -s "$TMP/$1.out" "$TMP/$2.out"; then return; fi
    mkdir -p "$BUILD/bench-mismatch"
    cp "$TMP/$1.out" "$BUILD/bench-mismatch/$1.out"
    cp "$TMP/$2.out" "$BUILD/bench-mismatch/$2.out"
    fail_check "$3 (first difference at$(cmp "$TMP/$1.out" "$TMP/$2.out" 2>&1 | sed -n '1s/.* differ://p');" \
        "both outputs kept in $BUILD/bench-mismatch)"
}

# The tallies key names differently (vantor-tally's store finds a name inside
# an earlier one), but every quantity lands in some total once.
sum_totals() { awk -F'\t' '{ s += $NF; n++ } END { printf "%d %d\n", s, n }' "$1"; }

# cache_as_read FILES...: drops the files' pages from the page cache and
# reads them back in one pass, so that every command finds all of them
# cached, the same way each time. A page cache can hold part of a file: on a
# virtual machine that gives memory back to its host, pages of files not read
# for a while go, and a run that meets them reads from disk (see README).
cache_as_read() {
    sync "$@"
    local file
    for file in "$@"; do dd if="$file" iflag=nocache count=0 status=none; done
    cat "$@" >/dev/null
}

LOAD=$(cut -d' ' -f1 /proc/loadavg)
logs_of "$LOG_DIR"
MAIN_LOGS=("${LOGS[@]}")
MAIN_BYTES=$BYTES
say "reading the logs into the page cache"
cache_as_read "${MAIN_LOGS[@]}"

say "timing vantor-tally, mawk and wc -l, best of $RUNS"
query=(--player "$PLAYER" --action pickup)
best_of tally1 "$TALLY" --jobs 1 "${query[@]}" "$LOG_DIR"
best_of tallyN "$TALLY" --jobs "$JOBS" "${query[@]}" "$LOG_DIR"
best_of portable env VANTOR_PORTABLE=1 "$TALLY" --jobs 1 "${query[@]}" "$LOG_DIR"
if [[ -n $MINOR ]]; then
    best_of minor "$TALLY" --jobs 1 --player "$MINOR" --action pickup "$LOG_DIR"
fi
best_of mawk env LC_ALL=C mawk -v pid="$PLAYER" -v tag='[Pickup]' -f "$ROOT/bench/tally.awk" "${MAIN_LOGS[@]}"
best_of wc wc -l "${MAIN_LOGS[@]}"

same_output tally1 tallyN "--jobs 1 and --jobs $JOBS printed different output"
same_output tally1 portable "the portable search printed different output"
read -r tally_sum tally_names < <(sum_totals "$TMP/tally1.out")
read -r mawk_sum mawk_names < <(sum_totals "$TMP/mawk.out")
generated_sum=$(generated "$LOG_DIR" main items)
if ! [[ $tally_sum == "$mawk_sum" && $tally_sum == "${generated_sum:-$tally_sum}" ]]; then
    fail_check "vantor-tally sums to $tally_sum items, mawk to $mawk_sum, the generator wrote ${generated_sum:-?}"
fi
if [[ -n $MINOR ]]; then
    read -r minor_sum _ < <(sum_totals "$TMP/minor.out")
    minor_generated=$(generated "$LOG_DIR" minor items)
    minor_pct=$(generated "$LOG_DIR" minor share)
    if [[ $minor_sum != "${minor_generated:-$minor_sum}" ]]; then
        fail_check "vantor-tally sums $MINOR's pickups to $minor_sum items, the generator wrote ${minor_generated:-?}"
    fi
fi
LINES=$(awk '$2 == "total" { t = $1 } { s += $1 } END { printf "%d", t ? t : s }' "$TMP/wc.out")
main_pct=$(generated "$LOG_DIR" main share)

say "timing the window's Go!, best of $RUNS"
read -r window_time window_items < <(QT_QPA_PLATFORM=offscreen "$WINDOW_BENCH" "$LOG_DIR" "$PLAYER" "$RUNS" 2>"$TMP/window.err") ||
    { cat "$TMP/window.err" >&2; die "window_bench failed"; }
if [[ $window_items != "$tally_names" ]]; then
    fail_check "the window listed $window_items items, vantor-tally $tally_names"
fi

if ((MANY_PICKUPS > 0)); then
    logs_of "$MANY_DIR"
    MANY_BYTES=$BYTES
    MANY_COUNT=${#LOGS[@]}
    say "reading the logs into the page cache (many names)"
    cache_as_read "${LOGS[@]}"
    say "timing vantor-tally on $MANY_ITEMS item names, best of $RUNS"
    best_of many "$TALLY" --jobs 1 "${query[@]}" "$MANY_DIR"
    read -r many_sum many_entries < <(sum_totals "$TMP/many.out")
    many_generated=$(generated "$MANY_DIR" main items)
    many_records=$(generated "$MANY_DIR" main records)
    if [[ $many_sum != "${many_generated:-$many_sum}" ]]; then
        fail_check "vantor-tally sums the many-names folder to $many_sum items, the generator wrote ${many_generated:-?}"
    fi
fi

# --- micro-benchmarks ----------------------------------------------------------
SEARCH_PATH=$("$SCAN_BENCH" --search-path)
if [[ $SCAN_MIN_TIME != 0 ]]; then
    say "running scan_bench"
    scan_args=(--log "${MAIN_LOGS[0]}" --player "$PLAYER")
    [[ -z $MINOR ]] || scan_args+=(--minor-player "$MINOR")
    "$SCAN_BENCH" "${scan_args[@]}" --benchmark_min_time="$SCAN_MIN_TIME" >"$TMP/scan.txt" 2>"$TMP/scan.err" ||
        { cat "$TMP/scan.err" >&2; die "scan_bench failed"; }
fi
if [[ $STORE_MIN_TIME != 0 ]]; then
    say "running store_bench"
    "$STORE_BENCH" --benchmark_min_time="$STORE_MIN_TIME" >"$TMP/store.txt" 2>"$TMP/store.err" ||
        { cat "$TMP/store.err" >&2; die "store_bench failed"; }
fi

# --- report ------------------------------------------------------------------
cpu=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo)
mem=$(awk '/^MemTotal/ { printf "%.0f", $2 / 1048576 }' /proc/meminfo)
gxx=$(g++ -dumpfullversion 2>/dev/null || echo '?')
t() { cat "$TMP/$1.time"; }

row() {  # label name bytes
    awk -v label="$1" -v t="$(t "$2")" -v cpu="$(cat "$TMP/$2.cpu")" -v kib="$(cat "$TMP/$2.rss")" -v bytes="$3" \
        'BEGIN { printf "| %-58s | %8.3f | %7.2f | %7.0f | %13.1f |\n", label, t, cpu, bytes / 1e6 / t, kib * 1024 / 1e6 }'
}
header() {
    echo "| Command                                                    | Time (s) | CPU (s) |    MB/s | Peak RSS (MB) |"
    echo "|------------------------------------------------------------|---------:|--------:|--------:|--------------:|"
}

echo "Machine: $cpu, $(nproc) CPUs (nproc), $mem GiB RAM, Linux $(uname -r), g++ $gxx;" \
    "search path $SEARCH_PATH; load average $LOAD at the start (the machine may be shared)"
echo "Time is the best wall time; CPU is user + system time of that run; MB/s is decimal MB over wall time."
awk -v b="$MAIN_BYTES" -v f="${#MAIN_LOGS[@]}" -v l="$LINES" -v r="$RUNS" -v p="$PLAYER" -v s="${main_pct:-?}" \
    -v m="$MINOR" -v ms="${minor_pct:-?}" -v seed="$SEED" \
    'BEGIN {
        printf "Logs: %.0f MB in %d files, %.1f M lines (vantor-genlogs --seed %s): %s on %s%% of the lines", b / 1e6, f, l / 1e6, seed, p, s
        if (m != "") printf ", %s on %s%%", m, ms
        printf "; dropped from the page cache and read back once before timing; best of %d runs\n", r
    }'
echo
header
row "vantor-tally --jobs 1 --player $PLAYER --action pickup" tally1 "$MAIN_BYTES"
row "vantor-tally --jobs $JOBS (same query)" tallyN "$MAIN_BYTES"
row "VANTOR_PORTABLE=1 vantor-tally --jobs 1 (same query)" portable "$MAIN_BYTES"
if [[ -n $MINOR ]]; then
    row "vantor-tally --jobs 1 --player $MINOR ($minor_pct% of lines)" minor "$MAIN_BYTES"
fi
row "mawk -f bench/tally.awk (same query as --jobs 1)" mawk "$MAIN_BYTES"
row "wc -l" wc "$MAIN_BYTES"
echo
awk -v a="$(t tally1)" -v n="$(t tallyN)" -v m="$(t mawk)" -v w="$(t wc)" -v p="$(t portable)" -v j="$JOBS" \
    -v path="$SEARCH_PATH" \
    'BEGIN {
        printf "- `--jobs 1`: %.1fx the speed of mawk; %.2fx the time of `wc -l`.\n", m / a, a / w
        printf "- `--jobs %d`: %.2fx the speed of `--jobs 1`.\n", j, a / n
        printf "- Portable search: %.2fx the speed of the %s search.\n", a / p, path
    }'
awk -v t="$window_time" -v n="$window_items" -v p="$PLAYER" -v r="$RUNS" \
    'BEGIN { printf "- The window (offscreen): Go! with %s and Picked Up fills its list of %d items in %.3f s (best of %d).\n", p, n, t, r }'
if [[ -n $MINOR ]]; then
    awk -v a="$(t minor)" -v w="$(t wc)" -v p="$MINOR" -v s="$minor_pct" \
        'BEGIN { printf "- `--jobs 1` for %s (%s%% of the lines): %.2fx the time of `wc -l`.\n", p, s, a / w }'
fi
if ((${#FAILURES[@]} == 0)); then
    minor_check=''
    [[ -z $MINOR ]] || minor_check="; $MINOR's list sums to $minor_sum items, as generated"
    echo "- Check: \`--jobs 1\`, \`--jobs $JOBS\` and the portable search print the same bytes, every run;" \
        "both tallies sum to $tally_sum items, as generated ($tally_names names in vantor-tally's list," \
        "$mawk_names exact names in mawk's)$minor_check."
fi
if ((MANY_PICKUPS > 0)); then
    echo
    awk -v b="$MANY_BYTES" -v f="$MANY_COUNT" -v r="$many_records" -v i="$MANY_ITEMS" -v seed="$SEED" \
        'BEGIN { printf "Many item names: %.0f MB in %d files, %.2f M taken records over %d generated names (vantor-genlogs --seed %s --pickups %d --items %d)\n", b / 1e6, f, r / 1e6, i, seed, r, i }'
    echo
    header
    row "vantor-tally --jobs 1 --player $PLAYER --action pickup" many "$MANY_BYTES"
    echo
    many_check=''
    ((${#FAILURES[@]} > 0)) || many_check=", as generated"
    echo "- $many_entries entries in the list (a name found inside an earlier one adds to its entry);" \
        "they sum to $many_sum items$many_check."
fi
if ((${#FAILURES[@]} > 0)); then
    echo
    for f in "${FAILURES[@]}"; do echo "**CHECK FAILED:** $f"; done
fi

if [[ $SCAN_MIN_TIME != 0 ]]; then
    echo
    echo "Scanner micro-benchmarks (scan_bench ${scan_args[*]} --benchmark_min_time=$SCAN_MIN_TIME):"
    echo
    echo '```'
    cat "$TMP/scan.txt"
    echo '```'
fi
if [[ $STORE_MIN_TIME != 0 ]]; then
    echo
    echo "Store micro-benchmarks (store_bench --benchmark_min_time=$STORE_MIN_TIME):"
    echo
    echo '```'
    cat "$TMP/store.txt"
    echo '```'
fi
((${#FAILURES[@]} == 0))

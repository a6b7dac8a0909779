#!/usr/bin/env bash
# Measures vantor-tally on generated logs against the same tally in mawk and
# against `wc -l`, then runs the store micro-benchmarks, and prints a short
# Markdown summary. Run from anywhere; installs what it lacks (as root).
#
# Settings, from the environment:
#   BENCH_SIZE_MB          size of the generated logs, decimal MB   (1000)
#   BENCH_FILES            number of log files                      (20)
#   BENCH_SEED             generator seed                           (1)
#   BENCH_PLAYERS          distinct players                         (400)
#   BENCH_ITEMS            distinct item names                      (4000)
#   BENCH_MAIN_SHARE       share of lines of the main player        (0.30)
#   BENCH_PLAYER           main player ID                           (Alia)
#   BENCH_RUNS             timed runs per command, best one kept    (3)
#   BENCH_LOG_DIR          where the logs go           (build/bench-logs)
#   BENCH_STORE_MIN_TIME   seconds per store benchmark, 0 skips     (0.1)
#
# The logs are generated once and kept; a stamp file in the log folder holds
# the settings and generator sources they came from.

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SIZE_MB=${BENCH_SIZE_MB:-1000}
FILES=${BENCH_FILES:-20}
SEED=${BENCH_SEED:-1}
PLAYERS=${BENCH_PLAYERS:-400}
ITEMS=${BENCH_ITEMS:-4000}
MAIN_SHARE=${BENCH_MAIN_SHARE:-0.30}
PLAYER=${BENCH_PLAYER:-Alia}
RUNS=${BENCH_RUNS:-3}
LOG_DIR=${BENCH_LOG_DIR:-$ROOT/build/bench-logs}
STORE_MIN_TIME=${BENCH_STORE_MIN_TIME:-0.1}
BUILD=$ROOT/build/release

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

say() { printf '%s\n' "$*" >&2; }
die() { say "run.sh: $*"; exit 1; }

# --- tools -------------------------------------------------------------------
install_missing() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
    done
    if ((${#missing[@]} == 0)); then return; fi
    say "installing ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
    "${sudo[@]}" apt-get update -qq >/dev/null
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}
bash "$ROOT/scripts/setup.sh"
install_missing mawk time

# --- build -------------------------------------------------------------------
say "building the release preset (log: $BUILD/bench-build.log)"
mkdir -p "$BUILD"
if ! (cd "$ROOT" && cmake --preset release &&
      cmake --build --preset release -j2 --target vantor-tally vantor-genlogs store_bench) \
        >"$TMP/build.log" 2>&1; then
    cp "$TMP/build.log" "$BUILD/bench-build.log" 2>/dev/null || true
    tail -n 30 "$TMP/build.log" >&2
    die "build failed"
fi
cp "$TMP/build.log" "$BUILD/bench-build.log"
TALLY=$BUILD/cli/vantor-tally
GENLOGS=$BUILD/bench/vantor-genlogs
STORE_BENCH=$BUILD/bench/store_bench

# --- logs --------------------------------------------------------------------
stamp="seed=$SEED size-mb=$SIZE_MB files=$FILES players=$PLAYERS items=$ITEMS"
stamp+=" main-share=$MAIN_SHARE main-player=$PLAYER"
stamp+=" sources=$(cat "$ROOT/bench/generate_logs.cpp" "$ROOT/bench/synth_data.h" | sha256sum | cut -c1-16)"
if [[ -f $LOG_DIR/.bench-stamp && $(cat "$LOG_DIR/.bench-stamp") == "$stamp" ]]; then
    say "reusing the logs in $LOG_DIR"
else
    say "generating ${SIZE_MB} MB of logs in $LOG_DIR"
    mkdir -p "$LOG_DIR"
    rm -f "$LOG_DIR/.bench-stamp" "$LOG_DIR/.bench-generated" "$LOG_DIR"/ActionLog*.txt
    "$GENLOGS" --seed "$SEED" --size-mb "$SIZE_MB" --files "$FILES" --players "$PLAYERS" \
        --items "$ITEMS" --main-share "$MAIN_SHARE" --main-player "$PLAYER" "$LOG_DIR" \
        >"$LOG_DIR/.bench-generated"
    cat "$LOG_DIR/.bench-generated" >&2
    printf '%s\n' "$stamp" >"$LOG_DIR/.bench-stamp"
fi
shopt -s nullglob
LOGS=("$LOG_DIR"/ActionLog*.txt)
shopt -u nullglob
((${#LOGS[@]} > 0)) || die "no logs in $LOG_DIR"
BYTES=$(stat -c %s "${LOGS[@]}" | awk '{ s += $1 } END { printf "%d", s }')

say "warming the page cache"
cat "${LOGS[@]}" >/dev/null

# --- timing ------------------------------------------------------------------
# best_of NAME COMMAND...: runs COMMAND $RUNS times, stdout to $TMP/NAME.out;
# leaves the best wall time in seconds and the largest peak RSS in KiB in
# $TMP/NAME.time and $TMP/NAME.rss.
best_of() {
    local name=$1 i start end best='' rss=0 t m
    shift
    for ((i = 0; i < RUNS; i++)); do
        start=$(date +%s.%N)
        if ! /usr/bin/time -f '%M' -o "$TMP/$name.rss1" "$@" >"$TMP/$name.out" 2>"$TMP/$name.err"; then
            cat "$TMP/$name.err" >&2
            die "$name failed: $*"
        fi
        end=$(date +%s.%N)
        t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
        m=$(tail -n 1 "$TMP/$name.rss1")
        if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
        if ((m > rss)); then rss=$m; fi
    done
    printf '%s\n' "$best" >"$TMP/$name.time"
    printf '%s\n' "$rss" >"$TMP/$name.rss"
}

say "timing vantor-tally, mawk and wc -l, best of $RUNS"
best_of tally "$TALLY" --player "$PLAYER" --action pickup "$LOG_DIR"
best_of mawk env LC_ALL=C mawk -v pid="$PLAYER" -v tag='[Pickup]' -f "$ROOT/bench/tally.awk" "${LOGS[@]}"
best_of wc wc -l "${LOGS[@]}"

# The two tallies key names differently (vantor-tally's store finds a name
# inside an earlier one), but every quantity lands in some total once.
sum_totals() { awk -F'\t' '{ s += $NF; n++ } END { printf "%d %d\n", s, n }' "$1"; }
read -r tally_sum tally_names < <(sum_totals "$TMP/tally.out")
read -r mawk_sum mawk_names < <(sum_totals "$TMP/mawk.out")
# The generator counts what the main player picked up, "Ore C." excluded.
generated_sum=$(sed -n 's/.* \([0-9][0-9]*\) items picked up$/\1/p' "$LOG_DIR/.bench-generated" 2>/dev/null || true)
LINES=$(awk '$2 == "total" { t = $1 } { s += $1 } END { printf "%d", t ? t : s }' "$TMP/wc.out")

# --- report ------------------------------------------------------------------
cpu=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo)
mem=$(awk '/^MemTotal/ { printf "%.0f", $2 / 1048576 }' /proc/meminfo)
gxx=$(g++ -dumpfullversion 2>/dev/null || echo '?')
t_tally=$(cat "$TMP/tally.time")
t_mawk=$(cat "$TMP/mawk.time")
t_wc=$(cat "$TMP/wc.time")

row() {  # label name
    awk -v label="$1" -v t="$(cat "$TMP/$2.time")" -v kib="$(cat "$TMP/$2.rss")" -v bytes="$BYTES" \
        'BEGIN { printf "| %-46s | %8.3f | %7.0f | %13.1f |\n", label, t, bytes / 1e6 / t, kib * 1024 / 1e6 }'
}

echo "Machine: $cpu, $(nproc) CPUs (nproc), $mem GiB RAM, Linux $(uname -r), g++ $gxx"
awk -v b="$BYTES" -v f="${#LOGS[@]}" -v l="$LINES" -v r="$RUNS" -v p="$PLAYER" -v s="$MAIN_SHARE" -v seed="$SEED" \
    'BEGIN { printf "Logs: %.0f MB in %d files, %.1f M lines (vantor-genlogs --seed %s, %.0f%% of lines by %s); page cache warm; best of %d runs\n", b / 1e6, f, l / 1e6, seed, s * 100, p, r }'
echo
echo "| Command                                        | Time (s) |    MB/s | Peak RSS (MB) |"
echo "|------------------------------------------------|---------:|--------:|--------------:|"
row "vantor-tally --player $PLAYER --action pickup" tally
row "mawk -f bench/tally.awk (same tally)" mawk
row "wc -l" wc
echo
awk -v a="$t_tally" -v m="$t_mawk" -v w="$t_wc" \
    'BEGIN { printf "vantor-tally: %.1fx the speed of mawk; %.2fx the time of wc -l.\n", m / a, a / w }'
check_ok=false
if [[ $tally_sum == "$mawk_sum" && $tally_sum == "${generated_sum:-$tally_sum}" ]]; then
    check_ok=true
    echo "Check: both tallies sum to $tally_sum items, as generated ($tally_names names in vantor-tally's list, $mawk_names exact names in mawk's)."
else
    echo "CHECK FAILED: vantor-tally sums to $tally_sum items, mawk to $mawk_sum, the generator wrote ${generated_sum:-?}."
fi

if [[ $STORE_MIN_TIME != 0 ]]; then
    echo
    echo "Store micro-benchmarks (store_bench --benchmark_min_time=$STORE_MIN_TIME):"
    echo
    echo '```'
    "$STORE_BENCH" --benchmark_min_time="$STORE_MIN_TIME" 2>"$TMP/store.err" ||
        { cat "$TMP/store.err" >&2; die "store_bench failed"; }
    echo '```'
fi
$check_ok

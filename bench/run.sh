#!/usr/bin/env bash
# Times vantor-tally on two generated log folders against ripgrep and
# `wc -l`, and the window's Go!, and prints a Markdown table with the goals
# each figure is held to. The folders: 16 logs of 1 GB in all, and 30,000
# logs of 4 KB (120 MB). Every command runs under hyperfine (warm-up runs,
# then timed runs; the table gives the mean) with the logs in the page
# cache; peak resident memory is /usr/bin/time's, one run each.
# vantor-tally.exe under Wine joins when the Windows build is there
# (bash scripts/test-windows.sh --build-only). Run from anywhere; installs
# what it lacks (as root).
#
# Settings, from the environment:
#   BENCH_QUICK=1        a quarter of the sizes and 3 runs: a look in a minute or two
#   BENCH_SIZE_MB        size of the large folder, decimal MB           (1000)
#   BENCH_FILES          logs in it                                     (16)
#   BENCH_SMALL_LOGS     logs of 4 KB in the small folder, 0 skips it   (30000)
#   BENCH_RUNS           timed runs per command                         (10)
#   BENCH_WARMUP         warm-up runs per command                       (2)
#   BENCH_SEED           generator seed                                 (1)
#   BENCH_PLAYER         the player on 30% of the lines                 (Alia)
#   BENCH_RARE_PLAYER    the player on 1% of the lines                  (Tovren)
#   BENCH_WINE           0 leaves vantor-tally.exe under Wine out       (1)
#   BENCH_SCAN_MIN_TIME  seconds per scan_bench case, 0 skips them      (0.1)
#
# Each folder is generated once and kept (build/bench-logs, build/bench-small,
# with -quick for BENCH_QUICK);
# a stamp file in it holds the settings and generator sources it came from.

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUICK=${BENCH_QUICK:-0}
if [[ $QUICK == 1 ]]; then
    SIZE_MB=${BENCH_SIZE_MB:-250} SMALL_LOGS=${BENCH_SMALL_LOGS:-7500} RUNS=${BENCH_RUNS:-3}
else
    SIZE_MB=${BENCH_SIZE_MB:-1000} SMALL_LOGS=${BENCH_SMALL_LOGS:-30000} RUNS=${BENCH_RUNS:-10}
fi
FILES=${BENCH_FILES:-16}
WARMUP=${BENCH_WARMUP:-2}
SEED=${BENCH_SEED:-1}
PLAYER=${BENCH_PLAYER:-Alia}
RARE=${BENCH_RARE_PLAYER:-Tovren}
WINE=${BENCH_WINE:-1}
SCAN_MIN_TIME=${BENCH_SCAN_MIN_TIME:-0.1}
suffix=$([[ $QUICK == 1 ]] && echo -quick || true)
LARGE=$ROOT/build/bench-logs$suffix
SMALL=$ROOT/build/bench-small$suffix
BUILD=$ROOT/build/release
WINDOWS_EXE=$ROOT/build/windows-cross/cli/vantor-tally.exe

TMP=$(mktemp -d)
WINE_STARTED=0
trap 'rm -rf "$TMP"; if [[ $WINE_STARTED == 1 ]]; then wineserver -k 2>/dev/null || true; fi' EXIT

say() { printf '%s\n' "$*" >&2; }
die() { say "run.sh: $*"; exit 1; }

[[ $RUNS =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive whole number"
[[ $SMALL_LOGS =~ ^[0-9]+$ ]] || die "BENCH_SMALL_LOGS must be a whole number"

# --- tools and build -----------------------------------------------------------
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/setup.sh" hyperfine ripgrep time
say "building the release preset (log: $BUILD/bench-build.log)"
mkdir -p "$BUILD"
if ! (cd "$ROOT" && cmake --preset release &&
      cmake --build --preset release -j2 --target vantor-tally vantor-genlogs scan_bench window_bench) \
        >"$TMP/build.log" 2>&1; then
    cp "$TMP/build.log" "$BUILD/bench-build.log" 2>/dev/null || true
    tail -n 30 "$TMP/build.log" >&2
    die "build failed"
fi
cp "$TMP/build.log" "$BUILD/bench-build.log"
TALLY=$BUILD/cli/vantor-tally
GENLOGS=$BUILD/bench/vantor-genlogs
SCAN_BENCH=$BUILD/bench/scan_bench
WINDOW_BENCH=$BUILD/bench/window_bench
if [[ $WINE == 1 && -x $WINDOWS_EXE ]] && command -v wine >/dev/null; then
    export WINEPREFIX=$ROOT/build/windows-cross/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
else
    WINE=0
fi

# --- logs ----------------------------------------------------------------------
SOURCES=$(cat "$ROOT/bench/generate_logs.cpp" "$ROOT/bench/synth_data.h" | sha256sum | cut -c1-16)

# generate DIR GENLOGS_ARGS...: runs the generator into DIR unless DIR holds
# logs from the same arguments and sources; its report stays in
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
    rm -rf "$dir"
    mkdir -p "$dir"
    "$GENLOGS" "$@" "$dir" >"$dir/.bench-generated"
    cat "$dir/.bench-generated" >&2
    printf '%s\n' "$stamp" >"$dir/.bench-stamp"
}

common=(--seed "$SEED" --players 400 --items 4000 --main-share 0.30 --main-player "$PLAYER"
        --minor-player "$RARE" --minor-share 0.01)
generate "$LARGE" "${common[@]}" --size-mb "$SIZE_MB" --files "$FILES"
if ((SMALL_LOGS > 0)); then
    generate "$SMALL" "${common[@]}" --size-mb "$(awk -v n="$SMALL_LOGS" 'BEGIN { print n * 0.004 }')" \
        --files "$SMALL_LOGS"
fi

# The logs are dropped from the page cache and read back in one pass, so
# that every command finds all of them cached, the same way each time: on a
# virtual machine that gives memory back to its host, pages of files not
# read for a while go.
cache_as_read() {
    (cd "$1" && find . -name 'ActionLog*.txt' -exec dd iflag=nocache count=0 status=none if={} \; &&
        find . -name 'ActionLog*.txt' -exec cat {} + >/dev/null)
}

# --- timing ----------------------------------------------------------------------
FAILURES=()
check() {  # a result that is wrong, not slow
    FAILURES+=("$*")
    say "CHECK FAILED: $*"
}

# timed NAME COMMAND: hyperfine's mean, standard deviation, user and system
# time in seconds into $TMP/NAME.times, the output of one run in $TMP/NAME.out.
timed() {
    local name=$1 command=$2
    say "timing $name: $command"
    bash -c "$command" >"$TMP/$name.out" 2>"$TMP/$name.err" || { cat "$TMP/$name.err" >&2; die "$name failed"; }
    hyperfine --style none --warmup "$WARMUP" --runs "$RUNS" --export-csv "$TMP/$name.csv" "$command" >/dev/null 2>&1 ||
        die "hyperfine failed on $command"
    awk -F, 'NR == 2 { print $2, $3, $5, $6 }' "$TMP/$name.csv" >"$TMP/$name.times"
}

# peak NAME COMMAND: the peak resident memory of one run, in MB.
peak() {
    /usr/bin/time -f %M -o "$TMP/$1.kib" bash -c "exec $2" >/dev/null 2>&1 || die "$1 failed"
    awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' "$TMP/$1.kib" >"$TMP/$1.rss"
}

# window NAME FOLDER: the window's Go! (offscreen), its mean over $RUNS presses.
window() {
    say "timing $1: the window's Go! on $2"
    QT_QPA_PLATFORM=offscreen "$WINDOW_BENCH" "$2" "$PLAYER" "$RUNS" >"$TMP/$1.window" 2>"$TMP/$1.err" ||
        { cat "$TMP/$1.err" >&2; die "window_bench failed"; }
    read -r mean items <"$TMP/$1.window"
    printf '%s 0 0 0\n' "$mean" >"$TMP/$1.times"
    [[ $items == $(wc -l <"$TMP/${1%window}1.out") ]] || check "the window listed $items items, vantor-tally $(wc -l <"$TMP/${1%window}1.out")"
}

mean() { cut -d' ' -f1 "$TMP/$1.times"; }

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
q=(--player "$PLAYER" --action pickup)
say "reading $LARGE into the page cache"
cache_as_read "$LARGE"
timed large1 "$TALLY --jobs 1 ${q[*]} $LARGE"
timed large2 "$TALLY --jobs 2 ${q[*]} $LARGE"
timed largeRare "$TALLY --jobs 1 --player $RARE --action pickup $LARGE"
timed largeRgRead "rg --no-mmap -j1 -c $RARE $LARGE"
timed largeRgMap "rg --mmap -j1 -c $RARE $LARGE"
timed largeWc "cd $LARGE && wc -l ActionLog*.txt"
timed largePlayers "$TALLY --jobs 1 --players $LARGE"
timed largeLedger "$TALLY --jobs 1 --player $PLAYER --action all $LARGE"
window largewindow "$LARGE"
if [[ $WINE == 1 ]]; then
    wineserver -p 2>/dev/null || true  # one server for every run, as on a desktop
    WINE_STARTED=1
    timed largeWineStart "wine $WINDOWS_EXE --version"
    timed largeWine "wine $WINDOWS_EXE --jobs 1 ${q[*]} Z:$LARGE"
    tr -d '\r' <"$TMP/largeWine.out" | cmp -s - "$TMP/large1.out" || check "vantor-tally.exe printed other totals than vantor-tally"
fi
peak large1 "$TALLY --jobs 1 ${q[*]} $LARGE"
peak largeDefault "$TALLY ${q[*]} $LARGE"
cmp -s "$TMP/large1.out" "$TMP/large2.out" || check "--jobs 1 and --jobs 2 printed different totals on $LARGE"
sum=$(awk -F'\t' '{ s += $NF } END { print s }' "$TMP/large1.out")
generated=$(sed -n 's/^main player .* \([0-9]*\) items picked up$/\1/p' "$LARGE/.bench-generated")
[[ $sum == "$generated" ]] || check "vantor-tally sums $PLAYER's pickups to $sum, the generator wrote $generated"
WAY=$("$SCAN_BENCH" --way "$LARGE/ActionLog0001.txt")

if ((SMALL_LOGS > 0)); then
    say "reading $SMALL into the page cache"
    cache_as_read "$SMALL"
    timed small1 "$TALLY --jobs 1 ${q[*]} $SMALL"
    timed small2 "$TALLY --jobs 2 ${q[*]} $SMALL"
    timed smallRgRead "rg --no-mmap -j1 -c $RARE $SMALL"
    window smallwindow "$SMALL"
    peak smallDefault "$TALLY ${q[*]} $SMALL"
    cmp -s "$TMP/small1.out" "$TMP/small2.out" || check "--jobs 1 and --jobs 2 printed different totals on $SMALL"
fi
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

# --- report ------------------------------------------------------------------------
cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)
row() {  # folder, label, name
    read -r m s u y <"$TMP/$3.times"
    awk -v f="$1" -v l="$2" -v m="$m" -v s="$s" -v u="$u" -v y="$y" -v r="$(cat "$TMP/$3.rss" 2>/dev/null)" \
        'BEGIN { printf "| %s | %s | %.3f ± %.3f | %s | %s | %s |\n", f, l, m, s,
                 (u > 0 ? sprintf("%.3f", u) : ""), (y > 0 ? sprintf("%.3f", y) : ""), r }'
}
goal() {  # text, value, comparison (le or ge), bound
    awk -v t="$1" -v v="$2" -v c="$3" -v b="$4" \
        'BEGIN { ok = c == "le" ? v <= b : v >= b
                 printf "- %s: %.2f (goal %s %s): %s\n", t, v, (c == "le" ? "at most" : "at least"), b, (ok ? "met" : "missed") }'
}
ratio() { awk -v a="$(mean "$1")" -v b="$(mean "$2")" 'BEGIN { printf "%.3f", a / b }'; }
large_mb=$(du -sm --apparent-size "$LARGE" | cut -f1)

echo "Machine: $cpu, $(nproc) CPUs, $(awk '/^MemTotal/ { printf "%.0f", $2 / 1048576 }' /proc/meminfo) GiB," \
    "Linux $(uname -r); search path $("$SCAN_BENCH" --search-path); large logs $WAY (measured by the reader);" \
    "load average $LOAD_BEFORE before, $LOAD_AFTER after."
echo "hyperfine, $WARMUP warm-up and $RUNS timed runs each, logs in the page cache; mean ± standard deviation."
echo
echo "| Folder | Command | Mean (s) | User (s) | System (s) | Peak RSS (MB) |"
echo "|---|---|---:|---:|---:|---:|"
L="$FILES logs, $large_mb MB"
row "$L" "\`vantor-tally --jobs 1 --player $PLAYER\` (30% of the lines)" large1
row "$L" "\`vantor-tally --jobs 2\`, same query" large2
awk -v l="$L" -v r="$(cat "$TMP/largeDefault.rss")" 'BEGIN { printf "| %s | `vantor-tally` (default jobs: %s), same query | | | | %s |\n", l, '"$(nproc)"', r }'
row "$L" "\`vantor-tally --jobs 1 --player $RARE\` (1% of the lines)" largeRare
row "$L" "\`rg --no-mmap -j1 -c $RARE\`" largeRgRead
row "$L" "\`rg --mmap -j1 -c $RARE\`" largeRgMap
row "$L" "\`wc -l\`" largeWc
row "$L" "\`vantor-tally --jobs 1 --players\` (every line's player)" largePlayers
row "$L" "\`vantor-tally --jobs 1 --player $PLAYER --action all\` (the four actions)" largeLedger
row "$L" "the window's Go! ($PLAYER, offscreen)" largewindow
if [[ $WINE == 1 ]]; then
    row "$L" "\`wine vantor-tally.exe --version\` (Wine's start)" largeWineStart
    row "$L" "\`wine vantor-tally.exe --jobs 1 --player $PLAYER\`" largeWine
fi
if ((SMALL_LOGS > 0)); then
    S="$SMALL_LOGS logs of 4 KB"
    row "$S" "\`vantor-tally --jobs 1 --player $PLAYER\`" small1
    row "$S" "\`vantor-tally --jobs 2\`, same query" small2
    awk -v l="$S" -v r="$(cat "$TMP/smallDefault.rss")" 'BEGIN { printf "| %s | `vantor-tally` (default jobs), same query | | | | %s |\n", l, r }'
    row "$S" "\`rg --no-mmap -j1 -c $RARE\`" smallRgRead
    row "$S" "the window's Go! ($PLAYER, offscreen)" smallwindow
fi
echo
goal "$RARE \`--jobs 1\` over \`rg --no-mmap -j1 -c\`" "$(ratio largeRare largeRgRead)" le 1.0
goal "$PLAYER \`--jobs 1\` over \`wc -l\`" "$(ratio large1 largeWc)" le 1.7
goal "\`--jobs 1\` over \`--jobs 2\`, large logs" "$(ratio large1 large2)" ge 1.8
goal "peak RSS at the default jobs, MB" "$(cat "$TMP/largeDefault.rss")" le 16
goal "the window over \`--jobs 1\`, large logs" "$(ratio largewindow large1)" le 1.2
echo "- the players of the logs (\`--players\`) over a tally (\`--jobs 1 --player $PLAYER\`): $(ratio largePlayers large1)"
echo "- the four actions (\`--action all\`) over a tally of one: $(ratio largeLedger large1)"
if ((SMALL_LOGS > 0)); then
    goal "\`--jobs 1\` over \`--jobs 2\`, small logs" "$(ratio small1 small2)" ge 1.0
    goal "the window over \`--jobs 1\`, small logs" "$(ratio smallwindow small1)" le 1.5
    goal "peak RSS at the default jobs, small logs, MB" "$(cat "$TMP/smallDefault.rss")" le 16
fi
if [[ $WINE == 1 ]]; then
    goal "\`vantor-tally.exe --jobs 1\` under Wine over the Linux build" "$(ratio largeWine large1)" le 1.5
fi
for f in "${FAILURES[@]}"; do echo "**CHECK FAILED:** $f"; done

if [[ $SCAN_MIN_TIME != 0 ]]; then
    echo
    echo "Reader micro-benchmarks (scan_bench --log $LARGE/ActionLog0001.txt --minor-player $RARE):"
    echo
    echo '```'
    "$SCAN_BENCH" --log "$LARGE/ActionLog0001.txt" --player "$PLAYER" --minor-player "$RARE" \
        --benchmark_min_time="$SCAN_MIN_TIME" 2>/dev/null | grep -E '^(Benchmark|FindRecords|ProcessLogFile|-)'
    echo '```'
fi
((${#FAILURES[@]} == 0))

#!/usr/bin/env bash
# The Win32 window's Go! under Wine against vantor-tally.exe's analysis of
# the same folder: 16 generated logs of 1 GB in all (the large folder of
# bench/run.sh, shared with it). In ROUNDS rounds, one after the other so
# that a spell of load elsewhere on the machine falls on all three alike:
# `wine vantor-tally.exe --version` (Wine's start), `wine vantor-tally.exe
# --player PLAYER` and win32_window_bench (the real window: Go! by BM_CLICK
# until the list is filled, a message sent to it every 10 ms meanwhile and
# its answer timed), each RUNS times. Prints the minimum, median and maximum
# of each, vantor-tally.exe's analysis as its time less the median start,
# and the two goals: the window within 1.2 times that analysis, every
# message answered within 0.25 s. Run from anywhere; installs what it lacks
# (as root).
#
# Settings, from the environment:
#   BENCH_ROUNDS   rounds                           (3)
#   BENCH_RUNS     runs of each command per round   (3)
#   BENCH_ASK_MS   the window is sent a message every so many ms (10)
#   BENCH_EARLIER  another build of win32_window_bench.exe (of an earlier
#                  commit, say), timed the same way in each round and reported beside
#   BENCH_SIZE_MB, BENCH_FILES, BENCH_SEED, BENCH_PLAYER: as for bench/run.sh

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ROUNDS=${BENCH_ROUNDS:-3}
RUNS=${BENCH_RUNS:-3}
ASK_MS=${BENCH_ASK_MS:-10}
SIZE_MB=${BENCH_SIZE_MB:-1000}
FILES=${BENCH_FILES:-16}
SEED=${BENCH_SEED:-1}
PLAYER=${BENCH_PLAYER:-Alia}
LARGE=$ROOT/build/bench-logs
CROSS=$ROOT/build/windows-cross
TALLY_EXE=$CROSS/cli/vantor-tally.exe
WINDOW_EXE=$CROSS/bench/win32_window_bench.exe

say() { printf '%s\n' "$*" >&2; }
die() { say "win32-window.sh: $*"; exit 1; }
[[ $ROUNDS =~ ^[1-9][0-9]*$ && $RUNS =~ ^[1-9][0-9]*$ ]] || die "BENCH_ROUNDS and BENCH_RUNS must be positive whole numbers"

TMP=$(mktemp -d)
export WINEPREFIX=$CROSS/wine-prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
trap 'rm -rf "$TMP"; wineserver -k 2>/dev/null || true' EXIT

# --- builds: the Windows programs, and the log generator for Linux ----------------
say "building the Windows programs (bash scripts/test-windows.sh --build-only)"
bash "$ROOT/scripts/test-windows.sh" --build-only >"$TMP/cross.log" 2>&1 || { tail -n 30 "$TMP/cross.log" >&2; die "cross build failed"; }
[[ -x $WINDOW_EXE ]] || die "$WINDOW_EXE was not built"
bash "$ROOT/scripts/setup.sh" wine wine64 fonts-wine
bash "$ROOT/scripts/setup.sh"
(cd "$ROOT" && cmake --preset release && cmake --build --preset release -j2 --target vantor-genlogs) \
    >"$TMP/build.log" 2>&1 || { tail -n 30 "$TMP/build.log" >&2; die "build failed"; }
GENLOGS=$ROOT/build/release/bench/vantor-genlogs

# --- the logs, as bench/run.sh makes them (the same stamp: either reuses them) ------
SOURCES=$(cat "$ROOT/bench/generate_logs.cpp" "$ROOT/bench/synth_data.h" | sha256sum | cut -c1-16)
args=(--seed "$SEED" --players 400 --items 4000 --main-share 0.30 --main-player "$PLAYER"
      --minor-player Tovren --minor-share 0.01 --size-mb "$SIZE_MB" --files "$FILES")
stamp="${args[*]} sources=$SOURCES"
if [[ -f $LARGE/.bench-stamp && $(cat "$LARGE/.bench-stamp") == "$stamp" ]]; then
    say "reusing the logs in $LARGE"
else
    say "generating logs in $LARGE"
    rm -rf "$LARGE"
    mkdir -p "$LARGE"
    "$GENLOGS" "${args[@]}" "$LARGE" >"$LARGE/.bench-generated"
    printf '%s\n' "$stamp" >"$LARGE/.bench-stamp"
fi

# --- Wine: the tests' prefix (null display driver, Wine's fonts), one server ------
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    say "creating a Wine prefix in $WINEPREFIX"
    wine wineboot --init 2>&1 | grep -v syswow64 >&2 || true
    wineserver -w
fi
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -p 2>/dev/null || true  # one server for every run, as on a desktop (2: one runs already)

# All of the logs in the page cache, read back in one pass (see bench/run.sh).
(cd "$LARGE" && find . -name 'ActionLog*.txt' -exec dd iflag=nocache count=0 status=none if={} \; &&
    find . -name 'ActionLog*.txt' -exec cat {} + >/dev/null)

# --- timing --------------------------------------------------------------------
seconds() {  # COMMAND...: its wall time in seconds, its output in $TMP/out
    local start end
    start=$(date +%s%N)
    "$@" >"$TMP/out" 2>"$TMP/err" || { cat "$TMP/err" >&2; die "$* failed"; }
    end=$(date +%s%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f\n", (e - s) / 1e9 }'
}
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
wine "$TALLY_EXE" --version >/dev/null  # warms Wine up
for ((round = 1; round <= ROUNDS; ++round)); do
    say "round $round of $ROUNDS"
    for ((run = 0; run < RUNS; ++run)); do seconds wine "$TALLY_EXE" --version >>"$TMP/start"; done
    for ((run = 0; run < RUNS; ++run)); do
        seconds wine "$TALLY_EXE" --player "$PLAYER" "Z:$LARGE" >>"$TMP/tally"
        tr -d '\r' <"$TMP/out" >"$TMP/tally.out"
    done
    for name in window ${BENCH_EARLIER:+earlier}; do
        exe=$WINDOW_EXE
        [[ $name == earlier ]] && exe=$BENCH_EARLIER
        wine "$exe" "Z:$LARGE" "$PLAYER" "$RUNS" "$ASK_MS" >"$TMP/window.out" 2>"$TMP/err" ||
            { cat "$TMP/err" >&2; die "$exe failed"; }
        tr -d '\r' <"$TMP/window.out" | tee -a "$TMP/$name.log" >&2
    done
done
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)
for name in window ${BENCH_EARLIER:+earlier}; do
    sed -n 's/^run .*list \([0-9.]*\) s.*/\1/p' "$TMP/$name.log" >"$TMP/$name"
    sed -n 's/^run .*slowest answer \([0-9.]*\) ms.*/\1/p' "$TMP/$name.log" >"$TMP/$name.answer"
done
items=$(sed -n 's/^run .* s, \([0-9]*\) items.*/\1/p' "$TMP/window.log" | sort -u)
[[ $items == $(wc -l <"$TMP/tally.out") ]] || die "the window listed $items items, vantor-tally.exe $(wc -l <"$TMP/tally.out")"

# --- report --------------------------------------------------------------------
stats() {  # FILE: "min median max" of its numbers
    sort -g "$1" | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
                                         printf "%.3f %.3f %.3f\n", v[1], m, v[NR] }'
}
read -r _ start_median _ < <(stats "$TMP/start")
awk -v s="$start_median" '{ printf "%.4f\n", $1 - s }' "$TMP/tally" >"$TMP/analysis"
row() {  # label, file
    read -r lo mid hi < <(stats "$2")
    printf '| %s | %s | %s | %s |\n' "$1" "$lo" "$mid" "$hi"
}
echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) CPUs, $(wine --version);" \
    "load average $LOAD_BEFORE before, $LOAD_AFTER after; $ROUNDS rounds of $RUNS runs each;" \
    "$FILES logs, $(du -sm --apparent-size "$LARGE" | cut -f1) MB, $items items for $PLAYER."
echo
echo "| Under Wine | min | median | max |"
echo "|---|---:|---:|---:|"
row "\`vantor-tally.exe --version\` (Wine's start), s" "$TMP/start"
row "\`vantor-tally.exe --player $PLAYER\`, s" "$TMP/tally"
row "its analysis (less the median start), s" "$TMP/analysis"
row "the window: Go! to a filled list, s" "$TMP/window"
row "the window: slowest answer in a run (a message every $ASK_MS ms), ms" "$TMP/window.answer"
if [[ -n ${BENCH_EARLIER:-} ]]; then
    row "\`$(basename "$BENCH_EARLIER")\`: Go! to a filled list, s" "$TMP/earlier"
    row "\`$(basename "$BENCH_EARLIER")\`: slowest answer in a run, ms" "$TMP/earlier.answer"
fi
echo
read -r _ window_median _ < <(stats "$TMP/window")
read -r _ analysis_median _ < <(stats "$TMP/analysis")
read -r _ _ answer_max < <(stats "$TMP/window.answer")
awk -v w="$window_median" -v a="$analysis_median" -v s="$answer_max" 'BEGIN {
    r = w / a
    printf "- the window over vantor-tally.exe'"'"'s analysis (medians): %.2f (goal at most 1.2): %s\n", r, (r <= 1.2 ? "met" : "missed")
    printf "- the slowest answer of all, ms: %.1f (goal at most 250): %s\n", s, (s <= 250 ? "met" : "missed") }'

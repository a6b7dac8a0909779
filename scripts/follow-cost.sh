#!/usr/bin/env bash
# What `vantor-tally --follow` costs: the CPU it uses over a minute in which
# no log changes, and the time from a record appended to the last log to the
# new tally printed (ROUNDS appends, a second apart).
#
#   bash scripts/follow-cost.sh [--wine] [LOGS] [ROUNDS]
#
# LOGS logs of 200 records each (default 30) in a scratch folder, all but the
# last an hour old; ROUNDS defaults to 20. Runs build/debug/cli/vantor-tally,
# or with --wine build/windows-cross/cli/vantor-tally.exe under Wine (the
# CPU of the Wine server counted too). Build them first.
set -euo pipefail
cd "$(dirname "$0")/.."

wine=false
if [ "${1:-}" = --wine ]; then wine=true; shift; fi
logs="${1:-30}"
rounds="${2:-20}"

dir=$(mktemp -d)
follower=
cleanup() {
    if [ -n "$follower" ]; then kill "$follower" 2>/dev/null || true; fi
    rm -rf "$dir"
}
trap cleanup EXIT
mkdir "$dir/logs"
record() { printf '2026-01-02 10:11:12\tAlia\tMap03\t[Pickup]\t1024,768\t%s\r\n' "$1"; }
for ((i = 1; i <= logs; i++)); do
    log=$(printf '%s/logs/ActionLog%04d.txt' "$dir" "$i")
    for ((r = 0; r < 200; r++)); do record "Item $((r % 50))(1)"; done > "$log"
    [ "$i" -lt "$logs" ] && touch -d '1 hour ago' "$log"
done
last="$log"
out="$dir/out"
: > "$out"

if $wine; then
    export WINEPREFIX="$PWD/build/windows-cross/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
    wine build/windows-cross/cli/vantor-tally.exe --follow --player Alia "$(winepath -w "$dir/logs")" > "$out" &
else
    build/debug/cli/vantor-tally --follow --player Alia "$dir/logs" > "$out" &
fi
follower=$!

wait_for() {  # until the output has the line $1, for at most a minute
    for ((tries = 0; tries < 12000; tries++)); do
        grep -q -x -F "$1" "$out" && return 0
        sleep 0.005
    done
    echo "no line '$1' in the output" >&2
    exit 1
}
# CPU seconds (user and system) of the follower, and of the Wine server.
cpu_ticks() {
    local pids=("$follower") total=0
    $wine && pids+=($(pgrep -x wineserver || true))
    for pid in "${pids[@]}"; do
        read -r -a stat < "/proc/$pid/stat"
        total=$((total + stat[13] + stat[14]))
    done
    echo "$total"
}

wait_for "Item 49	$((4 * logs))"
sleep 2
before=$(cpu_ticks)
sleep 60
after=$(cpu_ticks)
hz=$(getconf CLK_TCK)
echo "idle: $(awk -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "%.2f CPU s in 60 s (%.3f %% of a core)", t / hz, t / hz / 60 * 100 }')"

times=()
for ((round = 1; round <= rounds; round++)); do
    sleep 1
    start=$(date +%s%N)
    record "Fresh Item($round)" >> "$last"
    wait_for "Fresh Item	$((round * (round + 1) / 2))"
    times+=($((($(date +%s%N) - start) / 1000000)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "write to tally: median ${sorted[$((rounds / 2))]} ms, slowest ${sorted[$((rounds - 1))]} ms ($rounds appends)"

kill -INT "$follower"
status=0
wait "$follower" || status=$?
follower=
echo "stopped by SIGINT: exit status $status"

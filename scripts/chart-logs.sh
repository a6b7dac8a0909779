#!/usr/bin/env bash
# Writes a year of logs, one a day of 2025 (ActionLog250101.txt to
# ActionLog251231.txt), into the folder DIR, for pictures of the By log
# window's chart: Alia picks up Red Potions every day and Iron Ore on most.
#
#   bash scripts/chart-logs.sh DIR
set -euo pipefail
dir=${1:?usage: $0 DIR}
mkdir -p "$dir"
for day in $(seq 0 364); do
    name=$(date -u -d "2025-01-01 + $day days" +%y%m%d)
    stamp=$(date -u -d "2025-01-01 + $day days" +%Y-%m-%d)
    potions=$(( (day * 37) % 29 + 1 + (day % 60 == 0 ? 30 : 0) ))
    ore=$(( (day * 11) % 13 ))
    {
        printf '%s 09:00:00\tAlia\tForest01\t[Pickup]\t120,44\tRed Potion(%d)\r\n' "$stamp" "$potions"
        [ "$ore" -eq 0 ] || printf '%s 09:30:00\tAlia\tMine02\t[Pickup]\t130,50\tIron Ore(%d)\r\n' "$stamp" "$ore"
    } > "$dir/ActionLog$name.txt"
done

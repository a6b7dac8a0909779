#!/usr/bin/env bash
# Sets everything up, builds, and tallies what the player Alia picked up in
# the example logs. Extra arguments go to vantor-tally instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vantor-tally

if [ $# -eq 0 ]; then
    set -- --player Alia --action pickup examples/logs
fi
exec build/release/cli/vantor-tally "$@"

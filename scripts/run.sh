#!/usr/bin/env bash
# Sets everything up, builds, and opens the window on the example logs with
# the player Alia typed in, so that Go! shows a tally. Without a display it
# says so and tallies what Alia picked up in the example logs instead.
# Arguments, if any, go to vantor-tally and skip the window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vantor-tally vantor-log-analyzer

if [ $# -eq 0 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/release/qt/vantor-log-analyzer --player Alia "$PWD/examples/logs/"
fi
if [ $# -eq 0 ]; then
    echo "No display here, so no window: vantor-tally --player Alia examples/logs instead." >&2
    set -- --player Alia --action pickup examples/logs
fi
exec build/release/cli/vantor-tally "$@"

#!/usr/bin/env bash
# Sets everything up, builds with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset debug
cmake --build --preset debug -j "$(nproc)"
ctest --preset debug -j "$(nproc)"

# The core, vantor-tally.exe and their tests for Windows, run under Wine.
bash scripts/test-windows.sh

#!/usr/bin/env bash
# Sets everything up, builds with warnings as errors, and runs every test:
# the suite as built, again with the portable (non-SIMD) search, again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the Windows build under
# Wine, the packages for players as installed, and each fuzzer for a bounded
# time (FUZZ_SECONDS, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh
cmake --preset debug
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs"

echo "== the same tests with the portable search code"
VANTOR_PORTABLE=1 ctest --preset debug -j "$jobs"

echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan-ubsan
cmake --build --preset asan-ubsan -j "$jobs"
ctest --preset asan-ubsan -j "$jobs"

echo "== the core, vantor-tally.exe and their tests for Windows, under Wine"
bash scripts/test-windows.sh

echo "== the packages (.deb, .zip, .msi), installed and run as a player would"
bash scripts/test-packages.sh

echo "== fuzzers"
bash fuzz/run.sh

#!/usr/bin/env bash
# Sets everything up, builds with warnings as errors, and runs every test:
# the suite as built, again with the portable (non-SIMD) search, again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the Windows build under
# Wine, the packages for players as installed, and each fuzzer for a bounded
# time (FUZZ_SECONDS, default 60). Each stage prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# stage NAME COMMAND...: runs the command under a heading, then its duration.
stage() {
    local name=$1 start=$SECONDS
    shift
    echo "== $name"
    "$@"
    echo "== $name: $((SECONDS - start)) s"
}

debug_suite() {
    cmake --preset debug
    cmake --build --preset debug -j "$jobs"
    ctest --preset debug -j "$jobs"
}

asan_suite() {
    cmake --preset asan-ubsan
    cmake --build --preset asan-ubsan -j "$jobs"
    ctest --preset asan-ubsan -j "$jobs"
}

stage "setup" bash scripts/setup.sh
stage "the size of the tests against the program" bash scripts/test-share.sh
stage "the suite (debug build)" debug_suite
stage "the same tests with the portable search code" env VANTOR_PORTABLE=1 ctest --preset debug -j "$jobs"
stage "the same tests under AddressSanitizer and UndefinedBehaviorSanitizer" asan_suite
stage "the core, the window, vantor-tally.exe and their tests for Windows, under Wine" bash scripts/test-windows.sh
stage "the packages (.deb, .zip, .msi), installed and run as a player would" bash scripts/test-packages.sh
stage "fuzzers" bash fuzz/run.sh

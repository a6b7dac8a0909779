#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on
# a copy of its seed corpus in the build folder. Fails on any crash, leak,
# timeout or difference from the reference models.
#
#   FUZZ_SECONDS  run time per target (default 60)
#   FUZZ_JOBS     build jobs (default 2)
#   FUZZ_BUILD    build folder (default build/fuzz)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-$root/build/fuzz}

has_libfuzzer() {
    command -v clang++ >/dev/null &&
        echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null
}
if ! has_libfuzzer; then
    echo "== installing clang and libFuzzer"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
    has_libfuzzer || { echo "clang cannot link libFuzzer" >&2; exit 1; }
fi

targets=(fuzz_log_reader fuzz_store)
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOR_BUILD_FUZZERS=ON -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_GUI=OFF -DVANTOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${targets[@]}"

declare -A max_len=([fuzz_log_reader]=4096 [fuzz_store]=1024)
declare -A extra=([fuzz_log_reader]="-dict=$root/fuzz/log_reader.dict")
failed=()
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    artifacts=$build/artifacts/$target
    mkdir -p "$corpus" "$artifacts"
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    echo "== $target: ${seconds} s"
    # shellcheck disable=SC2086
    if ! "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
        -timeout=10 -rss_limit_mb=2048 -error_exitcode=77 -timeout_exitcode=77 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" ${extra[$target]:-} 2>"$build/$target.log"; then
        tail -n 60 "$build/$target.log"
        echo "== $target FAILED; reproducer in $artifacts (log: $build/$target.log)"
        failed+=("$target")
    else
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' \
            "$build/$target.log" || true
    fi
done

if ((${#failed[@]} > 0)); then
    echo "== failed: ${failed[*]}"
    exit 1
fi
echo "== all fuzz targets ran clean"

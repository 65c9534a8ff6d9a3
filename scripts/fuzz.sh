#!/usr/bin/env bash
# Builds the libFuzzer target of the packed store reader with clang (build/fuzz) and runs it
# over the seed corpus in tests/fuzz/corpus/store for the given number of seconds (default 10).
# New inputs it finds go to build/fuzz/corpus, crashes to build/fuzz/artifacts.
#   scripts/fuzz.sh          a short run, as the test command does
#   scripts/fuzz.sh 1800     half an hour
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=build/fuzz
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTAVIMO_FUZZ=ON -DTAVIMO_SANITIZE=ON -DTAVIMO_TESTS=OFF -DTAVIMO_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target fuzz_store -j 2
mkdir -p "$build/corpus" "$build/artifacts"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$build/tests/fuzz/fuzz_store" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$build/corpus" tests/fuzz/corpus/store

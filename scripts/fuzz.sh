#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers of the library's files with clang (build/fuzz)
# and runs each over its seed corpus in tests/fuzz/corpus/NAME for the given number of seconds
# (default 5, under a minute for all of them). New inputs go to build/fuzz/corpus/NAME, crashes
# to build/fuzz/artifacts/NAME, each target's output to build/fuzz/logs/NAME.log.
#   scripts/fuzz.sh                  every target briefly, as the test command does
#   scripts/fuzz.sh 1800             every target for half an hour
#   scripts/fuzz.sh 600 book marks   only the targets named
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(store settings book album marks counts mediadat userex lockfile journal searchalbum
           migemopattern previewstrip)
fi
build=build/fuzz
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTAVIMO_FUZZ=ON -DTAVIMO_SANITIZE=ON -DTAVIMO_TESTS=OFF -DTAVIMO_BENCH=OFF >/dev/null
fi
if ! cmake --build "$build" --target "${targets[@]/#/fuzz_}" -j 2 >"$build/build.log" 2>&1; then
  tail -n 60 "$build/build.log"
  echo "building the fuzz targets failed; the whole log is $build/build.log"
  exit 1
fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/logs"
failed=()
for name in "${targets[@]}"; do
  mkdir -p "$build/corpus/$name" "$build/artifacts/$name"
  log="$build/logs/$name.log"
  if "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$name/" \
      "$build/corpus/$name" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    echo "fuzz_$name: $(grep -E '^Done [0-9]+ runs' "$log" || echo 'done')"
  else
    tail -n 40 "$log"
    echo "fuzz_$name FAILED: the whole output is $log, the input in $build/artifacts/$name/"
    failed+=("$name")
  fi
done
[ ${#failed[@]} -eq 0 ]

#!/usr/bin/env bash
# Builds the optimised benchmarks and runs them; each prints its figures, last line a summary.
# scripts/bench.sh            all benchmarks
# scripts/bench.sh NAME ARGS  one benchmark (for example: scripts/bench.sh thumbnails ~/Videos)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset bench >/dev/null
tests/fixtures/make-fixtures.sh build/bench/fixtures
export TAVIMO_FIXTURE_DIR="$PWD/build/bench/fixtures"
if [ $# -gt 0 ]; then
  name=$1; shift
  # One benchmark builds only what it needs.
  cmake --build --preset bench --target "bench_$name"
  exec "build/bench/bench/bench_$name" "$@"
fi
cmake --build --preset bench
for b in build/bench/bench/bench_*; do
  [ -x "$b" ] && "$b"
done

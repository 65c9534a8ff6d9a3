#!/usr/bin/env bash
# Installs what Tavimo needs, builds the test build (ASan + UBSan, warnings as errors),
# makes the fixture videos, fuzzes the store reader briefly and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test
tests/fixtures/make-fixtures.sh build/test/fixtures
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The packed store reader's fuzz target (clang, build/fuzz), briefly over its seed corpus;
# its statistics go to a log so that ctest's summary closes the output.
if ! scripts/fuzz.sh 10 >build/fuzz-store.log 2>&1; then
  tail -n 60 build/fuzz-store.log
  echo "fuzzing the store reader failed; the whole log is build/fuzz-store.log"
  exit 1
fi
grep -E '^Done [0-9]+ runs' build/fuzz-store.log || true
ctest --preset test -j2

#!/usr/bin/env bash
# Installs what Tavimo needs, builds the test build (ASan + UBSan, warnings as errors),
# packs the Release program into a Debian package, makes the fixture videos, fuzzes every file
# reader briefly and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test
# The Release program packed as build/release/tavimo_<version>_<arch>.deb: ctest's package
# tests check it with lintian and install it (as root) under Xvfb.
scripts/package.sh
tests/fixtures/make-fixtures.sh build/test/fixtures
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The fuzz targets of the file readers (clang, build/fuzz), a few seconds each over their seed
# corpora: one line per target, the whole output of a failing one in build/fuzz/logs.
scripts/fuzz.sh 5
ctest --preset test -j2

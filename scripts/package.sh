#!/usr/bin/env bash
# Installs what Tavimo needs, builds the Release program and packs it with CPack into
# build/release/tavimo_<version>_<architecture>.deb, ready for
#   apt-get install ./build/release/tavimo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
rm -f build/release/tavimo_*.deb
(cd build/release && cpack -G DEB >cpack.log 2>&1) || {
  cat build/release/cpack.log
  echo "cpack failed"
  exit 1
}
ls build/release/tavimo_*.deb

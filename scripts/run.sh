#!/usr/bin/env bash
# Installs what Tavimo needs, builds the Release program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/src/app/Tavimo

#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build=${FAULTBK_BUILD_DIR:-build}
cd "$build"
ctest --output-on-failure -j2 --timeout 600

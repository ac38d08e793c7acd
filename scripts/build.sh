#!/usr/bin/env bash
# Configures and builds Faultbook into build/ (or $FAULTBK_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FAULTBK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

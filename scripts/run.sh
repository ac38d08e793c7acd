#!/usr/bin/env bash
# Installs what is missing, builds Faultbook and starts it. Arguments go to the program
# (for example -dbpath=DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build=${FAULTBK_BUILD_DIR:-build}
exec "$build/app/program/faultbk" "$@"

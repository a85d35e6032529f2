#!/usr/bin/env bash
# Builds both targets: build/linux (substitute host, tests, tools) and
# build/windows/Halvane.asi; and the fuzz targets in build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

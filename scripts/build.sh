#!/usr/bin/env bash
# Builds both targets: build/linux (substitute host, tests, tools) and
# build/windows/Halvane.asi (with build/windows-clang/Halvane.asi, the same
# source through clang); and the fuzz targets in build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
cmake --preset windows >/dev/null
cmake --build --preset windows
# The same DLL from a second compiler (clang and lld), played by the same runner.
cmake --preset windows-clang >/dev/null
cmake --build --preset windows-clang
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

#!/usr/bin/env bash
# Builds every preset: build/linux (substitute host, tests, tools),
# build/windows/Halvane.asi (with build/windows-clang/Halvane.asi, the same
# source through clang), the fuzz targets in build/fuzz and the optimised
# benchmarks in build/bench.
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
cmake --preset bench >/dev/null
cmake --build --preset bench

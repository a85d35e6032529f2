#!/usr/bin/env bash
# Every test: builds both targets, then runs every suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
ctest --preset linux -j2

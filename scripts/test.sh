#!/usr/bin/env bash
# Every test: builds both targets, then runs every suite through CTest.
# Options go to CTest, e.g. `scripts/test.sh --schedule-random`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
# Every build is there now: a test that finds one missing fails instead of skipping.
HALVANE_REQUIRE_ALL_BUILDS=1 ctest --preset linux -j2 "$@"

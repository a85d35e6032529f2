#!/usr/bin/env bash
# Every test: builds every preset, then runs every suite through CTest.
# Options go to CTest, e.g. `scripts/test.sh --schedule-random`.
#   scripts/test.sh --quick   the one-minute loop: builds the linux preset
#                             only and runs what needs neither Wine, a
#                             window, the other builds nor a long walk (the
#                             unit suites, the explorers' short samples, the
#                             soaks' seeds); CI runs the whole command.
#   scripts/test.sh --help    this text
set -euo pipefail
cd "$(dirname "$0")/.."
case ${1:-} in
  --help | -h)
    sed -n '2,9p' "$0" | cut -c3-
    exit 0
    ;;
  --quick)
    shift
    scripts/setup.sh
    cmake --preset linux >/dev/null
    cmake --build --preset linux
    # What other builds, Wine or a window would play is left out by name.
    exec ctest --preset linux -j2 \
      -E '^(Wine|WineClang|Playground|Package|Explore|Fuzz|Fiu|Bench|WindowsDll|Release)' "$@"
    ;;
esac
scripts/build.sh
# Every build is there now: a test that finds one missing fails instead of skipping.
HALVANE_REQUIRE_ALL_BUILDS=1 ctest --preset linux -j2 "$@"

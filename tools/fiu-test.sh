#!/usr/bin/env bash
# The seam soak under libfiu's POSIX preload (fiu-run -x): libc's own open,
# read, write (and writes that fall short), fsync, ftruncate, rename, unlink
# and close fail at random while the passes run, and the soak holds its
# invariants (the file old or new at every file call, a failed save told,
# nothing thrown out of the plug-in). The optimised build runs it: the
# sanitizers want to be first among preloaded libraries.
#   fiu-test.sh <bench build folder>
# Three rounds, each a rate (failures in a thousand calls) and a seed of its
# own; HALVANE_FIU_RATE and HALVANE_FIU_SEED (both printed) play one round.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
tests=$1/tests/halvane_tests
[[ -x $tests ]] || missing_build "$tests" "cmake --preset bench && cmake --build --preset bench"
command -v fiu-run >/dev/null || missing_build "fiu-run" "scripts/setup.sh (fiu-utils, libfiu-dev)"
rounds=("100 20261208" "200 1" "200 3")
[[ -n ${HALVANE_FIU_RATE:-} ]] && rounds=("$HALVANE_FIU_RATE ${HALVANE_FIU_SEED:-1}")
for round in "${rounds[@]}"; do
  read -r rate seed <<<"$round"
  echo "fiu-test: $rate failures in a thousand calls, HALVANE_FIU_SEED=$seed"
  HALVANE_FIU_RATE=$rate HALVANE_FIU_SEED=$seed fiu-run -x -f "" "$tests" --gtest_filter='Seeds/SeamSoak*'
done

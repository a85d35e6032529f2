#!/usr/bin/env bash
# An explorer walked whole, on the optimised build (the sanitizers' build
# walks a short sample of it):
#   explore-test.sh <bench build folder> <gtest filter>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
tests=$1/tests/halvane_tests
[[ -x $tests ]] || missing_build "$tests" "cmake --preset bench && cmake --build --preset bench"
exec "$tests" --gtest_filter="$2" --gtest_brief=1

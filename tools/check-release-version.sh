#!/usr/bin/env bash
# The version a player sees in both guides is the DLL's own:
#   check-release-version.sh <windows build folder> <version>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
build=$1
version=$2
[[ -f $build/Halvane.asi && -f $build/Halvane-Readme.txt ]] ||
  missing_build "$build/Halvane.asi and its guides" "cmake --preset windows && cmake --build --preset windows"
fail() { echo "check-release-version: $*" >&2; exit 1; }
# The version resource holds its strings in UTF-16.
strings -el "$build/Halvane.asi" | grep -qx "$version" || fail "the DLL's version resource does not say $version"
if [[ -f $build/wine/halvane_playground.exe ]]; then
  strings -el "$build/wine/halvane_playground.exe" | grep -qx "$version" ||
    fail "the playground's version resource does not say $version"
fi
for guide in Halvane-Readme.txt Halvane-Playground.txt; do
  head -3 "$build/$guide" | grep -q "^Version $version\b" || fail "$guide does not open with version $version"
  ! grep -q '@[A-Z_]*@' "$build/$guide" || fail "$guide has a placeholder left"
done
grep -q "^## $version\$" "$here/../CHANGELOG.md" ||
  fail "CHANGELOG.md has no section for $version"
echo "check-release-version: DLL, guides and changelog say $version"

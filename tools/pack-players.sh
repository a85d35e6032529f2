#!/usr/bin/env bash
# Packs the players' zip from a Windows build:
#   pack-players.sh <windows build folder> <output folder> <version>
# Every file is named for Halvane, so that none meets another mod's file in
# the game folder, and the text files have CR LF line ends, as older Windows
# editors need.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
build=$(realpath -m "$1")
out=$(realpath -m "$2")
version=$3
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir -p "$out"
cp "$build/Halvane.asi" "$staging/"
"$here/crlf.sh" <"$build/Halvane-Readme.txt" >"$staging/Halvane-Readme.txt"
"$here/changelog-text.sh" players <"$here/../CHANGELOG.md" | "$here/crlf.sh" >"$staging/Halvane-Changelog.txt"
rm -f "$out/Halvane-$version.zip"
(cd "$staging" && zip -q -X "$out/Halvane-$version.zip" Halvane.asi Halvane-Readme.txt Halvane-Changelog.txt)

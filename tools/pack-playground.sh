#!/usr/bin/env bash
# Packs the playground zip from a Windows build:
#   pack-playground.sh <windows build folder> <output folder> <version>
# Everything sits under one top folder, so unpacking never drops a file into
# the folder it is unpacked in; the stand-in ScriptHookV.dll sits one folder
# further down, where no one would take it for the real script host.
set -euo pipefail
build=$(realpath -m "$1")
out=$(realpath -m "$2")
top=Halvane-Playground-$3
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir -p "$staging/$top/stand-in" "$out"
cp "$build/Halvane.asi" "$build/wine/halvane_playground.exe" "$staging/$top/"
# CR LF, as older Windows editors need.
here=$(dirname "$(realpath "$0")")
"$here/crlf.sh" <"$build/Halvane-Playground.txt" >"$staging/$top/Halvane-Playground.txt"
"$here/changelog-text.sh" playground <"$here/../CHANGELOG.md" | "$here/crlf.sh" >"$staging/$top/Halvane-Playground-Changelog.txt"
cp "$build/wine/stand-in/ScriptHookV.dll" "$staging/$top/stand-in/"
rm -f "$out/$top.zip"
(cd "$staging" && zip -q -X -r "$out/$top.zip" "$top")

#!/usr/bin/env bash
# The playground zip as a player meets it: unpacked (every file overwritten
# without a question) into a game folder that holds the real script host,
# it replaces nothing there; the stand-in host, copied into a game folder by
# mistake, does nothing and ends nothing; and the playground starts from the
# unpacked folder under Xvfb and plays the plug-in.
#   package-test.sh <windows build folder> <work folder> <version>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
build=$(realpath -m "$1")
work=$(realpath -m "$2")
version=$3
[[ -f $build/Halvane.asi && -f $build/wine/halvane_playground.exe && -f $build/wine/halvane_foreign_host.exe ]] ||
  missing_build "$build/wine/halvane_playground.exe" "cmake --preset windows && cmake --build --preset windows"

fail() { echo "package-test: FAILED: $*" >&2; exit 1; }
pass() { echo "package-test: $*"; }
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }

rm -rf "$work"
mkdir -p "$work/game"
"$here/pack-playground.sh" "$build" "$work" "$version"
zip=$work/Halvane-Playground-$version.zip
top=Halvane-Playground-$version

# The players' zip: every file named for Halvane, so that none meets another
# mod's in the game folder; the text files of both zips with CR LF line ends.
"$here/pack-players.sh" "$build" "$work" "$version"
[[ $(unzip -Z1 "$work/Halvane-$version.zip" | sort | tr '\n' ' ') == "Halvane-Changelog.txt Halvane-Readme.txt Halvane.asi " ]] ||
  fail "the players' zip holds $(unzip -Z1 "$work/Halvane-$version.zip" | tr '\n' ' ')"
crlf_only() {  # every line of the zip's entry ends with CR LF
  local lines crlf
  lines=$(unzip -p "$1" "$2" | wc -l)
  crlf=$(unzip -p "$1" "$2" | grep -c $'\r$' || true)
  ((lines > 0 && lines == crlf))
}
for entry in Halvane-Readme.txt Halvane-Changelog.txt; do
  crlf_only "$work/Halvane-$version.zip" "$entry" || fail "$entry in the players' zip has lines without CR LF"
done
crlf_only "$zip" "$top/Halvane-Playground.txt" || fail "the playground guide has lines without CR LF"
crlf_only "$zip" "$top/Halvane-Playground-Changelog.txt" || fail "the playground's changelog has lines without CR LF"
pass "the players' zip holds Halvane.asi, Halvane-Readme.txt and Halvane-Changelog.txt; the text files have CR LF"

# The playground's changelog is about the playground: this version's items.
# (Both changelogs' and guides' text is checked where it is edited, by
# tools/check-guides.sh: 80 columns, plain text, the version.)
unzip -p "$zip" "$top/Halvane-Playground-Changelog.txt" | tr -d '\r' >"$work/playground-changes.txt"
grep -q '^- It writes only into a folder it made itself' "$work/playground-changes.txt" ||
  fail "the playground's changelog lacks its $version items"

# Every entry under the top folder; the only ScriptHookV.dll in its stand-in folder.
unzip -Z1 "$zip" >"$work/entries.txt"
grep -v "^$top/" "$work/entries.txt" && fail "entries outside $top/"
[[ $(grep -ic 'ScriptHookV\.dll$' "$work/entries.txt") == 1 ]] && grep -qx "$top/stand-in/ScriptHookV.dll" "$work/entries.txt" ||
  fail "ScriptHookV.dll is not (only) in $top/stand-in/"

# A game folder with the real host in it; the zip unpacked over it.
printf 'the real script host\n' >"$work/game/ScriptHookV.dll"
cp "$work/game/ScriptHookV.dll" "$work/marker"
unzip -q -o "$zip" -d "$work/game"
cmp -s "$work/marker" "$work/game/ScriptHookV.dll" || fail "the game folder's ScriptHookV.dll was replaced"
[[ $(ls -A "$work/game" | sort | tr '\n' ' ') == "$top ScriptHookV.dll " ]] ||
  fail "unpacking left more in the game folder: $(ls -A "$work/game")"
pass "unpacked into a game folder, the zip replaces nothing there"

# The guide warns first.
head -12 "$work/game/$top/Halvane-Playground.txt" | grep -qi 'not unpack .* game folder' ||
  fail "the playground guide does not warn against the game folder in its first lines"

# The stand-in copied over the real host by mistake: the game goes on.
mkdir -p "$work/mistaken"
cp "$work/game/$top/stand-in/ScriptHookV.dll" "$work/game/$top/Halvane.asi" "$work/mistaken/"
"$here/wine-run.sh" "$build/wine/halvane_foreign_host.exe" "$(windows_path "$work/mistaken")" >"$work/foreign.log" 2>&1 ||
  fail "a game with the stand-in in its folder did not go on: $(cat "$work/foreign.log")"
[[ $(ls -A "$work/mistaken" | sort | tr '\n' ' ') == "Halvane.asi ScriptHookV.dll " ]] ||
  fail "something was written beside the stand-in: $(ls -A "$work/mistaken")"
grep -q 'stand-in did nothing' "$work/foreign.log" || fail "$(cat "$work/foreign.log")"
pass "the stand-in in another program's folder does nothing, writes nothing and ends nothing"

# The playground from the unpacked folder, as a player starts it: no options.
source "$here/xvfb.sh" "$work/xvfb.log" package-test
unpacked=$work/game/$top
record=$work/record.txt
(cd "$unpacked" && exec "$here/wine-run.sh" ./halvane_playground.exe --record "$(windows_path "$record")") \
  >"$work/playground.log" 2>&1 &
playground=$!
window=$(wait_for_window 120 "Halvane Playground" "$work/playground.log") || fail "no playground window"
xdotool windowfocus --sync "$window"
for _ in $(seq 100); do [[ -s $record ]] && (($(wc -l <"$record") > 30)) && break; sleep 0.1; done
xdotool keydown t
sleep 0.3
xdotool keyup t
sleep 0.3
grep -q '"~r~SAFETY ON  ~y~"' "$record" || fail "the plug-in did not answer T in the unpacked playground"
grep -q 'load 1' "$record" || fail "the plug-in was not loaded"
# Started again from the same folder while it runs: refused, naming its
# folder and no option, as none was typed.
if (cd "$unpacked" && exec timeout 60 "$here/wine-run.sh" ./halvane_playground.exe) >"$work/second.log" 2>&1; then
  fail "a second playground started on the folder in use"
fi
grep -q '^playground: another playground is using the folder .*playground ' "$work/second.log" ||
  fail "a second playground from the unpacked folder does not say another one uses its folder, naming no option: $(cat "$work/second.log")"
xdotool key Escape
for _ in $(seq 100); do kill -0 "$playground" 2>/dev/null || break; sleep 0.1; done
[[ -f $unpacked/playground/Halvane.ini ]] || fail "no Halvane.ini in the unpacked playground folder"
cmp -s "$work/marker" "$work/game/ScriptHookV.dll" || fail "the playground touched the game folder's ScriptHookV.dll"
pass "the playground starts from the unpacked folder and plays the plug-in; passed"

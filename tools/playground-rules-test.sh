#!/usr/bin/env bash
# The playground's rules, tried as a player meets them on a 1366x768 laptop
# screen under Xvfb: it writes only where it made the folder or the file
# (game folders, an existing --record file and a locked folder are refused
# and left byte for byte), its own folder is its own again once a player's
# Halvane.asi is moved out of it, a second playground on the same folder
# says so, the window it opens unasked fits the screen, and
# scripts/playground.sh passes every option on.
#   playground-rules-test.sh <windows build folder> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
build=$(realpath -m "$1")
work=$(realpath -m "$2")
[[ -f $build/Halvane.asi && -f $build/wine/halvane_playground.exe ]] ||
  missing_build "$build/wine/halvane_playground.exe" "cmake --preset windows && cmake --build --preset windows"
test_name=playground-rules-test

# A folder the test locks is unlocked again, whatever happens.
locked=
[[ -d $work ]] && chattr -R -i "$work" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
screen=1366x768
source "$here/xvfb.sh" "$work/xvfb.log" playground-rules "${screen}x24"
trap 'cleanup; [[ -z $locked ]] || chattr -i "$locked"' EXIT
playground_exe=$build/wine/halvane_playground.exe
source "$here/playground-lib.sh"
error_box() { at_least "$(share 100 400 700 80 "$1" 'r>0.25 && g<0.1 && b<0.1')" 0.5; }
# Runs the playground with no window to come (it must refuse): its options
# after the log's name.
refused() {
  local log=$work/$1.log
  shift
  if timeout 60 "$here/wine-run.sh" "$playground_exe" "$@" >"$log" 2>&1; then
    fail "the playground ran with $*; it should have refused"
  fi
}

# A game folder with its own Halvane.asi, and one with the script host and a
# Halvane.ini but none (the game would load any Halvane.asi put there): both
# refused, saying why and what to do, and left byte for byte.
mkdir -p "$work/a game" "$work/a game too"
printf 'the game folder'"'"'s own Halvane.asi\n' >"$work/a game/Halvane.asi"
printf 'MZ the game folder'"'"'s script host\n' >"$work/a game too/ScriptHookV.dll"
printf '[Keybindings]\r\nSafetyToggle=K\r\n' >"$work/a game too/Halvane.ini"
printf 'Another mod'"'"'s readme.\r\n' >"$work/a game/readme.txt"
for game in "a game" "a game too"; do
  contents "$work/$game" >"$work/before.txt"
  refused refused --folder "$(windows_path "$work/$game")"
  grep -q 'is not a folder the playground made.*does not exist yet' "$work/refused.log" ||
    fail "no message saying why $game is refused: $(cat "$work/refused.log")"
  contents "$work/$game" | cmp -s - "$work/before.txt" || fail "the refused folder $game was changed"
done
pass "game folders with and without a Halvane.asi are refused, say why and what to do, and are left byte for byte"

# A window too small for the menu's text to be read: refused, saying the smallest size.
refused too-small --size 800x450 --folder "$(windows_path "$work/never")"
grep -q "smaller than the smallest window, $smallest_window" "$work/too-small.log" ||
  fail "no message naming the smallest window: $(cat "$work/too-small.log")"
[[ ! -e $work/never ]] || fail "a refused start made its folder"
pass "--size 800x450 is refused: \"$(tr -d '\r' <"$work/too-small.log")\""

# --record naming a file that is there (another mod's readme in a game
# folder) is refused, and the file left byte for byte; so is a record in a
# locked folder, at once. Neither start makes its own folder.
contents "$work/a game" >"$work/before.txt"
refused record-exists --folder "$(windows_path "$work/never")" --record "$(windows_path "$work/a game/readme.txt")"
grep -q 'readme.txt: that file exists already.*Name a file that does not exist yet' "$work/record-exists.log" ||
  fail "no message saying the record's file exists: $(cat "$work/record-exists.log")"
contents "$work/a game" | cmp -s - "$work/before.txt" || fail "--record wrote over another mod's readme.txt"
mkdir -p "$work/locked"
chattr +i "$work/locked"
locked=$work/locked
refused record-locked --folder "$(windows_path "$work/never")" --record "$(windows_path "$work/locked/record.txt")"
grep -q 'record.txt: the record cannot be made there (.*). Name a new file in a folder you may write' \
  "$work/record-locked.log" || fail "no message for a record that cannot be written: $(cat "$work/record-locked.log")"
[[ ! -e $work/never ]] || fail "a start refused for its record made its folder"
pass "--record: an existing file is refused and left byte for byte; a locked folder is named at once"

# Started unasked for a size on a laptop screen: the window fits the screen,
# the game view 16:9 and filling its room beside the panel.
record=$work/record-laptop.txt
folder=$work/laptop
start_playground default --plugin "$(windows_path "$build/Halvane.asi")" --folder "$(windows_path "$folder")"
((X >= 0 && Y >= 0 && X + WIDTH <= ${screen%x*} && Y + HEIGHT <= ${screen#*x})) ||
  fail "the window (${WIDTH}x$HEIGHT at $X,$Y) does not fit the $screen screen"
((WIDTH - panel_width == view && HEIGHT == view_height && view * 9 == view_height * 16)) ||
  fail "the game view is not 16:9 filling its room: window ${WIDTH}x$HEIGHT, view ${view}x$view_height"
shot laptop
at_least "$(box $((WIDTH - panel_width + 2)) 2 $((panel_width - 4)) 100 laptop 'r>0.6 && g>0.6 && b>0.6')" 0.005 ||
  fail "no panel text at the window's right"
pass "unasked, the window is ${WIDTH}x$HEIGHT at $X,$Y on the $screen screen, the game view ${view}x$view_height"

# A second playground on that folder while the first runs: it says another
# playground uses it, and leaves the folder, its mark included, as it was.
contents "$folder" >"$work/before.txt"
refused second --folder "$(windows_path "$folder")" --plugin "$(windows_path "$build/Halvane.asi")"
grep -q 'another playground is using the folder .*laptop' "$work/second.log" ||
  fail "a second playground on the folder does not say another one uses it: $(cat "$work/second.log")"
! grep -qi 'writable\|disk space' "$work/second.log" || fail "a second playground blames the disk: $(cat "$work/second.log")"
contents "$folder" | cmp -s - "$work/before.txt" || fail "a second playground changed the folder or its mark"
close_playground
pass "a second playground on a folder in use: \"$(tr -d '\r' <"$work/second.log")\""

# Started with no Halvane.asi at all: the error box, and the world runs on.
record=$work/record-none.txt
start_playground "$smallest_window" --plugin "$(windows_path "$work/none/Halvane.asi")" --folder "$(windows_path "$work/game-none")"
tail -1 "$record" | grep -q 'plug-in error: cannot read the plug-in .*Halvane.asi' ||
  fail "no load error when started without a DLL: $(tail -1 "$record")"
shot_until none error_box none || fail "no error box without a DLL"
close_playground
pass "started with no Halvane.asi: the error shown in its box, the world runs on"

# Its own folder, locked: it says which folder it cannot write and what the
# player can do, not that the build is broken.
contents "$folder" >"$work/before.txt"
chattr +i "$folder"
locked=$folder
record=$work/record-locked.txt
cp "$build/Halvane.asi" "$work/Halvane.asi"  # a build the folder does not hold yet: Home would install it
printf '\0' >>"$work/Halvane.asi"
start_playground "$smallest_window" --plugin "$(windows_path "$work/Halvane.asi")" --folder "$(windows_path "$folder")"
tail -1 "$record" | grep -q "plug-in error: The playground cannot write into its folder .*laptop: .*Make the folder writable" ||
  fail "no message naming the locked folder: $(tail -1 "$record" | sed 's/.*| plug-in/plug-in/')"
! tail -1 "$record" | grep -q 'Fix the build' || fail "a locked folder is taken for a broken build"
shot_until locked error_box locked || fail "no error box for a locked folder"
close_playground
chattr -i "$folder"
locked=
contents "$folder" | cmp -s - "$work/before.txt" || fail "the locked folder was changed"
pass "its own folder locked: \"$(tail -1 "$record" | sed 's/.*| plug-in error: //; s/ | world.*//')\""

# A player's own Halvane.asi put into the playground's folder: refused,
# saying to move it out, and left byte for byte. Moved out as told, the
# folder is the playground's again: it installs its own and plays.
printf 'MZ a player'"'"'s own newer Halvane.asi\n' >"$folder/Halvane.asi"
contents "$folder" >"$work/before.txt"
refused refused-own --folder "$(windows_path "$folder")" --plugin "$(windows_path "$build/Halvane.asi")"
grep -q 'holds a Halvane.asi the playground did not put there.*move that Halvane.asi out of the folder' \
  "$work/refused-own.log" || fail "no way out named for a Halvane.asi put into its folder: $(cat "$work/refused-own.log")"
contents "$folder" | cmp -s - "$work/before.txt" || fail "the player's Halvane.asi or its folder was changed"
mv "$folder/Halvane.asi" "$work/mine.asi"
cp "$work/mine.asi" "$work/mine.marker"
record=$work/record-moved.txt
start_playground "$smallest_window" --plugin "$(windows_path "$build/Halvane.asi")" --folder "$(windows_path "$folder")"
! tail -1 "$record" | grep -q 'plug-in error' || fail "its folder is not taken again: $(tail -1 "$record")"
tail -1 "$record" | grep -q 'load 1' || fail "the plug-in was not loaded: $(tail -1 "$record")"
cmp -s "$build/Halvane.asi" "$folder/Halvane.asi" || fail "the build was not installed in its folder"
[[ $(grep '^put: ' "$folder/halvane-playground.folder") == "put: $(fingerprint "$folder/Halvane.asi")" ]] ||
  fail "the mark does not record the Halvane.asi installed: $(cat "$folder/halvane-playground.folder")"
cmp -s "$work/mine.asi" "$work/mine.marker" || fail "the player's own Halvane.asi was changed"
close_playground
pass "a player's own Halvane.asi is refused, and once moved out of the folder the playground installs its own and plays"

# scripts/playground.sh: --help says what each option does and its default,
# and starts nothing; every option is passed on, a relative path taken from
# where it was started.
timeout 60 "$here/../scripts/playground.sh" --help >"$work/help.txt" 2>&1 </dev/null ||
  fail "scripts/playground.sh --help failed: $(cat "$work/help.txt")"
for option in --plugin --folder --record --size; do
  grep -A2 -- "^  $option " "$work/help.txt" | grep -q 'default' || fail "--help says no default for $option: $(cat "$work/help.txt")"
done
record=$work/record-script.txt
# Its paths as a player in the work folder gives them, relative to it.
(cd "$work" && HALVANE_PLAYGROUND_PREFIX=$HALVANE_WINEPREFIX exec "$here/../scripts/playground.sh" --size 1356x600 \
  --folder "script folder" --record "$(basename "$record")" --plugin Halvane.asi) >"$work/script.log" 2>&1 &
playground=$!
window=$(wait_for_window 120 "Halvane Playground" "$work/script.log" "$playground") || fail "no window from scripts/playground.sh"
until [[ -s $record ]] && (($(frames) > 30)); do sleep 0.1; done
measure
[[ ${WIDTH}x$HEIGHT == 1356x600 ]] || fail "scripts/playground.sh --size 1356x600 opened ${WIDTH}x$HEIGHT"
[[ -f "$work/script folder/halvane-playground.folder" ]] || fail "scripts/playground.sh did not pass --folder on"
cmp -s "$work/Halvane.asi" "$work/script folder/Halvane.asi" || fail "scripts/playground.sh did not pass --plugin on"
close_playground
pass "scripts/playground.sh passes --size, --folder, --record and --plugin on; --help lists each with its default"
pass "passed"

#!/usr/bin/env bash
# The playground's rules, tried as a player meets them on a 1366x768 laptop
# screen under Xvfb: every option is checked before anything is made, and a
# refusal names the option as typed, what was wrong and a way out (game
# folders, for --folder or --record, an existing --record file, a locked
# folder, a --size the screen cannot hold, a value missing or not a size),
# leaving everything byte for byte; its own folder is its own again once a
# player's Halvane.asi is moved out of it; a second playground on the same
# folder says so; the window it opens unasked fits the screen; the menu's
# texts stay inside its panel at the smallest window; and
# scripts/playground.sh passes every option on, builds only the playground
# and what it plays, and plays in the player's Wine prefix.
#   playground-rules-test.sh <windows build folder> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
build=$(realpath -m "$1")
work=$(realpath -m "$2")
[[ -f $build/Halvane.asi && -f $build/wine/halvane_playground.exe ]] ||
  missing_build "$build/wine/halvane_playground.exe" "cmake --preset windows && cmake --build --preset windows"
test_name=playground-rules-test

# Every folder the test locks is unlocked again, and the Wine runner's time
# put back, whatever happens.
locked=()
unlock() { chattr -i "$1"; locked=("${locked[@]/#$1/}"); }
runner=$build/wine/halvane_runner.exe
runner_time=
[[ -d $work ]] && chattr -R -i "$work" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
screen=1366x768
source "$here/xvfb.sh" "$work/xvfb.log" playground-rules "${screen}x24"
trap 'cleanup; for folder in "${locked[@]}"; do [[ -z $folder ]] || chattr -i "$folder"; done
  [[ -z $runner_time ]] || touch -d "@$runner_time" "$runner"' EXIT
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
# The refusal in the log $1 names the option $2 and matches $3 (what was
# wrong and a way out); no line says the folder was taken.
says() {
  grep -q -- "^playground: $2.*$3" "$work/$1.log" || fail "the refusal of $2 does not say \"$3\": $(cat "$work/$1.log")"
  ! grep -q 'Halvane.ini is in' "$work/$1.log" || fail "a refusal of $2 follows a line naming its folder: $(cat "$work/$1.log")"
}
# scripts/playground.sh started as a player does, from the work folder (its
# paths relative to it), in the test's Wine prefix given as the player's.
by_script() {
  local log=$work/$1.log
  shift
  (cd "$work" && unset HALVANE_PLAYGROUND_PREFIX && WINEPREFIX=$HALVANE_WINEPREFIX exec "$here/../scripts/playground.sh" "$@") \
    >"$log" 2>&1 </dev/null
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

# Through scripts/playground.sh, paths as the player types them: a refusal
# names them so, follows no line naming the folder, and nothing is made
# until every option is accepted, in a game folder above all: neither a
# folder in it nor a folder on the way to one refused for its record. The
# script builds only the playground and what it plays: the Wine runner, made
# older than its objects, is not linked again.
made() { (cd "$work" && find . ! -name '*.log' ! -name 'before*.txt' | sort); }
made >"$work/before-made.txt"
runner_time=$(stat -c %Y "$runner")
touch -d @946684800 "$runner"
by_script script-game --folder "a game too" && fail "scripts/playground.sh played in a game folder"
[[ $(stat -c %Y "$runner") == 946684800 ]] || fail "scripts/playground.sh built the Wine runner too"
touch -d "@$runner_time" "$runner"
runner_time=
says script-game '--folder a game too is not a folder the playground made' 'does not exist yet'
by_script script-inside --folder "a game too/sub/pg" --size 800x450 && fail "scripts/playground.sh took --size 800x450"
says script-inside '--size 800x450' 'smaller than the smallest window'
by_script script-record --folder new/deeper/pg --record "a game too/rec.txt" && fail "scripts/playground.sh wrote a record in a game folder"
says script-record '--record a game too/rec.txt: it would be written into a game too, a game folder (it holds' \
  'Name a new file outside it'
refused folder-inside --folder "$(windows_path "$work/a game/sub/pg")"
says folder-inside "--folder .*a game.sub.pg: it would be made in .*a game, a game folder (it holds Halvane.asi)" \
  'name a --folder outside the game folder'
made | cmp -s - "$work/before-made.txt" || fail "a refused start made something: $(made | diff "$work/before-made.txt" - | grep '^>')"
grep -q "^playground: Wine prefix $HALVANE_WINEPREFIX (from WINEPREFIX)" "$work/script-game.log" ||
  fail "scripts/playground.sh does not say it plays in the player's WINEPREFIX: $(cat "$work/script-game.log")"
pass "scripts/playground.sh: refusals name paths as typed, nothing is made, only the playground is built, the player's prefix is said"

# Sizes: too small for the menu's text to be read, larger than the screen,
# or no size at all; a value missing; a record that is a folder, a file
# that exists, or in a locked folder. Each refused, saying why and what to
# do; nothing is made, and the file is left byte for byte.
refused too-small --size 800x450 --folder "$(windows_path "$work/never")"
says too-small '--size 800x450' "smaller than the smallest window, $smallest_window.*Give a --size of at least that"
refused too-large --size 1600x720 --folder "$(windows_path "$work/never")"
says too-large '--size 1600x720' 'larger than this screen has room for: the largest --size that fits (the window.s inside, with its frame around it) is [0-9]*x[0-9]*. Give a --size of at most that'
largest=$(sed -n 's/.*with its frame around it) is \([0-9]*x[0-9]*\)\..*/\1/p' "$work/too-large.log")
((${largest%x*} <= ${screen%x*} && ${largest#*x} <= ${screen#*x})) || fail "the largest window named, $largest, is larger than the screen"
refused no-size --size abc
says no-size '--size abc' 'is not a size: give .* as WIDTHxHEIGHT .*, as in --size 1344x576, or leave --size out'
refused no-folder --folder
says no-folder '--folder' 'needs a value: .*as in --folder .*; or leave --folder out'
refused record-game --record "$(windows_path "$work/a game too")" --folder "$(windows_path "$work/never")"
says record-game '--record .*a game too' 'is a game folder (it holds .*Name a new file outside it'
# A folder for a record: the file it advises in it is one it then takes.
mkdir -p "$work/records"
refused record-folder --record "$(windows_path "$work/records")" --folder "$(windows_path "$work/never")"
says record-folder '--record .*records' 'is a folder.*Name a file that does not exist yet, such as --record .*records.record.txt'
advised=$(tr -d '\r' <"$work/record-folder.log" | sed -n 's/.*such as --record \(.*\)\.$/\1/p')
[[ $advised == "$(windows_path "$work/records/record.txt")" ]] || fail "--record of a folder advises \"$advised\", not record.txt in it"
refused plugin-missing --plugin "$(windows_path "$work/nothere.asi")" --folder "$(windows_path "$work/never")"
says plugin-missing '--plugin .*nothere.asi' 'it cannot be read (.*). Name the Halvane.asi to load, as in --plugin .*, or leave --plugin out'
mkdir -p "$work/notes"
printf 'A player'"'"'s notes.\r\n' >"$work/notes/notes.txt"
contents "$work/notes" >"$work/before.txt"
refused record-exists --folder "$(windows_path "$work/never")" --record "$(windows_path "$work/notes/notes.txt")"
says record-exists '--record .*notes.txt' 'that file exists already.*Name a file that does not exist yet'
contents "$work/notes" | cmp -s - "$work/before.txt" || fail "--record wrote over a file that was there"
mkdir -p "$work/locked"
chattr +i "$work/locked"
locked+=("$work/locked")
refused record-locked --folder "$(windows_path "$work/never")" --record "$(windows_path "$work/locked/record.txt")"
says record-locked '--record .*record.txt' 'the record cannot be made there (.*). Name a new file in a folder you may write'
# A folder that cannot be made, once the record is: the record is taken back.
refused folder-locked --folder "$(windows_path "$work/locked/pg")" --record "$(windows_path "$work/records/of-a-refused-start.txt")"
says folder-locked '--folder .*locked.pg' 'cannot make the folder (.*). Name a --folder in a place you may write'
[[ ! -e $work/records/of-a-refused-start.txt ]] || fail "a start refused for its folder left its record behind"
unlock "$work/locked"
[[ ! -e $work/never ]] || fail "a refused start made its folder"
pass "sizes too small ($smallest_window at least), too large (at most $largest) or none, a missing value, a --plugin that is not there and records that cannot be are refused, saying why and what to do (a folder's own record.txt advised); a start refused for its folder leaves no record"

# Started unasked for a size on a laptop screen: the window fits the screen,
# the game view 16:9 and filling its room beside the panel. Its record is
# the one advised above.
record=$work/records/record.txt
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
# The folder comes as a default (as scripts/playground.sh gives its own):
# the refusal names no --folder, which no one typed.
contents "$folder" >"$work/before.txt"
refused second --default-folder "$(windows_path "$folder")" --plugin "$(windows_path "$build/Halvane.asi")"
grep -q '^playground: another playground is using the folder .*laptop' "$work/second.log" ||
  fail "a second playground on the folder does not say another one uses it, naming no option: $(cat "$work/second.log")"
! grep -qi 'writable\|disk space' "$work/second.log" || fail "a second playground blames the disk: $(cat "$work/second.log")"
contents "$folder" | cmp -s - "$work/before.txt" || fail "a second playground changed the folder or its mark"
close_playground
pass "a second playground on a folder in use: \"$(tr -d '\r' <"$work/second.log")\""

# Started with no Halvane.asi at all (none beside the program, no --plugin):
# the error box, saying to put it back there, and the world runs on.
[[ ! -e $build/wine/Halvane.asi ]] || fail "a Halvane.asi lies beside the playground program in $build/wine"
record=$work/record-none.txt
start_playground "$smallest_window" --folder "$(windows_path "$work/game-none")"
tail -1 "$record" | grep -q "plug-in error: cannot read the plug-in .*Halvane.asi: .*;If you unpacked the playground's zip, put its Halvane.asi back beside" ||
  fail "no load error when started without a DLL: $(tail -1 "$record")"
! tail -1 "$record" | grep -q -- '--plugin' || fail "the load error names --plugin, which no one typed: $(tail -1 "$record")"
shot_until none error_box none || fail "no error box without a DLL"
close_playground
pass "started with no Halvane.asi: the error shown in its box, the world runs on"

# Its own folder, locked: it says which folder it cannot write and what the
# player can do, not that the build is broken.
contents "$folder" >"$work/before.txt"
chattr +i "$folder"
locked+=("$folder")
record=$work/record-locked.txt
# A modder's build the folder does not hold yet (Home would install it), in
# a folder of its own: a folder holding a plug-in is a game's to the playground.
mkdir -p "$work/modder"
cp "$build/Halvane.asi" "$work/modder/Halvane.asi"
printf '\0' >>"$work/modder/Halvane.asi"
start_playground "$smallest_window" --plugin "$(windows_path "$work/modder/Halvane.asi")" --folder "$(windows_path "$folder")"
tail -1 "$record" | grep -q "plug-in error: The playground cannot write into its folder .*laptop: .*Make the folder writable" ||
  fail "no message naming the locked folder: $(tail -1 "$record" | sed 's/.*| plug-in/plug-in/')"
! tail -1 "$record" | grep -q 'rebuild' || fail "a locked folder is taken for a broken build"
shot_until locked error_box locked || fail "no error box for a locked folder"
close_playground
unlock "$folder"
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
mkdir -p "$work/moved"
mv "$folder/Halvane.asi" "$work/moved/mine.asi"
cp "$work/moved/mine.asi" "$work/mine.marker"
record=$work/record-moved.txt
start_playground "$smallest_window" --plugin "$(windows_path "$build/Halvane.asi")" --folder "$(windows_path "$folder")"
! tail -1 "$record" | grep -q 'plug-in error' || fail "its folder is not taken again: $(tail -1 "$record")"
tail -1 "$record" | grep -q 'load 1' || fail "the plug-in was not loaded: $(tail -1 "$record")"
cmp -s "$build/Halvane.asi" "$folder/Halvane.asi" || fail "the build was not installed in its folder"
[[ $(grep '^put: ' "$folder/halvane-playground.folder") == "put: $(fingerprint "$folder/Halvane.asi")" ]] ||
  fail "the mark does not record the Halvane.asi installed: $(cat "$folder/halvane-playground.folder")"
cmp -s "$work/moved/mine.asi" "$work/mine.marker" || fail "the player's own Halvane.asi was changed"
pass "a player's own Halvane.asi is refused, and once moved out of the folder the playground installs its own and plays"

# At the smallest window, every text of the menu ends inside its panel, on
# both pages (the gear speeds page's footer is its longest text, [-] its
# rightmost): nothing bright in a strip right of the panel's edge (0.27 of
# the view: 0.15 + 0.24 / 2), from the title to the footer, both where the
# record says the plug-in drew them.
beyond_panel() {
  local top bottom
  top=$(($(drawn_at '~y~Halvane' | cut -d' ' -f2) - 12))
  bottom=$(($(drawn_at '~y~UP/DOWN' | cut -d' ' -f2) + 42))
  box $((view_left + view * 270 / 1000 + 1)) $((view_top + view_height * top / 1000)) $((view * 60 / 1000)) \
    $((view_height * (bottom - top) / 1000)) "$1" 'max(r, max(g, b)) > 0.45'
}
# In the shot $1, the text drawn starting with $2 is lit as $7 (2 % of a box
# of $5 by $6 thousandths of the view, $3 and $4 from where the record says
# the plug-in drew it): the page is on screen.
lit_where_drawn() {
  local x y
  read -r x y <<<"$(drawn_at "$2")"
  [[ -n $y ]] && at_least "$(share $((x + $3)) $((y + $4)) "$5" "$6" "$1" "$7")" 0.02
}
# The page is on screen (its footer's yellow, or the red [-], where they were
# drawn), and nothing of it beyond the panel.
menu_page() {
  local shot=$1 page=$2 text=$3 name
  shift 3
  name=$(sed 's/~[a-z]~//g' <<<"$text")
  [[ -n $(drawn_at "$text") ]] || fail "the $page page's $name is not among the texts drawn: $(page_texts)"
  shot_until "$shot" lit_where_drawn "$shot" "$text" "$@" ||
    fail "the $page page's $name is not in the shot at $smallest_window where the plug-in drew it, at $(drawn_at "$text") thousandths of the view"
  at_least 0 "$(beyond_panel "$shot")" ||
    fail "the $page page runs past its panel at $smallest_window: $(beyond_panel "$shot") of the strip beyond it is lit"
}
press F2
menu_page menu-keys keybindings '~y~UP/DOWN' -8 -8 60 30 'r>0.55 && g>0.45 && b<0.4'
select_row "Gear Speeds"
press Return
menu_page menu-gears "gear speeds" '~r~[-]' -7 -5 25 40 'r>0.6 && g<0.4 && b<0.4'
close_playground
pass "at $smallest_window the menu's texts end inside its panel on both pages"

# scripts/playground.sh: --help says what each option does and its default,
# and every variable the script reads, and starts nothing; every option is
# passed on, a relative path taken from where it was started; the largest
# size named above fits the screen; the folder is named, as typed, once taken.
timeout 60 "$here/../scripts/playground.sh" --help >"$work/help.txt" 2>&1 </dev/null ||
  fail "scripts/playground.sh --help failed: $(cat "$work/help.txt")"
for option in --plugin --folder --record --size; do
  grep -A2 -- "^  $option " "$work/help.txt" | grep -q 'default' || fail "--help says no default for $option: $(cat "$work/help.txt")"
done
for variable in $(grep -oE '\$\{?[A-Z][A-Z_]+' "$here/../scripts/playground.sh" | tr -d '${' | grep -vx 'HOME\|PWD' | sort -u); do
  grep -q "^  $variable " "$work/help.txt" || fail "--help does not name $variable, which the script reads"
done
record=$work/record-script.txt
by_script script --size "$largest" --folder "script folder" --record "$(basename "$record")" --plugin modder/Halvane.asi &
playground=$!
window=$(wait_for_window 120 "Halvane Playground" "$work/script.log" "$playground") || fail "no window from scripts/playground.sh"
until [[ -s $record ]] && (($(frames) > 30)); do sleep 0.1; done
measure
[[ ${WIDTH}x$HEIGHT == "$largest" ]] || fail "scripts/playground.sh --size $largest opened ${WIDTH}x$HEIGHT"
((X >= 0 && Y >= 0 && X + WIDTH <= ${screen%x*} && Y + HEIGHT <= ${screen#*x})) ||
  fail "the largest window named (${WIDTH}x$HEIGHT at $X,$Y) does not fit the $screen screen"
[[ -f "$work/script folder/halvane-playground.folder" ]] || fail "scripts/playground.sh did not pass --folder on"
cmp -s "$work/modder/Halvane.asi" "$work/script folder/Halvane.asi" || fail "scripts/playground.sh did not pass --plugin on"
grep -q '^playground: Halvane.ini is in script folder; F1' "$work/script.log" ||
  fail "scripts/playground.sh does not name the folder, as typed, once taken: $(cat "$work/script.log")"
# On a machine with no sound card and no sound server (as here, most often):
# a clip played (T) brings none of the sound library's complaints, and the
# playground says once that no sound device was found.
if ! grep -qs '^ *[0-9]' /proc/asound/cards && [[ ! -S ${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/pulse/native ]]; then
  xdotool windowfocus --sync "$window"
  mark=$(frames)
  press t
  seen "$mark" '"safety switch"' || fail "T played no clip in the window scripts/playground.sh started"
  [[ $(grep -c 'no sound device was found' "$work/script.log") == 1 ]] ||
    fail "with no sound device, scripts/playground.sh does not say so once: $(cat "$work/script.log")"
  ! grep -q 'ALSA lib' "$work/script.log" || fail "the sound library's complaints reach the player: $(grep -m3 'ALSA lib' "$work/script.log")"
  sound="; with no sound device, said once and no complaint of the sound library"
fi
close_playground
pass "scripts/playground.sh passes --size $largest (the window fits the screen), --folder, --record and --plugin on; --help lists each with its default, and every variable it reads${sound:-}"
pass "passed"

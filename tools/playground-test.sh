#!/usr/bin/env bash
# Plays the real Halvane.asi in the playground under Xvfb, typing and clicking
# into its window with xdotool: no import of the DLL is patched, so the real
# GetAsyncKeyState, GetTickCount and PlaySoundA carry it. Checks the
# playground's record, the settings file it leaves, and pixels of screenshots.
#   playground-test.sh <windows build folder> <work folder> [screenshot to keep]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
build=$(realpath -m "$1")
work=$(realpath -m "$2")
keep=${3:-}
[[ -f $build/Halvane.asi && -f $build/wine/halvane_playground.exe ]] ||
  missing_build "$build/wine/halvane_playground.exe" "cmake --preset windows && cmake --build --preset windows"
test_name=playground-test

[[ -d $work ]] && chattr -R -i "$work" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
record=$work/record.txt

# Big enough for a 3000-wide and a 2000-high window.
source "$here/xvfb.sh" "$work/xvfb.log" playground-test 3100x2150x24
playground_exe=$build/wine/halvane_playground.exe
source "$here/playground-lib.sh"

# A copy of the DLL, as a modder's build output (in a folder of its own: a
# folder holding a plug-in is a game's to the playground): broken at the end.
mkdir -p "$work/modder"
cp "$build/Halvane.asi" "$work/modder/Halvane.asi"
"$here/wine-run.sh" "$build/wine/halvane_playground.exe" --plugin "$(windows_path "$work/modder/Halvane.asi")" \
  --folder "$(windows_path "$work/game")" --record "$(windows_path "$record")" >"$work/playground.log" 2>&1 &
playground=$!
window=$(wait_for_window 120 "Halvane Playground" "$work/playground.log") || fail "no playground window"
xdotool windowfocus --sync "$window"
measure


until [[ -s $record ]] && (($(frames) > 30)); do sleep 0.1; done
start=$(frames)

# T: the safety goes on; the line is drawn and the real PlaySoundA takes the clip.
press t
seen "$start" '"~r~SAFETY ON  ~y~"' || fail "SAFETY ON is not drawn after T"
seen "$start" '"safety switch" accepted' || fail "the safety switch sound is not logged by name, accepted by PlaySoundA"
# The line shows for 600 ms of the game's clock, which a loaded machine may
# spend before the shot is taken: a dry click (the catch is on) shows it
# again, and the shot is taken as soon as the click is seen, until the line
# is in it.
red_line() { at_least "$(share 450 915 100 30 safety 'r>0.7 && g<0.35 && b<0.35')" 0.02; }
shot safety
if ! red_line; then
  xdotool mousemove --sync $((X + view_left + view / 2)) $((Y + view_top + view_height / 2))
  for _ in $(seq 20); do
    mark=$(frames)
    xdotool mousedown 1
    for _ in $(seq 600); do seen "$mark" '"dry fire"' && break; sleep 0.05; done
    shot safety
    xdotool mouseup 1
    settle "$(frames)" 2
    red_line && break
  done
fi
red_line || fail "no red status line at the bottom of the game view"
pass "T turns the safety on: SAFETY ON drawn, \"safety switch\" accepted by PlaySoundA"
# The panel lists the controls the catch disables, each name apart from the
# next (the record has the panel's lines as drawn, in brackets).
tail -1 "$record" | sed -n 's/.*| panel: \(.*\)/\1/p' | sed 's/\] *\[ */ /g; s/^\[//; s/\].*//' >"$work/disabled.txt"
grep -q '^Disabled: jump, attack, reload, vehicle attack, passenger attack, fly attack, melee light, melee heavy, melee alternate, attack 2, melee 1, melee 2$' "$work/disabled.txt" ||
  fail "the panel's disabled controls do not read apart: $(cat "$work/disabled.txt")"
pass "the panel lists the disabled controls apart: $(cat "$work/disabled.txt")"

# A left click while safe: the dry click, and nothing fired.
xdotool mousemove --sync $((X + view_left + view / 2)) $((Y + view_top + view_height / 2))
mark=$(frames)
xdotool mousedown 1
settle "$mark" 6
xdotool mouseup 1
settle "$(frames)" 6
seen "$mark" '"dry fire" accepted' || fail "a click while safe does not play the dry fire sound"
seen "$mark" 'shots 0' && ! seen "$mark" 'shots [1-9]' || fail "a click while safe fired"
pass "a click while safe plays the dry click and fires nothing"

# Safety off: a click of the pistol fires one round, however long it is held.
press t
shots() { tail -1 "$record" | sed -n 's/.*, shots \([0-9]*\),.*/\1/p'; }
before=$(shots)
mark=$(frames)
xdotool mousedown 1
settle "$mark" 20
xdotool mouseup 1
settle "$(frames)" 6
after=$(shots)
[[ $after == $((before + 1)) ]] || fail "a pistol click fired $((after - before)) rounds, not one"
tail -1 "$record" | grep -q 'ammo counter: Pistol  11 | 108' ||
  fail "the ammo counter does not show the pistol's 11 | 108: $(tail -1 "$record" | sed 's/.*ammo counter/ammo counter/')"
# The counter's dark plate at the top right of the game view.
plate() { at_least "$(share 860 20 120 50 counter 'r<0.1 && g<0.1 && b<0.1')" 0.5; }
shot_until counter plate || fail "no ammo counter plate at the top right"
pass "a pistol click held for 20 frames fires exactly one round; the ammo counter shows 11 | 108 at the top right"

# R with 11 of 12 in the magazine: the game's own reload, but not while the
# catch is on.
press t
press r
tail -1 "$record" | grep -q 'ammo counter: Pistol  11 | 108' || fail "R reloaded with the catch on: $(tail -1 "$record")"
press t
press r
tail -1 "$record" | grep -q 'ammo counter: Pistol  12 | 107' ||
  fail "R with the catch off does not reload 11 of 12: $(tail -1 "$record" | sed 's/.*ammo counter/ammo counter/')"
pass "R does nothing to 11 of 12 with the catch on; with it off the game reloads: 12 | 107"

# F2 opens the menu; Down to "Engine Toggle" and Enter start a capture; K binds it.
mark=$(frames)
press F2
seen "$mark" '"~y~Halvane~w~ | Keybindings"' || fail "F2 does not open the menu"
shot menu
# The rows' dark grey bars, right of their texts: neutral grey, where the
# view's background is a bluish dusk.
at_least "$(share 240 260 25 400 menu 'r<0.15 && abs(r-b)<0.025')" 0.7 ||
  fail "no menu panel at the left of the game view"
select_row "Engine Toggle"
press Return
press k
tr -d '\r' <"$work/game/Halvane.ini" | grep -qx 'Engine=K' || fail "K was not saved as the engine key"
seen "$mark" 'notices: "Key set to: K"' || fail "no notification names the new key"
seen "$mark" '"menu select"' || fail "the menu's select sound is not logged by name"
pass "F2, arrows and Enter start a capture; K rebinds the engine and Halvane.ini is saved"
# Down to "Hide Ammo Counter" and Enter: once the menu closes, the counter is gone.
select_row "Hide Ammo Counter"
press Return
tr -d '\r' <"$work/game/Halvane.ini" | grep -qx 'HideAmmoHud=1' || fail "Hide Ammo Counter was not saved"
press F2
mark=$(frames)
settle "$mark" 6
! seen "$mark" 'ammo counter: Pistol' && seen "$mark" 'ammo counter: hidden' || fail "the ammo counter still shows"
shot hidden
at_least 0.05 "$(share 860 20 120 50 hidden 'r<0.1 && g<0.1 && b<0.1')" || fail "the ammo counter plate is still drawn"
pass "with Hide Ammo Counter on, the counter is no longer drawn"

# Into the car, the engine on with its new key, and W held: gear 1's limit.
mark=$(frames)
press f
seen "$mark" 'world: in car' || fail "F does not get into the car"
press k
seen "$mark" 'engine on' || fail "K does not start the engine"
shot car  # the gear banner still shows
drive=$(frames)
fastest_since() { since "$1" | sed -n 's/.*speed \([0-9.]*\).*/\1/p' | sort -g | tail -1; }
# Held until the car is near gear 1's limit (up to 60 s on a loaded
# machine), then for 30 frames more at it.
xdotool keydown w
for _ in $(seq 300); do at_least "$(fastest_since "$drive")" 9.0 && break; sleep 0.2; done
settle "$(frames)" 30
xdotool keyup w
fastest=$(fastest_since "$drive")
at_least "$fastest" 9.0 || fail "holding W never got the car going (fastest $fastest m/s)"
at_least 9.73 "$fastest" || fail "holding W went past gear 1's 9.72 m/s (fastest $fastest m/s)"
at_least "$(share 921 838 48 8 car 'r>0.6 && g>0.6 && b>0.6')" 0.3 || fail "no gear indicator at the lower right"
pass "in the car, W is held at gear 1's limit (fastest $fastest m/s)"

# Home loads the DLL again from disk: the new copy reads the saved K.
mark=$(frames)
press Home
press k
seen "$mark" 'load 2' || fail "Home does not load the plug-in again"
seen "$mark" 'engine off' || fail "after Home the reloaded plug-in does not switch the engine with K"
pass "Home reloads the plug-in, which keeps the saved binding"

# F1 lists the bindings in force: the file as the plug-in read it and saved
# it since, not a hand edit made while it runs.
printf 'Surrender=U\r\n' >>"$work/game/Halvane.ini"
press F1
tail -1 "$record" | grep -q '\[Surrender     Y\]' && tail -1 "$record" | grep -q '\[Engine        K\]' ||
  fail "F1 does not list the bindings in force: $(tail -1 "$record" | sed 's/.*| help:/help:/')"
press F1
pass "F1 lists the bindings in force (K for the engine as saved, Y for surrender despite a hand edit)"

# The DLL gone (renamed away), and Home: the error is shown whole and the
# world runs on.
mv "$work/modder/Halvane.asi" "$work/modder/Halvane.asi.away"
mark=$(frames)
press Home
settle "$mark" 12
tail -1 "$record" | grep -q "plug-in error: cannot read the plug-in .*Halvane.asi (--plugin): .*;It is the plug-in --plugin named: if you build Halvane yourself, rebuild it" ||
  fail "no load error for a missing DLL: $(tail -1 "$record" | sed 's/.*| plug-in/plug-in/')"
kill -0 "$playground" 2>/dev/null || fail "the playground closed when the DLL was missing"
(($(frames) > mark + 12)) || fail "the world stopped when the DLL was missing"
mv "$work/modder/Halvane.asi.away" "$work/modder/Halvane.asi"
pass "a missing DLL at Home: the error is shown whole and the world runs on"

# A broken build: Home cannot load it. Its drawing goes, the error is shown
# whole, and the world runs on without it: F gets out, a click fires.
head -c 4096 /dev/urandom >"$work/modder/Halvane.asi"
mark=$(frames)
press Home
settle "$mark" 12
tail -1 "$record" | grep -q 'plug-in error: .*Halvane.asi) failed with error 193' ||
  fail "no whole load error in the record: $(tail -1 "$record" | sed 's/.*| plug-in/plug-in/')"
tail -1 "$record" | grep -q '| texts: |' || fail "the plug-in's last drawing is still there"
! tail -1 "$record" | grep -q '%[0-9]' || fail "the load error has an insert left unfilled: $(tail -1 "$record")"
error_box() { at_least "$(share 100 400 700 80 "$1" 'r>0.25 && g<0.1 && b<0.1')" 0.5; }
shot_until broken error_box broken || fail "no error box in the game view"
press f
tail -1 "$record" | grep -q 'world: on foot' || fail "without the plug-in, F does not get out of the car"
before=$(shots)
xdotool mousedown 1
settle "$(frames)" 6
xdotool mouseup 1
settle "$(frames)" 6
[[ $(shots) == $((before + 1)) ]] || fail "without the plug-in a click fired $(($(shots) - before)) rounds, not one"
pass "a broken DLL after Home: its drawing gone, the error shown whole, the world runs on without it"


close_playground
# Any error but those of the missing and the broken build.
grep 'substitute host:' "$work/playground.log" |
  grep -v 'cannot load the plug-in: LoadLibraryW' >"$work/errors.txt" || true
[[ ! -s $work/errors.txt ]] || fail "the substitute host saw errors: $(cat "$work/errors.txt")"
[[ -z $keep ]] || cp "$work/car.png" "$keep"

cp "$build/Halvane.asi" "$work/modder/Halvane.asi"  # whole again
# Its own folder again after a restart, at the smallest window: the saved K
# is read, and the menu's capitals are tall enough to read. The folder is
# left as an install cut short leaves it: the mark naming the Halvane.asi
# there and the one being put in, which lies half written beside it.
mark_file=$work/game/halvane-playground.folder
grep -qx "put: $(fingerprint "$work/game/Halvane.asi")" "$mark_file" ||
  fail "the mark does not record the Halvane.asi in the folder: $(cat "$mark_file")"
{ grep -v '^put: ' "$mark_file"; echo "put: $(fingerprint "$work/game/Halvane.asi")"; echo "put: $(fingerprint "$work/modder/Halvane.asi")"; } >"$work/mark.new"
mv "$work/mark.new" "$mark_file"
head -c 1000 "$work/modder/Halvane.asi" >"$work/game/Halvane.asi.new"
# Gear 1 at 50 m/s, 111 mph: three figures beside the gear speeds page's [+].
sed -i 's/^Gear1=.*/Gear1=50\r/' "$work/game/Halvane.ini"
record=$work/record-small.txt
start_playground "$smallest_window" --plugin "$(windows_path "$work/modder/Halvane.asi")" --folder "$(windows_path "$work/game")"
! tail -1 "$record" | grep -q 'plug-in error' || fail "its own folder is not taken again: $(tail -1 "$record")"
tr -d '\r' <"$work/game/Halvane.ini" | grep -qx 'Engine=K' || fail "the settings saved in its folder are gone"
cmp -s "$work/modder/Halvane.asi" "$work/game/Halvane.asi" || fail "the build was not installed in its own folder"
[[ $(grep '^put: ' "$mark_file") == "put: $(fingerprint "$work/game/Halvane.asi")" ]] ||
  fail "the mark does not record exactly the Halvane.asi installed: $(cat "$mark_file")"
[[ ! -e $work/game/Halvane.asi.new ]] || fail "the half-written Halvane.asi.new was left in the folder"
mark=$(frames)
press F2
seen "$mark" '"~y~Halvane~w~ | Keybindings"' || fail "F2 does not open the menu at $smallest_window"
seen "$mark" '"\[K\]"' || fail "the menu does not show the saved K after a restart"
menu_panel() { at_least "$(share 40 260 230 420 "$1" 'r<0.15 && abs(r-b)<0.025')" 0.5; }
shot_until small menu_panel small || fail "no menu panel at $smallest_window"
at_least 0.0005 "$(share 275 240 125 480 small 'r>0.6 && g>0.6 && b>0.6')" ||
  fail "menu text runs past the panel at $smallest_window"
capital=$(capital_height small)
((capital >= 8)) || fail "the menu's capitals are $capital pixels high at $smallest_window: too small to read"
small_texts small "$smallest_window"
close_playground
pass "its own folder taken again after a restart cut short mid-install, at $smallest_window: K read back, the mark true, the menu's capitals $capital pixels high; $small_texts_seen"

# The game view keeps its 16:9 shape in a wide and in a tall window: black
# bars round it, and the menu and the gear knob where they are in any view;
# and the menu's smallest texts are legible and apart there and at the size
# a large screen opens with.
for size in 3000x${smallest#*x} ${smallest_window%x*}x2000 1600x720; do
  record=$work/record-$size.txt
  start_playground "$size" --plugin "$(windows_path "$work/modder/Halvane.asi")" --folder "$(windows_path "$work/game-$size")"
  # Gear 1 at 50 m/s, read when Home loads the plug-in again.
  sed -i 's/^Gear1=.*/Gear1=50\r/' "$work/game-$size/Halvane.ini"
  press Home
  mark=$(frames)
  press F2
  seen "$mark" '"~y~Halvane~w~ | Keybindings"' || fail "F2 does not open the menu at $size"
  shot_until "view-$size" menu_panel "view-$size" || fail "no menu panel at $size"
  # Every pixel outside the game view and left of the panel is black.
  for bar in "0 0 $view_left $HEIGHT" "$((view_left + view)) 0 $((WIDTH - panel_width - view_left - view)) $HEIGHT" \
    "0 0 $((WIDTH - panel_width)) $view_top" "0 $((view_top + view_height)) $((WIDTH - panel_width)) $((HEIGHT - view_top - view_height))"; do
    read -r bx by bw bh <<<"$bar"
    ((bw > 0 && bh > 0)) || continue
    at_least "$(box "$bx" "$by" "$bw" "$bh" "view-$size" 'r+g+b == 0')" 1 || fail "something is drawn outside the game view at $size ($bar)"
  done
  # The view's own sky, wall to wall.
  at_least "$(share 0 100 1000 100 "view-$size" 'b > r && r > 0.05')" 0.95 || fail "the game view does not fill its 16:9 box at $size"
  small_texts "view-$size" "$size"
  close_playground
  pass "at $size the game view is ${view}x$view_height, black bars round it, the menu in its place; $small_texts_seen"
done

pass "passed"
exit 0

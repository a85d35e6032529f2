# Sourced by the windowed playground tests, after tools/xvfb.sh: what they
# share to start and close the playground, press keys as a player does, wait
# on its record, and measure screenshots of its window. The caller sets
# test_name, here (the tools folder), work, playground_exe and record.
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
fail() { echo "$test_name: FAILED: $*" >&2; exit 1; }
pass() { echo "$test_name: $*"; }
# The window's layout as the playground's view declares it.
layout() { sed -n "s/^inline constexpr int $1 = \([0-9]*\);.*/\1/p" "$here/../playground/PlaygroundView.h"; }
panel_width=$(layout PanelWidth)
smallest="$(layout SmallestViewWidth)x$(layout SmallestViewHeight)"
smallest_window="$((${smallest%x*} + panel_width))x${smallest#*x}"
[[ $panel_width =~ ^[0-9]+$ && $smallest =~ ^[0-9]+x[0-9]+$ ]] || fail "no layout read from PlaygroundView.h"

# A folder's files and their bytes, to show it is left as it was.
contents() { (cd "$1" && find . -printf '%p %s %m\n' | sort && find . -type f -print0 | sort -z | xargs -0 -r sha256sum); }
fingerprint() { echo "$(stat -c %s "$1") $(sha256sum "$1" | cut -d' ' -f1)"; }
# The window's client area (X, Y, WIDTH, HEIGHT) and the game view in it:
# the largest 16:9 box left of the panel, in the middle of that room.
measure() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  room=$((WIDTH - panel_width))
  view=$((HEIGHT * 16 / 9 < room ? HEIGHT * 16 / 9 : room))
  view_height=$((view * 9 / 16))
  view_left=$(((room - view) / 2))
  view_top=$(((HEIGHT - view_height) / 2))
}

frames() { wc -l <"$record"; }
# The texts of the record's last frame, one a line: "x y text", x and y in
# thousandths of the screen, where the plug-in drew the text.
drawn_texts() {
  tail -1 "$record" | sed 's/.*| texts://; s/ | sounds:.*//' | grep -o '"[^"]*"@[0-9.-]*,[0-9.-]*' |
    sed 's/^"\(.*\)"@\([0-9.-]*\),\([0-9.-]*\)$/\2 \3 \1/' |
    awk '{ printf "%d %d %s\n", $1 * 1000 + ($1 < 0 ? -0.5 : 0.5), $2 * 1000 + ($2 < 0 ? -0.5 : 0.5), substr($0, length($1) + length($2) + 3) }'
}
# Where the first text of the last frame that starts with $1 was drawn:
# "x y" in thousandths of the screen, or nothing when no such text is drawn.
drawn_at() { drawn_texts | awk -v want="$1" 'index(substr($0, length($1) + length($2) + 3), want) == 1 { print $1, $2; exit }'; }
# The label of the menu's row the marker stands on in the last frame: the
# text nearest right of the marker on its line, as the menu tests read it.
selected_row() {
  drawn_texts | awk '{ x[NR] = $1; y[NR] = $2; t[NR] = substr($0, length($1) + length($2) + 3); if (t[NR] == "~y~>") m = NR }
    END { if (!m) exit; for (i = 1; i <= NR; i++) if (y[i] == y[m] && x[i] > x[m] && (!b || x[i] < x[b])) b = i; if (b) print t[b] }'
}
# The menu's page as drawn in the last frame: its texts, colour codes left out.
page_texts() { drawn_texts | cut -d' ' -f3- | sed 's/~[a-z]~//g' | awk '{ printf "%s%s", (NR > 1 ? ", " : ""), $0 }'; }
# Presses Down until the row labelled $1 is selected, as a player finds it
# on the page; a page without that row fails, saying so.
select_row() {
  local presses
  presses=$(drawn_texts | wc -l)
  [[ -n $(selected_row) ]] || fail "row $1 not found: no row of the menu is selected (the page drawn: $(page_texts))"
  for ((i = 0; i <= presses; i++)); do
    [[ $(selected_row) == "$1" ]] && return 0
    press Down
  done
  fail "row $1 not found on the menu's page (the page drawn: $(page_texts))"
}
# Waits until the record has `count` more frames than when `since` was taken.
settle() { local since=$1 count=${2:-12}; for _ in $(seq 600); do (($(frames) >= since + count)) && return; sleep 0.05; done; }
# A key held for a few frames, as a player presses it: the plug-in polls.
press() { local before; before=$(frames); xdotool keydown "$1"; settle "$before" 6; xdotool keyup "$1"; settle "$(frames)" 6; }
since() { tail -n +"$(($1 + 1))" "$record"; }
# Whether a frame since the given one matches (a file between: with
# pipefail, grep -q closing the pipe early would fail the pipeline).
seen() { since "$1" >"$work/slice.txt"; grep -q -- "$2" "$work/slice.txt"; }
# A shot of the window's client area.
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$1.png"; }
# Takes the shot again (for up to 30 s) until the check after its name holds
# of it: the window repaints on a frame of its own, which may come after the
# record already says what it will show.
shot_until() {
  local name=$1
  shift
  for _ in $(seq 60); do
    shot "$name"
    "$@" && return 0
    sleep 0.5
  done
  return 1
}
# The share of pixels in a box of the game view (thousandths of it) for
# which an ImageMagick expression holds.
share() {
  local x=$((view_left + $1 * view / 1000)) y=$((view_top + $2 * view_height / 1000))
  box "$x" "$y" $(($3 * view / 1000)) $(($4 * view_height / 1000)) "$5" "$6"
}
# The same for a box of the window in pixels: x y width height shot expression.
box() { convert "$work/$5.png" -crop "${3}x${4}+${1}+${2}" +repage -fx "$6" -format '%[fx:mean]' info:; }
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# Escape closes the playground; one that does not is ended, and no window of
# it is left for the next start to be taken for its own.
close_playground() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool keydown Escape
  for _ in $(seq 100); do kill -0 "$playground" 2>/dev/null || break; sleep 0.1; done
  xdotool keyup Escape
  kill "$playground" 2>/dev/null || true
  wait "$playground" 2>/dev/null || true
  xdotool windowunmap "$window" 2>/dev/null || true
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "Halvane Playground" >/dev/null 2>&1 || break
    sleep 0.1
  done
}
# Starts the playground on the record $record, in the window size $1
# ("default": none asked for; the rest are its options), and waits for its
# window and its first frames.
start_playground() {
  local size=$1 name sized=()
  name=$(basename "$record" .txt)
  shift
  [[ $size == default ]] || sized=(--size "$size")
  "$here/wine-run.sh" "$playground_exe" --record "$(windows_path "$record")" "${sized[@]}" "$@" \
    >"$work/$name.log" 2>&1 &
  playground=$!
  window=$(wait_for_window 120 "Halvane Playground" "$work/$name.log" "$playground") ||
    fail "no playground window at $size"
  xdotool windowraise "$window"
  xdotool windowfocus --sync "$window"
  until [[ -s $record ]] && (($(frames) > 30)); do sleep 0.1; done
  measure
  [[ $size == default || ${WIDTH}x${HEIGHT} == "$size" ]] || fail "asked for a window of $size, got ${WIDTH}x${HEIGHT}"
}

# The menu's texts at their smallest, in the shot $1 of the keybindings page.
# Prints the height of the labels' capitals: the labels' white letters start
# at one x, and the longest run of white down a strip at their left edge is
# the stem of an M, an E or an H.
capital_height() {
  local top=$((view_top + view_height * 250 / 1000)) strip=$((view_height * 450 / 1000)) edge
  local white='r>0.6 && g>0.6 && b>0.6 && abs(r-b)<0.1'
  edge=$(convert "$work/$1.png" -crop "$((view * 150 / 1000))x$strip+$((view_left + view * 30 / 1000))+$top" +repage \
    -fx "$white" -format '%@' info: | sed -n 's/^[0-9]*x[0-9]*+\([0-9]*\)+[0-9]*$/\1/p')
  [[ -n $edge ]] || fail "no menu labels to measure in $1"
  convert "$work/$1.png" -crop "2x$strip+$((view_left + view * 30 / 1000 + edge))+$top" +repage \
    -fx "$white" -scale "1x$strip!" -threshold 40% txt:- |
    awk 'NR > 1 { if ($0 ~ /#FFFFFF/) run++; else run = 0; if (run > best) best = run } END { print best + 0 }'
}
# The footer's first word, "UP/DOWN" in yellow, in the shot $1 of the
# keybindings page, found where the record says the plug-in drew the footer:
# prints "<letters> <lowest letter's height> <lean>", the letters told apart
# as shapes that do not touch and the lean of the third, the slash: how far
# right of its foot its top is, in pixels (an I has none).
footer_word() {
  local word=$work/$1-word.png fx fy
  read -r fx fy <<<"$(drawn_at '~y~UP/DOWN')"
  [[ -n $fy ]] || fail "the keybindings page's footer (UP/DOWN ...) is not among the texts drawn: $(page_texts)"
  convert "$work/$1.png" -crop "$((view * 75 / 1000))x$((view_height * 45 / 1000))+$((view_left + view * (fx - 8) / 1000))+$((view_top + view_height * (fy - 8) / 1000))" \
    +repage -fx 'r>0.55 && g>0.45 && b<0.4' -threshold 50% "$word"
  convert "$word" -define connected-components:verbose=true -define connected-components:area-threshold=3 \
    -connected-components 8 null: | awk '/\(255|#FFFFFF|white/ { split($2, g, /[x+]/); print g[3], g[1], g[2], g[4] }' |
    sort -n | head -7 >"$work/$1-letters.txt"
  local letters lowest slash
  letters=$(wc -l <"$work/$1-letters.txt")
  lowest=$(awk 'NR != 3 { if (!low || $3 < low) low = $3 } END { print low + 0 }' "$work/$1-letters.txt")
  slash=$(sed -n 3p "$work/$1-letters.txt")
  [[ -n $slash ]] || { echo "$letters $lowest 0"; return; }
  read -r sx sw sh sy <<<"$slash"
  echo "$letters $lowest $(convert "$word" -crop "${sw}x$sh+$sx+$sy" +repage txt:- | awk -F'[,:]' '
    NR > 1 && /#FFFFFF|white/ { n[$2]++; sum[$2] += $1; if (top == "" || $2 < top) top = $2; if ($2 > foot) foot = $2 }
    END { if (top == "") print 0; else printf "%.1f\n", sum[top] / n[top] - sum[foot] / n[foot] }')"
}
# In the shot $1 of the gear speeds page, gear 1 selected: prints the
# columns between the end of its value's neutral letters ("m/s", "mph") and
# the start of the green [+], or "none" with what was not seen. ([+] drawn
# over the value hides what it covers: the columns left are few, not none.)
plus_gap() {
  local gx gy
  read -r gx gy <<<"$(drawn_at 'Gear 1')"
  [[ -n $gy ]] || { echo "none (no row Gear 1 drawn)"; return; }
  local crop="$((view * 170 / 1000))x$((view_height * 45 / 1000))+$((view_left + view * 100 / 1000))+$((view_top + view_height * (gy - 5) / 1000))"
  local green text
  green=$(convert "$work/$1.png" -crop "$crop" +repage -fx 'g>0.6 && r<0.6 && b<0.6' -format '%@' info:)
  text=$(convert "$work/$1.png" -crop "$crop" +repage -fx 'r>0.4 && abs(r-g)<0.06 && abs(g-b)<0.06' -format '%@' info:)
  [[ $green =~ ^[0-9]+x[0-9]+\+([0-9]+)\+ ]] || { echo "none (no [+] seen)"; return; }
  local start=${BASH_REMATCH[1]}
  [[ $text =~ ^([0-9]+)x[0-9]+\+([0-9]+)\+ ]] || { echo "none (no speed seen)"; return; }
  echo $((start - BASH_REMATCH[1] - BASH_REMATCH[2]))
}

# With the keybindings page open (its shot taken as $1), at the window size
# $2: the footer's "UP/DOWN" reads as letters apart (two may touch at a
# corner), at least 7 pixels high, the third leaning right; then on the
# gear speeds page, gear 1's speed of three figures in mph ends at least 4
# pixels before its [+]. What it measured is left in $small_texts_seen.
small_texts() {
  footer_word "$1" >"$work/$1-footer.txt" || exit 1
  read -r letters lowest lean <"$work/$1-footer.txt"
  ((letters > 0)) || fail "no yellow of the footer's UP/DOWN at $2 where the plug-in drew it ($(drawn_at '~y~UP/DOWN') thousandths of the view)"
  ((letters >= 6 && lowest >= 7)) && at_least "$lean" 1 ||
    fail "the footer's UP/DOWN cannot be read at $2: $letters letters apart, the lowest $lowest pixels high, the slash leaning $lean"
  select_row "Gear Speeds"
  local mark
  mark=$(frames)
  press Return
  seen "$mark" '"~y~50.00 ~w~m/s  ~c~111 mph"' || fail "no gear 1 at 111 mph on the gear speeds page at $2"
  # At least a space apart: [+] drawn over the "h" of "mph" leaves a column
  # or so of its "mp" visible before it.
  plus_shown() { gap=$(plus_gap "$1"); [[ $gap =~ ^-?[0-9]+$ ]] && ((gap >= 4)); }
  shot_until "$1-gears" plus_shown "$1-gears" || fail "the [+] covers or touches gear 1's speed at $2 (a gap of $gap)"
  small_texts_seen="UP/DOWN $lowest pixels high, its slash leaning $lean; [+] $gap pixels after 111 mph"
}

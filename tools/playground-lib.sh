# Sourced by the windowed playground tests, after tools/xvfb.sh: what they
# share to start and close the playground, press keys as a player does, wait
# on its record, and measure screenshots of its window. The caller sets
# test_name, here (the tools folder), work, playground_exe and record.
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
fail() { echo "$test_name: FAILED: $*" >&2; exit 1; }
pass() { echo "$test_name: $*"; }
# The window's layout as the playground's view declares it.
layout() { sed -n "s/^inline constexpr int $1 = \([0-9]*\);.*/\1/p" "$here/../sim/win/PlaygroundView.h"; }
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

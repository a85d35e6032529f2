# Sourced by a test that shows a Wine window: starts an X server of its own on
# a display it picks itself (two tests starting at once never take the same
# one), exports DISPLAY, and gives the test a Wine prefix of its own whose
# wine server is started afresh on that display (named after this checkout
# and the test, and made anew from the template: tools/wine-prefix.sh). Both
# servers (and the program in $playground, if any) are stopped when the
# script ends, and the prefix is removed.
#   source xvfb.sh <log file> <prefix name> [screen size, default 1700x800x24]
# A window only appears on the display of the program that started its wine
# server: a server started by a headless test, or by a windowed test on
# another display, shows nothing here. So no other test uses this prefix, and
# a server left behind by an earlier run of this test is stopped first.
# No auto-repeat: a key held a few frames on a loaded machine may be held
# past the repeat delay, and a repeated key is a second press to the game
# (F held to get in would get out again).
Xvfb -displayfd 1 -screen 0 "${3:-1700x800x24}" -nolisten tcp -r >"$1.display" 2>"$1" &
xvfb=$!
playground=
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
HALVANE_WINEPREFIX=$(halvane_prefix "window-$2")
export HALVANE_WINEPREFIX
cleanup() {
  if [[ -n $playground ]]; then kill "$playground" 2>/dev/null || true; fi
  halvane_remove_prefix "$HALVANE_WINEPREFIX"
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [[ -s $1.display ]] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$1.display")
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
# One left by a run that was killed goes first, with its server.
halvane_remove_prefix "$HALVANE_WINEPREFIX"
# The prefix made (from the template, made on first use) and its server
# booted on this display before the test's clock for its window starts:
# that can take half a minute on a loaded machine.
"$(dirname "${BASH_SOURCE[0]}")/wine-run.sh"

# Waits (up to $1 seconds) for the window named $2 to be mapped, and prints its
# id; when it does not come, says why: what the program wrote ($3) and the end
# of the X server's log. With a process id ($4), only that process's window.
wait_for_window() {
  local window pid=()
  [[ -n ${4:-} ]] && pid=(--pid "$4")
  if window=$(timeout "$1" xdotool search --sync --onlyvisible "${pid[@]}" --name "$2" 2>/dev/null | head -1) &&
    [[ -n $window ]]; then
    echo "$window"
    return 0
  fi
  {
    echo "no window \"$2\" within $1 s on display $DISPLAY; the program wrote:"
    sed 's/^/  | /' "$3" 2>/dev/null | tail -40
    echo "the X server's log ends:"
    tail -20 "$xvfb_log" 2>/dev/null | sed 's/^/  | /'
  } >&2
  return 1
}
xvfb_log=$1

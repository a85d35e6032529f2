# Sourced: starts an X server of our own on a display it picks itself (two
# tests starting at once never take the same one), exports DISPLAY, and
# stops it (and the program in $playground, if any) when the script ends.
#   source xvfb.sh <log file> [screen size, default 1700x800x24]
Xvfb -displayfd 1 -screen 0 "${2:-1700x800x24}" -nolisten tcp >"$1.display" 2>"$1" &
xvfb=$!
playground=
cleanup() {
  if [[ -n $playground ]]; then kill "$playground" 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [[ -s $1.display ]] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$1.display")
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

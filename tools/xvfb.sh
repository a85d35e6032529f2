# Sourced: starts an X server of our own on a free display, exports DISPLAY,
# and stops it (and the program in $playground, if any) when the script ends.
#   source xvfb.sh <log file> [screen size, default 1700x800x24]
display=90
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 "${2:-1700x800x24}" -nolisten tcp >"$1" 2>&1 &
xvfb=$!
playground=
cleanup() {
  if [[ -n $playground ]]; then kill "$playground" 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=:$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

#!/usr/bin/env bash
# Starts the playground on this desktop: the real Halvane.asi in a window,
# played with the real keyboard, mouse, first pad and sound device, under
# Wine. Builds what is missing first (and what changed: a modder rebuilds,
# then presses Home in the window to load the new DLL). Every option is
# passed on to the playground, its paths as Wine names them.
#   scripts/playground.sh [--plugin FILE] [--folder DIR] [--record FILE] [--size WxH] [--help]
# The playground folder, where Halvane.ini stays between runs, is --folder,
# else $HALVANE_PLAYGROUND_FOLDER, else ~/.local/share/halvane-playground.
set -euo pipefail
# Paths given relative to where the script was started from.
started=$PWD
cd "$(dirname "$0")/.."
full_path() { (cd "$started" && realpath -m "$1"); }
folder=${HALVANE_PLAYGROUND_FOLDER:-$HOME/.local/share/halvane-playground}
usage() {
  cat <<USAGE
usage: scripts/playground.sh [--plugin FILE] [--folder DIR] [--record FILE] [--size WxH]
  --plugin FILE  the Halvane.asi to load, and to load again when Home is pressed
                 (default: build/windows/Halvane.asi, built first when missing or changed)
  --folder DIR   the playground's folder, where it installs Halvane.asi and Halvane
                 keeps Halvane.ini: a folder that does not exist yet (it makes it)
                 or one it made before (default: $folder)
  --record FILE  writes one line a frame (what the plug-in changed, drew and played,
                 and the world) into FILE, a new file: an existing one is refused
                 (default: no record)
  --size WxH     the window's inside, 1344x576 at least (default: the largest that
                 fits the screen, up to 1600x720)
  --help         this list
USAGE
}
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
plugin=
options=()
while (($#)); do
  case $1 in
    --help | -h)
      usage
      exit 0
      ;;
    --plugin | --folder | --record | --size)
      if (($# < 2)); then
        echo "playground: $1 needs a value" >&2
        usage >&2
        exit 2
      fi
      case $1 in
        --plugin) plugin=$(full_path "$2") ;;
        --folder) folder=$(full_path "$2") ;;
        --record) options+=(--record "$(windows_path "$(full_path "$2")")") ;;
        --size) options+=(--size "$2") ;;
      esac
      shift 2
      ;;
    *)
      echo "playground: unknown option $1" >&2
      usage >&2
      exit 2
      ;;
  esac
done

scripts/setup.sh
[[ -d build/windows ]] || cmake --preset windows >/dev/null
cmake --build --preset windows
if [[ -z ${DISPLAY:-} ]]; then
  echo "playground: no DISPLAY; start it from a desktop session (or under Xvfb)" >&2
  exit 1
fi
# The playground makes the folder itself the first time (it writes only into
# a folder it made), so only the folder around it is made here.
mkdir -p "$(dirname "$folder")"

# A prefix of its own, with the sound drivers left on.
export WINEPREFIX=${HALVANE_PLAYGROUND_PREFIX:-$HOME/.local/share/halvane-playground-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
[[ -f $WINEPREFIX/system.reg ]] || "$wine" wineboot -i >/dev/null 2>&1
echo "playground: Halvane.ini is in $folder; F1 in the window lists the keys"
exec "$wine" build/windows/wine/halvane_playground.exe \
  --plugin "$(windows_path "${plugin:-$PWD/build/windows/Halvane.asi}")" --folder "$(windows_path "$folder")" \
  "${options[@]}"

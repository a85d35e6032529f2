#!/usr/bin/env bash
# Starts the playground on this desktop: the real Halvane.asi in a window,
# played with the real keyboard, mouse, first pad and sound device, under
# Wine. Builds what is missing first (and what changed: a modder rebuilds,
# then presses Home in the window to load the new DLL).
#   scripts/playground.sh [--record FILE]
# The playground folder, where Halvane.ini stays between runs, is
# $HALVANE_PLAYGROUND_FOLDER, by default ~/.local/share/halvane-playground.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
[[ -d build/windows ]] || cmake --preset windows >/dev/null
cmake --build --preset windows
if [[ -z ${DISPLAY:-} ]]; then
  echo "playground: no DISPLAY; start it from a desktop session (or under Xvfb)" >&2
  exit 1
fi
folder=${HALVANE_PLAYGROUND_FOLDER:-$HOME/.local/share/halvane-playground}
# The playground makes the folder itself the first time (it writes only into
# a folder it made), so only the folder around it is made here.
mkdir -p "$(dirname "$folder")"
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
record=()
if [[ ${1:-} == --record && -n ${2:-} ]]; then record=(--record "$(windows_path "$(realpath -m "$2")")"); fi

# A prefix of its own, with the sound drivers left on.
export WINEPREFIX=${HALVANE_PLAYGROUND_PREFIX:-$HOME/.local/share/halvane-playground-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
[[ -f $WINEPREFIX/system.reg ]] || "$wine" wineboot -i >/dev/null 2>&1
echo "playground: Halvane.ini is in $folder; F1 in the window lists the keys"
exec "$wine" build/windows/wine/halvane_playground.exe \
  --plugin "$(windows_path "$PWD/build/windows/Halvane.asi")" --folder "$(windows_path "$folder")" "${record[@]}"

#!/usr/bin/env bash
# Starts the playground on this desktop: the real Halvane.asi in a window,
# played with the real keyboard, mouse, first pad and sound device, under
# Wine. Builds what is missing first (and what changed: a modder rebuilds,
# then presses Home in the window to load the new DLL): the playground, the
# plug-in and the stand-in host, nothing else. Every option is passed on to
# the playground as the player typed it, which checks them all before it
# makes anything, and names paths as they were typed.
#   scripts/playground.sh [--plugin FILE] [--folder DIR] [--record FILE] [--size WxH] [--help]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${HALVANE_PLAYGROUND_FOLDER:-$HOME/.local/share/halvane-playground}
default_prefix=$HOME/.local/share/halvane-playground-wine
usage() {
  cat <<USAGE
usage: scripts/playground.sh [--plugin FILE] [--folder DIR] [--record FILE] [--size WxH]
  --plugin FILE  the Halvane.asi to load, and to load again when Home is pressed
                 (default: build/windows/Halvane.asi, built first when missing or changed)
  --folder DIR   the playground's folder, where it installs Halvane.asi and Halvane
                 keeps Halvane.ini: a folder that does not exist yet (it makes it)
                 or one it made before, never in a game folder (default: $folder)
  --record FILE  writes one line a frame (what the plug-in changed, drew and played,
                 and the world) into FILE, a new file outside any game folder: an
                 existing file, or one in a game folder, is refused (default: no record)
  --size WxH     the window's inside, 1344x576 at least and at most what fits the
                 screen (default: the largest that fits the screen, up to 1600x720)
  --help         this list
Environment:
  HALVANE_PLAYGROUND_FOLDER  the default --folder (now: ${HALVANE_PLAYGROUND_FOLDER:-unset})
  HALVANE_PLAYGROUND_PREFIX  the Wine prefix to play in, before WINEPREFIX (now: ${HALVANE_PLAYGROUND_PREFIX:-unset})
  WINEPREFIX                 your Wine prefix, used when HALVANE_PLAYGROUND_PREFIX is unset
                             (now: ${WINEPREFIX:-unset}; with neither, $default_prefix,
                             made on first use)
  DISPLAY                    the X display the window opens on (now: ${DISPLAY:-unset})
  XDG_RUNTIME_DIR            where a sound server's socket is looked for: with none there and
                             no sound card, Wine's sound drivers are left out (now: ${XDG_RUNTIME_DIR:-unset})
USAGE
}
# Says what was wrong with the options, with a way out, and stops.
refuse() {
  echo "playground: $*" >&2
  exit 2
}
declare -A takes=([--plugin]=FILE [--folder]=DIR [--record]=FILE [--size]=WxH)
plugin=$root/build/windows/Halvane.asi
# The script's defaults go to the playground as defaults, so that a refusal
# names only an option the player typed.
plugin_option=--default-plugin
folder_option=--default-folder
record=
size=()
while (($#)); do
  case $1 in
    --help | -h)
      usage
      exit 0
      ;;
    --plugin | --folder | --record | --size)
      (($# >= 2)) && [[ -n $2 ]] ||
        refuse "$1 needs a value, as in $1 ${takes[$1]}; or leave $1 out. --help lists the options and their defaults."
      case $1 in
        --plugin) plugin=$2 plugin_option=--plugin ;;
        --folder) folder=$2 folder_option=--folder ;;
        --record) record=$2 ;;
        --size) size=(--size "$2") ;;
      esac
      shift 2
      ;;
    *)
      refuse "unknown option $1. The options are --plugin, --folder, --record, --size and --help (which says what each does)."
      ;;
  esac
done
[[ -n ${DISPLAY:-} ]] ||
  refuse "no DISPLAY: start it from a desktop session (or under Xvfb, with DISPLAY naming its display)."

"$root/scripts/setup.sh"
# The playground, and what it plays: its stand-in host and Halvane.asi.
[[ -d $root/build/windows ]] || (cd "$root" && cmake --preset windows >/dev/null)
(cd "$root" && cmake --build --preset windows --target halvane_playground)

# The player's prefix when there is one; else one of the playground's own,
# with the sound drivers left on.
if [[ -n ${HALVANE_PLAYGROUND_PREFIX:-} ]]; then
  export WINEPREFIX=$HALVANE_PLAYGROUND_PREFIX
  whose="from HALVANE_PLAYGROUND_PREFIX"
elif [[ -n ${WINEPREFIX:-} ]]; then
  whose="from WINEPREFIX"
else
  export WINEPREFIX=$default_prefix
  whose="the playground's own; set WINEPREFIX to play in yours"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# With no sound card and no sound server, Wine's sound drivers would fill the
# terminal with the sound library's complaints at each clip: they are left
# out, and the playground says once that there is no sound device.
if ! grep -qs '^ *[0-9]' /proc/asound/cards && [[ ! -S ${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/pulse/native ]]; then
  WINEDLLOVERRIDES+=";winealsa.drv,winepulse.drv=d"
fi
wine=/usr/lib/wine/wine64
# A prefix's registry files may wait for its server to end; its drive C is
# there from the start.
if [[ -d $WINEPREFIX/drive_c ]]; then
  echo "playground: Wine prefix $WINEPREFIX ($whose)"
else
  echo "playground: making the Wine prefix $WINEPREFIX ($whose), about a minute the first time"
  # Wine makes the prefix's own folder, not the folders on the way to it.
  [[ $WINEPREFIX != "$default_prefix" ]] || mkdir -p "$(dirname "$default_prefix")"
  "$wine" wineboot -i >/dev/null 2>&1 ||
    refuse "Wine could not make the prefix $WINEPREFIX: give WINEPREFIX a folder whose parent folder exists and that you may write."
fi

# Wine's current folder is the one the script was started in, so a relative
# path reads as typed. An absolute one reads as typed on drive Z: (Wine's
# /), which holds the current folder unless the prefix maps another drive
# onto it; then it is named on Z: for Wine.
on_z=1
for drive in "$WINEPREFIX"/dosdevices/[a-y]:; do
  target=$(realpath -q "$drive" || true)
  [[ -n $target && $target != / && $PWD/ == "$target"/* ]] && on_z=
done
as_typed() {
  if [[ $1 == /* && -z $on_z ]]; then local path=${1//\//\\}; echo "Z:$path"; else echo "$1"; fi
}
recorded=()
[[ -z $record ]] || recorded=(--record "$(as_typed "$record")")
exec "$wine" "$root/build/windows/wine/halvane_playground.exe" "$plugin_option" "$(as_typed "$plugin")" \
  "$folder_option" "$(as_typed "$folder")" "${recorded[@]}" "${size[@]}"

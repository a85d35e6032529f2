#!/usr/bin/env bash
# Runs one playthrough of the real Halvane.asi under Wine:
#   wine-scenario.sh <windows build folder> <scenario> <work folder> [Halvane.asi]
# The plug-in (the build folder's, unless another is named) is installed into
# <work folder>/<scenario>, made afresh; the build folder's runner plays it.
set -euo pipefail
build=$(realpath -m "$1")
scenario=$2
folder=$(realpath -m "$3/$scenario")
here=$(dirname "$(realpath "$0")")
source "$here/missing-build.sh"
[[ -f $build/Halvane.asi && -f $build/wine/halvane_runner.exe ]] ||
  missing_build "$build/Halvane.asi or its runner" "cmake --preset windows && cmake --build --preset windows"

windows_path() { local path=${1//\//\\}; echo "Z:$path"; }

[[ -d "$folder" ]] && chattr -i "$folder" 2>/dev/null || true
rm -rf "$folder"
mkdir -p "$folder"
plugin=$(realpath -m "${4:-$build/Halvane.asi}")
[[ -f $plugin ]] || missing_build "$plugin" "cmake --preset windows-clang && cmake --build --preset windows-clang"
if [[ $scenario == full-disk || $scenario == locked-folder-full-disk ]]; then
  # A full disk: no file of the runner may grow past the settings file's
  # size; a write past it fails (the signal it would raise is ignored).
  printf 'Menu=F5\r\nEngine=H\r\nGear1=12.5\r\n' >"$folder/Halvane.ini"
  cp "$plugin" "$folder/Halvane.asi"  # installed before the disk filled up
  plugin=$folder/Halvane.asi
  HALVANE_FILE_SIZE_LIMIT=$(stat -c %s "$folder/Halvane.ini")
  export HALVANE_FILE_SIZE_LIMIT
  trap '' XFSZ
fi
# The real PlaySoundA on a device that plays at its own pace.
[[ $scenario == unload-while-playing ]] && export HALVANE_WINE_SOUND=null
if [[ $scenario == read-only-folder || $scenario == locked-folder-* ]]; then
  # Installed first, then the folder is locked: not even root may write in it.
  [[ -f $folder/Halvane.asi ]] || cp "$plugin" "$folder/Halvane.asi"
  if [[ $scenario == locked-folder-writable-file ]]; then
    printf '[Settings]\r\nHideAmmoHud=0\r\n' >"$folder/Halvane.ini"
  fi
  plugin=$folder/Halvane.asi
  chattr +i "$folder"
  trap 'chattr -i "$folder"' EXIT
  if touch "$folder/probe" 2>/dev/null; then
    echo "wine-scenario: cannot make $folder read-only here" >&2
    exit 1
  fi
fi
if [[ $scenario == linked-settings-file ]]; then
  # As a mod manager deploys files: a symbolic link into another folder, and
  # one to a file that is not there. The runner makes the hard link itself.
  # A link into a folder whose name ends in a dot, which Wine cannot spell;
  # and leftover temporaries that are links to another program's file.
  mkdir -p "$folder/symlink" "$folder/mods" "$folder/dangling" "$folder/dotted" "$folder/mods." "$folder/theirs"
  printf 'Menu=F5\r\n' >"$folder/mods/Halvane.ini"
  printf 'Menu=F5\r\n' >"$folder/mods./Halvane.ini"
  printf 'theirs\r\n' >"$folder/theirs/file.txt"
  ln -s "$folder/mods/Halvane.ini" "$folder/symlink/Halvane.ini"
  ln -s nowhere.ini "$folder/dangling/Halvane.ini"
  ln -s "$folder/mods./Halvane.ini" "$folder/dotted/Halvane.ini"
  ln -s "$folder/theirs/file.txt" "$folder/symlink/Halvane.ini.tmp"
  ln -s "$folder/theirs/file.txt" "$folder/symlink/Halvane.ini.4000004.tmp"
  status=0
  "$here/wine-run.sh" "$build/wine/halvane_runner.exe" "$scenario" "$(windows_path "$plugin")" \
    "$(windows_path "$folder")" || status=$?
  if [[ $(cat "$folder/theirs/file.txt" 2>/dev/null) != $'theirs\r' ]]; then
    echo "FAILED: a leftover temporary that links to another program's file took that file with it" >&2
    status=1
  fi
  if ! grep -q HideAmmoHud=1 "$folder/mods./Halvane.ini"; then
    echo "FAILED: the file a link names in a folder ending in a dot did not take the change" >&2
    status=1
  fi
  for link in symlink dangling dotted; do
    if [[ ! -L $folder/$link/Halvane.ini ]]; then
      echo "FAILED: $link/Halvane.ini is still a symbolic link" >&2
      status=1
    fi
  done
  exit $status
fi
"$here/wine-run.sh" "$build/wine/halvane_runner.exe" "$scenario" "$(windows_path "$plugin")" "$(windows_path "$folder")"

#!/usr/bin/env bash
# This checkout's Wine prefixes. Sourced by the tools that run Wine; each
# checkout on a machine has prefixes (and so wine servers) of its own, named
# after its folder: nothing one checkout's tests start or stop (`wineserver
# -k` included) can touch another's.
#   halvane_prefix [suffix]      prints /tmp/halvane-wine-prefix-<checkout>[-suffix]
#   halvane_make_prefix PREFIX   makes PREFIX, unless it is there (the caller holds PREFIX.lock)
#   halvane_remove_prefix PREFIX stops PREFIX's wine server and removes it
# Every prefix is a copy of one template, made once by `wineboot -i` (about
# 10 s) and never run in: its 630 MB of system libraries are hard links to
# the template's (nothing writes them), the rest (registry, profile, about
# 65 MB) copied, in well under a second. The template and the headless tests'
# prefix stay between runs; a windowed test's prefix goes when it ends.
# Run as a command, it removes every prefix of this checkout:
#   tools/wine-prefix.sh --remove
halvane_prefix() {
  local checkout
  checkout=$(realpath "$(dirname "${BASH_SOURCE[0]}")/..")
  echo "/tmp/halvane-wine-prefix-$(printf %s "$checkout" | sha1sum | cut -c1-12)${1:+-$1}"
}

halvane_wine_quiet() {
  WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winealsa.drv,winepulse.drv=d" "$@"
}

# The template, made once: a prefix no program runs in after `wineboot -i`
# and the one change every prefix needs (no debugger for a program that
# crashes: Wine's would wait for someone to attach until the test's
# timeout). Its registry reaches the disk only when its wine server ends,
# which is waited for.
halvane_template() {
  local template
  template=$(halvane_prefix template)
  (
    flock 9
    [[ -f $template/made ]] && exit 0
    rm -rf "$template"
    export WINEPREFIX=$template
    unset DISPLAY
    halvane_wine_quiet /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 9>&-
    halvane_wine_quiet /usr/lib/wine/wine64 reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /f >/dev/null 2>&1 9>&- || true
    /usr/lib/wine/wineserver -w 9>&-
    [[ -f $template/system.reg ]] || { echo "wine-prefix: Wine could not make the prefix $template" >&2; exit 1; }
    touch "$template/no-debugger" "$template/made"
  ) 9>"$template.lock"
}

halvane_make_prefix() {
  local prefix=$1 template
  [[ -d $prefix ]] && return 0
  halvane_template || return 1
  template=$(halvane_prefix template)
  rm -rf "$prefix.new"
  mkdir "$prefix.new"
  tar -C "$template" --exclude=./made --exclude=./drive_c/windows/system32 -cf - . | tar -C "$prefix.new" -xf -
  cp -al "$template/drive_c/windows/system32" "$prefix.new/drive_c/windows/" &&
    mv "$prefix.new" "$prefix"
}

halvane_remove_prefix() {
  local prefix=$1 server
  [[ -d $prefix ]] || { rm -f "$prefix.lock"; return 0; }
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
  # The server's own folder (its socket's), named after the prefix's file identity.
  server=server-$(printf '%x-%x' $(stat -c '%d %i' "$prefix"))
  for folder in "/tmp/.wine-$(id -u)/$server" /tmp/wine-*/"$server"; do
    [[ -d $folder && -O $folder ]] || continue
    rm -rf "$folder"
    rmdir "$(dirname "$folder")" 2>/dev/null || true
  done
  rm -rf "$prefix" "$prefix.new" "$prefix.lock"
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  [[ ${1:-} == --remove ]] || { echo "usage: tools/wine-prefix.sh --remove   (removes this checkout's Wine prefixes)" >&2; exit 2; }
  removed=0
  for prefix in "$(halvane_prefix)" "$(halvane_prefix)"-*; do
    [[ -d $prefix ]] || continue
    halvane_remove_prefix "$prefix"
    echo "removed $prefix"
    removed=1
  done
  rm -f "$(halvane_prefix)"*.lock
  ((removed)) || echo "no Wine prefix of this checkout in /tmp"
fi

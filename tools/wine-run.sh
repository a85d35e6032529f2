#!/usr/bin/env bash
# Runs a Windows program under Wine, headless and quiet, in this checkout's
# prefix (tools/wine-prefix.sh: a copy of its template, made on first use), or
# in HALVANE_WINEPREFIX (a windowed test's). With no program: makes the
# prefix and starts its server, and runs nothing.
set -euo pipefail
source "$(dirname "$(realpath "$0")")/wine-prefix.sh"
export WINEPREFIX=${HALVANE_WINEPREFIX:-$(halvane_prefix)}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winealsa.drv,winepulse.drv=d"
# HALVANE_WINE_SOUND=null: sound through ALSA's null device, which plays
# clips at their own pace (by default no sound driver is loaded at all).
if [[ ${HALVANE_WINE_SOUND:-} == null ]]; then
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winepulse.drv=d"
  ALSA_CONFIG_PATH=$(dirname "$(realpath "$0")")/alsa-null.conf
  export ALSA_CONFIG_PATH
fi
wine=/usr/lib/wine/wine64
(
  flock 9
  halvane_make_prefix "$WINEPREFIX" 9>&-
  # One wine server that stays a while after its last program: a server
  # that is just shutting down refuses the next program ("a wine server
  # seems to be running, but I cannot connect to it"), and a warm one starts
  # programs faster.
  # The first program a server runs starts Wine's own services, which live as
  # long as the server and keep that program's output open: booting here,
  # quietly, keeps them off the output of the caller (a test runner waits for
  # its test's output to close). Only a server started here is booted: a
  # boot while other programs run disturbs their keyboard focus.
  if /usr/lib/wine/wineserver -p 300 >/dev/null 2>&1 9>&-; then
    "$wine" wineboot >/dev/null 2>&1 9>&- || true
  fi
  # No debugger for a program that crashes: Wine's would wait for someone
  # to attach until the test's timeout. The crash ends the program at once.
  if [[ ! -f "$WINEPREFIX/no-debugger" ]]; then
    "$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
      >/dev/null 2>&1 9>&- || true
    touch "$WINEPREFIX/no-debugger"
  fi
) 9>"$WINEPREFIX.lock"
(($#)) || exit 0
# HALVANE_FILE_SIZE_LIMIT: the program (not the server) may grow no file past
# that many bytes, as on a full disk.
limit=()
[[ -n ${HALVANE_FILE_SIZE_LIMIT:-} ]] && limit=(prlimit "--fsize=$HALVANE_FILE_SIZE_LIMIT" --)
exec "${limit[@]}" "$wine" "$@"

#!/usr/bin/env bash
# Checks what Halvane.asi needs from the system: only Windows system DLLs, the
# script host under its decorated names, XInput by ordinal 2, and no exports.
set -euo pipefail
dll=${1:?usage: check-dll-imports.sh Halvane.asi}
source "$(dirname "$(realpath "$0")")/missing-build.sh"
[[ -f $dll ]] || missing_build "$dll" "cmake --preset windows && cmake --build --preset windows"
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
dump=$("$objdump" -p "$dll")
fail() { echo "check-dll-imports: $*" >&2; exit 1; }

dlls=$(awk '/DLL Name:/{print $3}' <<<"$dump" | sort)
allowed='KERNEL32.dll msvcrt.dll USER32.dll WINMM.dll SHELL32.dll ScriptHookV.dll XINPUT1_4.dll'
for name in $dlls; do
  [[ " $allowed " == *" $name "* ]] || fail "unexpected DLL import: $name"
done

imports_of() {  # the member names (or ordinals) imported from one DLL
  awk -v dll="$1" '/DLL Name:/{on = ($3 == dll); next} on && /^\t[0-9a-f]+\t/{print $3 == "" ? $2 : $3} on && /^$/{if (seen++) on = 0}' <<<"$dump"
}

host_names=$(imports_of ScriptHookV.dll | sort)
expected=$(printf '%s\n' '?getScriptHandleBaseAddress@@YAPEAEH@Z' '?nativeCall@@YAPEA_KXZ' '?nativeInit@@YAX_K@Z' \
  '?nativePush64@@YAX_K@Z' '?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z' '?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z' \
  '?scriptWait@@YAXK@Z' | sort)
[[ "$host_names" == "$expected" ]] || fail "ScriptHookV.dll imports differ from the seven host functions:
$host_names"

xinput=$(awk '/DLL Name: XINPUT1_4.dll/{on=1; next} on && /^\t[0-9a-f]+\t/{print $2, $3} on && /^$/ && n++{on=0}' <<<"$dump")
[[ "$xinput" == "000000002 <none>" ]] || fail "XINPUT1_4.dll is not imported by ordinal 2 alone: $xinput"

# Paths go through the wide-character functions, so that folders with any
# letters in their names work.
system_names=$(imports_of KERNEL32.dll; imports_of SHELL32.dll; imports_of msvcrt.dll)
for name in GetModuleFileNameW SHGetFolderPathW MoveFileExW _wfopen; do
  grep -qx "$name" <<<"$system_names" || fail "$name is not imported"
done
for name in GetModuleFileNameA SHGetFolderPathA MoveFileExA MoveFileA fopen; do
  ! grep -qx "$name" <<<"$system_names" || fail "$name (ANSI paths) is imported"
done

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /\[/{print} /^$/{on=0}' <<<"$dump")
[[ -z "$exports" ]] || fail "the DLL exports symbols: $exports"
echo "check-dll-imports: $dll imports only system DLLs, the seven host functions and XInput ordinal 2; exports nothing"

#!/usr/bin/env bash
# Runs one fuzz target for a given time, from its seed corpus in fuzz/corpus:
#   tools/fuzz.sh <settings|settings_text|keynames|menu> <seconds> [work folder]
# New inputs collect in the work folder (build/fuzz/corpus-<target> unless
# told); a crash leaves its input there as crash-*.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
root=$(dirname "$here")
target=$1
seconds=$2
work=${3:-$root/build/fuzz/corpus-$target}
source "$here/missing-build.sh"
[[ -x $root/build/fuzz/fuzz_$target ]] ||
  missing_build "build/fuzz/fuzz_$target" "cmake --preset fuzz && cmake --build --preset fuzz"
mkdir -p "$work"
cd "$work"
# The settings file the plug-in writes at its first start, kept once in
# tests/data, seeds both settings targets (their corpus is one folder).
if [[ $target == settings || $target == settings_text ]]; then
  cp "$root/tests/data/default-settings.ini" "$work/default.ini"
fi
# The menu target reads a start byte and 32 frames of 4 bytes at most.
options=()
[[ $target == menu ]] && options=(-max_len=129)
# libFuzzer's own exit code for a finding is 77, which CTest takes for a
# skip: a finding must fail the test.
exec "$root/build/fuzz/fuzz_$target" "${options[@]}" -error_exitcode=1 -timeout_exitcode=1 \
  -max_total_time="$seconds" -print_final_stats=1 "$work" "$root/fuzz/corpus/$target"

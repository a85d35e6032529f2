#!/usr/bin/env bash
# Instruction counts of a frame pass in each mode against the bare native
# calls it makes, under callgrind (build the bench preset first).
#   pass-instructions.sh [--most RATIO]
# With --most, fails when any mode's pass costs more than RATIO times its
# calls: instruction counts are the same from run to run, so this is no
# timed check.
set -euo pipefail
root=$(dirname "$(dirname "$(realpath "$0")")")
most=
[[ ${1:-} == --most ]] && most=$2
bench=$root/build/bench/bench/halvane_bench
source "$root/tools/missing-build.sh"
[[ -x $bench ]] || missing_build "$bench" "cmake --preset bench && cmake --build --preset bench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$work/out" "$bench" --count-instructions >/dev/null 2>&1
printf '%-28s %12s %12s %7s\n' "mode" "pass Ir" "calls Ir" "ratio"
for dump in "$work"/out.*; do
  name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$dump")
  total=$(sed -n 's/^totals: //p' "$dump")
  echo "$name $total"
done | sort | awk -v most="$most" '
  { split($0, parts, "/"); kind = parts[1]; rest = substr($0, length(kind) + 2);
    n = split(rest, words, " "); count = words[n]; mode = substr(rest, 1, length(rest) - length(count) - 1);
    if (kind == "pass") pass[mode] = count; else calls[mode] = count; modes[mode] = 1 }
  END {
    failed = 0; found = 0
    for (m in modes) {
      found++
      ratio = pass[m] / calls[m]
      printf "%-28s %12.0f %12.0f %7.2f\n", m, pass[m] / 1000, calls[m] / 1000, ratio
      if (most != "" && ratio > most + 0) { printf "FAILED: %s costs %.3f times its calls, above %s\n", m, ratio, most; failed = 1 }
    }
    if (found == 0) { print "FAILED: no mode was counted"; failed = 1 }
    exit failed }'

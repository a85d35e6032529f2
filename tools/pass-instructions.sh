#!/usr/bin/env bash
# Instruction counts of a frame pass in each mode against the bare native
# calls it makes, under callgrind (build the bench preset first).
set -euo pipefail
root=$(dirname "$(dirname "$(realpath "$0")")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$work/out" \
  "$root/build/bench/bench/halvane_bench" --count-instructions >/dev/null 2>&1
printf '%-28s %12s %12s %7s\n' "mode" "pass Ir" "calls Ir" "ratio"
for dump in "$work"/out.*; do
  name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$dump")
  total=$(sed -n 's/^totals: //p' "$dump")
  echo "$name $total"
done | sort | awk '
  { split($0, parts, "/"); kind = parts[1]; rest = substr($0, length(kind) + 2);
    n = split(rest, words, " "); count = words[n]; mode = substr(rest, 1, length(rest) - length(count) - 1);
    if (kind == "pass") pass[mode] = count; else calls[mode] = count; modes[mode] = 1 }
  END { for (m in modes) printf "%-28s %12.0f %12.0f %7.2f\n", m, pass[m] / 1000, calls[m] / 1000, pass[m] / calls[m] }'

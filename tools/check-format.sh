#!/usr/bin/env bash
# Fails, naming each file, when a C++ source is not as clang-format (the
# Debian 12 version, 14, with the .clang-format at the root) would leave it.
#   check-format.sh [source folder, default: the project's]
set -euo pipefail
root=$(realpath "${1:-$(dirname "$(realpath "$0")")/..}")
cd "$root"
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed (scripts/setup.sh)" >&2; exit 1; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find src sim tests tools bench fuzz -name '*.cpp' -o -name '*.h' | sort)
fi
unformatted=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if ((${#unformatted[@]})); then
  echo "check-format: not formatted (run: git ls-files '*.cpp' '*.h' | xargs clang-format -i):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted ($(clang-format --version | grep -o 'version [0-9.]*'))"

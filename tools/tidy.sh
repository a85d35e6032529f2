#!/usr/bin/env bash
# Runs clang-tidy with the project's check set over the plug-in's sources,
# using the compile commands of the linux build (build it first).
set -euo pipefail
root=$(dirname "$(dirname "$(realpath "$0")")")
cd "$root"
# The plug-in's sources are compiled twice there; the loadable module's
# entries carry a GCC-only flag, so only the other ones are kept.
mkdir -p build/tidy
python3 - <<'PY'
import json
commands = json.load(open("build/linux/compile_commands.json"))
kept = [c for c in commands if "halvane_core.dir" in c.get("output", c["command"])]
json.dump(kept, open("build/tidy/compile_commands.json", "w"))
PY
git ls-files 'src/*.cpp' | grep -v -e 'platform/Win32' -e Clips.cpp | xargs clang-tidy -p build/tidy --quiet "$@" 2>&1 |
  grep -v -e '^[0-9]* warnings* generated' -e '^Suppressed' -e '^Use -header-filter' || true

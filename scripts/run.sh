#!/usr/bin/env bash
# The main job: builds both targets and plays a scripted session through the
# substitute host, printing what the plug-in does frame by frame.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
mkdir -p out
cp build/windows/Halvane.asi out/
build/linux/halvane_play out/play
echo "Halvane.asi is in out/"

#!/usr/bin/env bash
# Renders the README's pictures with the demo tour (run scripts/build.sh first).
set -euo pipefail
cd "$(dirname "$0")/.."
build/linux/halvane_demo demo/tour.txt build/pictures >/dev/null
for picture in menu-keys menu-gears gear-3 safety-on safety-off empty; do
  cp "build/pictures/screenshots/$picture.png" docs/images/
done
echo "docs/images updated"

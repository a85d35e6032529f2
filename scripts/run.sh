#!/usr/bin/env bash
# The main job: builds both targets, plays the demo tour through the
# substitute host (the story goes to the terminal, screenshots to
# out/screenshots) and packs the players' release zip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
version=$(sed -n 's/^project(Halvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
rm -rf out
mkdir -p out/package
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  build/linux/halvane_demo demo/tour.txt out | tee out/story.txt
cp build/windows/Halvane.asi out/
cp build/windows/Halvane.asi build/windows/Halvane-Readme.txt CHANGELOG.md out/package/
(cd out/package && zip -q -X "../Halvane-$version.zip" Halvane.asi Halvane-Readme.txt CHANGELOG.md)
rm -rf out/package
tools/pack-playground.sh build/windows out "$version"
rm -rf out/package out/game
(cd out && sha256sum "Halvane-$version.zip" "Halvane-Playground-$version.zip" >SHA256SUMS)
echo
echo "Done. In out/:"
echo "  Halvane.asi               the plug-in, ready to copy into the game folder"
echo "  Halvane-$version.zip        the players' package (plug-in, guide, changelog)"
echo "  Halvane-Playground-$version.zip   the plug-in in a window of its own, to try without the game"
echo "  SHA256SUMS                checksums of both zips (sha256sum -c SHA256SUMS)"
echo "  screenshots/*.png         the overlay at moments of the tour"

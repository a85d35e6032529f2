#!/usr/bin/env bash
# The main job: builds what it needs of two presets (the demo player and the
# plug-in it plays from `linux`; Halvane.asi, the playground and its stand-in
# host from `windows`), plays the demo tour through the substitute host (the
# story goes to the terminal and out/story.txt, screenshots to out/screenshots)
# and packs the players' and the playground's zips. The builds' output goes to
# build/main-job.log, one line a preset to the terminal. The test command,
# scripts/test.sh, builds every preset.
# Everything is made in build/main-job/out first, then put into out/
# (tools/place-output.sh): what the job made there before is replaced or
# removed, anything else in out/ is left as it is, and a file of someone
# else's where the job writes stops it before out/ is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p build
log=$PWD/build/main-job.log
: >"$log"
# Configures and builds the named targets of one preset, output to the log.
build() {
  local preset=$1 what=$2 start=$SECONDS
  shift 2
  printf 'build: %-8s %s ... ' "$preset" "$what"
  if { cmake --preset "$preset" && cmake --build --preset "$preset" --target "$@"; } >>"$log" 2>&1; then
    echo "done in $((SECONDS - start)) s"
  else
    echo "FAILED"
    echo "build: the $preset build failed; its output is in $log" >&2
    exit 1
  fi
}
build linux "the demo player and the plug-in it plays" halvane_demo
build windows "Halvane.asi, the playground and its stand-in host" Halvane halvane_playground
echo
version=$(sed -n 's/^project(Halvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
staging=build/main-job/out
rm -rf "$staging"
mkdir -p "$staging"
# The tour runs under the sanitizers; AddressSanitizer's one-line notice
# that it follows the game host's context switches only in part is no fault
# of the tour's, and is kept out of its story (every other line of the
# sanitizers comes through).
# The story goes to the terminal (in colour, when it has them) and to out/story.txt.
build/linux/halvane_demo demo/tour.txt "$staging" 2> >(grep -v "ASan doesn't fully support makecontext/swapcontext" >&2)
cp build/windows/Halvane.asi "$staging/"
tools/pack-players.sh build/windows "$staging" "$version"
tools/pack-playground.sh build/windows "$staging" "$version"
rm -rf "$staging/game"  # the tour's game folder
(cd "$staging" && sha256sum Halvane.asi "Halvane-$version.zip" "Halvane-Playground-$version.zip" >SHA256SUMS)
tools/place-output.sh "$staging" out
echo
echo "Done. In out/:"
while IFS='|' read -r name what; do printf '  %-34s %s\n' "$name" "$what"; done <<LIST
Halvane.asi|the plug-in, ready to copy into the game folder
Halvane-$version.zip|the players' package (plug-in, guide, changelog)
Halvane-Playground-$version.zip|the plug-in in a window of its own, to try without the game
SHA256SUMS|checksums of Halvane.asi and both zips (sha256sum -c SHA256SUMS)
screenshots/*.png|the overlay at moments of the demo tour
story.txt|the demo tour's story, frame by frame, as printed above
LIST

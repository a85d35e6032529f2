#!/usr/bin/env bash
# Runs the demo commands the README shows, as written, with no LSAN_OPTIONS
# (the demo player tells LeakSanitizer itself what to leave alone): from a
# folder that sees the checkout's build and demo folders, so that their
# outputs (and /tmp's, moved into it) land in the work folder. The story
# shows texts as the player sees them: no colour codes in what it prints
# to a file or in story.txt, and colours on a terminal.
#   readme-demo-test.sh <checkout> <work folder>
set -euo pipefail
checkout=$(realpath "$1")
work=$(realpath -m "$2")
fail() { echo "readme-demo-test: FAILED: $*" >&2; exit 1; }
source "$checkout/tools/missing-build.sh"
[[ -x $checkout/build/linux/halvane_demo ]] ||
  missing_build "$checkout/build/linux/halvane_demo" "cmake --preset linux && cmake --build --preset linux"
rm -rf "$work"
mkdir -p "$work"
ln -s "$checkout/build" "$checkout/demo" "$work/"
unset LSAN_OPTIONS ASAN_OPTIONS
commands=("build/linux/halvane_demo demo/tour.txt out"
  "HALVANE_CALL_TRACE=/tmp/a.trace build/linux/halvane_demo demo/tour.txt /tmp/out")
for command in "${commands[@]}"; do
  grep -qF -- "$command" "$checkout/README.md" || fail "the README no longer shows: $command"
  (cd "$work" && eval "${command//\/tmp\//$work/}") >"$work/story.txt" 2>"$work/errors.txt" ||
    fail "$command failed: $(grep -v "ASan doesn't fully support makecontext" "$work/errors.txt" | head -20)"
  ! grep -v "ASan doesn't fully support makecontext" "$work/errors.txt" | grep -q . ||
    fail "$command reported: $(head -20 "$work/errors.txt")"
  echo "readme-demo-test: $command: $(wc -l <"$work/story.txt") lines of story, nothing on standard error but ASan's notice"
done
[[ -d $work/out/screenshots ]] || fail "the first command left no out/screenshots"
cmp -s "$work/story.txt" "$work/out/story.txt" || fail "out/story.txt is not the story as printed"
! grep -E '~[a-z]~|'$'\e' "$work/out/story.txt" || fail "the story shows colour codes"
grep -q 'shows "SAFETY ON' "$work/out/story.txt" || fail "the story does not show SAFETY ON"
# On a terminal (script's), the codes are colours: SAFETY ON in red.
(cd "$work" && TERM=xterm script -qec "build/linux/halvane_demo demo/tour.txt terminal" /dev/null) >"$work/terminal.txt" 2>&1
grep -q 'shows "'$'\e''\[31mSAFETY ON' "$work/terminal.txt" || fail "on a terminal the story shows no colours: $(grep -a -m1 SAFETY "$work/terminal.txt" | cat -v)"
! grep -E '~[a-z]~|'$'\e' "$work/terminal/story.txt" || fail "the story written beside a terminal's shows colours or codes"
echo "readme-demo-test: the story shows SAFETY ON in red on a terminal, with no codes in out/story.txt"
[[ -s $work/a.trace ]] || fail "the trace command left no trace"
# The README's pictures are what the tour draws now (scripts/pictures.sh
# renders them again after a change to what the plug-in draws).
pictures=$(sed -n 's/^for picture in \(.*\); do$/\1/p' "$checkout/scripts/pictures.sh")
[[ -n $pictures ]] || fail "no list of pictures in scripts/pictures.sh"
stale=()
for picture in $pictures; do
  differ=$(compare -metric AE "$work/out/screenshots/$picture.png" "$checkout/docs/images/$picture.png" null: 2>&1 || true)
  [[ $differ == 0 ]] || stale+=("docs/images/$picture.png ($differ pixels differ)")
done
((${#stale[@]} == 0)) || fail "not what the demo tour draws now: ${stale[*]}; run scripts/pictures.sh"
echo "readme-demo-test: the README's pictures ($pictures) are what the tour draws"
echo "readme-demo-test: passed"

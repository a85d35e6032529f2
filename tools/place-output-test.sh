#!/usr/bin/env bash
# The main job's out/ as a modder keeps it (tools/place-output.sh, which
# scripts/run.sh ends with): the modder's files in out/ stay byte for byte
# over two runs; what the job made before is replaced, or removed when it no
# longer makes it (an older version's zip); a file of the modder's where the
# job writes stops it, named, with nothing in out/ changed; and an out/ from
# before the job kept its list of what it made is taken as that job left it.
#   place-output-test.sh <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
work=$(realpath -m "$1")
fail() { echo "place-output-test: FAILED: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
cd "$work"
contents() { (cd "$1" && find . -printf '%p %s\n' | sort && find . -type f -print0 | sort -z | xargs -0 -r sha256sum); }
# A run's output in the staging folder, as scripts/run.sh makes it.
stage() {
  rm -rf staging
  mkdir -p staging/screenshots
  printf 'dll %s\n' "$1" >staging/Halvane.asi
  printf 'zip %s\n' "$1" >"staging/Halvane-$1.zip"
  printf 'story %s\n' "$1" >staging/story.txt
  printf 'png %s\n' "$1" >staging/screenshots/safety-on.png
}

# The modder's own, beside a first run's output.
mkdir -p out/mine
printf 'my notes\n' >out/my-notes.txt
printf 'keep\n' >out/mine/keep.txt
stage 1.0
"$here/place-output.sh" staging out || fail "the first run was refused"
contents out/mine >mine.txt
[[ $(cat out/story.txt) == "story 1.0" && $(cat out/Halvane-1.0.zip) == "zip 1.0" ]] || fail "the first run's output is not in out/"
# A second run, of a new version: the old zip goes, the rest is replaced.
stage 1.1
"$here/place-output.sh" staging out || fail "the second run was refused"
[[ $(cat out/my-notes.txt) == "my notes" ]] && contents out/mine | cmp -s - mine.txt ||
  fail "the modder's files in out/ were changed or removed"
[[ ! -e out/Halvane-1.0.zip ]] || fail "the job's zip of the version before was left"
[[ $(cat out/Halvane.asi) == "dll 1.1" && $(cat out/screenshots/safety-on.png) == "png 1.1" ]] ||
  fail "the job's own files were not replaced"
[[ -z $(ls -A staging/screenshots) ]] || fail "files were left behind in the staging folder"

# A file of the modder's where the job writes: refused, named, nothing changed.
printf 'my picture\n' >out/Halvane-1.2.zip
mkdir -p out/story.txt.d
contents out >before.txt
stage 1.2
if "$here/place-output.sh" staging out 2>refusal.txt; then fail "a run wrote over the modder's out/Halvane-1.2.zip"; fi
grep -qx '  out/Halvane-1.2.zip' refusal.txt && grep -q 'Move them out of out/' refusal.txt ||
  fail "the refusal does not name what is in the way and what to do: $(cat refusal.txt)"
contents out | cmp -s - before.txt || fail "a refused run changed out/"
rm out/Halvane-1.2.zip

# An out/ from before the job kept its list: its files at the job's names
# are replaced, the rest kept.
rm out/.main-job-files
stage 1.3
"$here/place-output.sh" staging out || fail "a run over an out/ with no list of the job's was refused"
[[ $(cat out/story.txt) == "story 1.3" && $(cat out/my-notes.txt) == "my notes" && -d out/story.txt.d ]] ||
  fail "an out/ with no list of the job's was not taken as the job left it"
grep -qx 'screenshots/safety-on.png' out/.main-job-files || fail "the job's list does not name its screenshots"
# scripts/run.sh makes everything in its staging folder and leaves out/ to
# this tool: it removes nothing there itself.
grep -q '^tools/place-output.sh "$staging" out$' "$here/../scripts/run.sh" || fail "scripts/run.sh does not put its output through tools/place-output.sh"
! grep -nE '^[^#]*\brm\b[^#]*[ "/]out\b' "$here/../scripts/run.sh" || fail "scripts/run.sh removes something in out/ itself"
echo "place-output-test: the modder's out/my-notes.txt and out/mine/keep.txt stay; the job replaces and removes only its own; a file in its way stops it, named"

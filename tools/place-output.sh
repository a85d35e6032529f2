#!/usr/bin/env bash
# Puts what the main job made (in a staging folder) into out/, where a
# modder may keep files of their own: only what the main job itself made
# before is replaced or removed. out/.main-job-files lists what it made
# last time; a file of the job's from then that it no longer makes (an older
# version's zip) is removed, and everything else in out/ is left byte for
# byte. A file of someone else's where the job writes one is in the way: the
# job then changes nothing in out/ and names it. (An out/ from before the
# job kept its list holds none: the files there at the job's own names are
# taken for the earlier job's, which emptied out/ at each run.)
#   place-output.sh <staging folder> <out folder>
set -euo pipefail
staging=$(realpath "$1")
out=$(realpath -m "$2")
shown=${2%/}
list=.main-job-files
[[ ! -e $out || -d $out ]] || { echo "run: $shown is a file, where the main job puts its output folder: move it away, then run again." >&2; exit 1; }
mkdir -p "$out"
made=$(cd "$staging" && find . -type f ! -name "$list" | sed 's|^\./||' | sort)
if [[ -f $out/$list ]]; then
  before=$(sort -u "$out/$list")
  listed=1
else
  before=
  listed=0
fi
ours() { grep -qxF -- "$1" <<<"$before"; }

# What is in the way: at each path the job writes, or on the way to it, a
# file or folder the job did not make.
blocked=()
while IFS= read -r file; do
  path=
  IFS=/ read -ra parts <<<"$file"
  for ((i = 0; i < ${#parts[@]}; i++)); do
    path=${path:+$path/}${parts[$i]}
    if ((i < ${#parts[@]} - 1)); then
      [[ ! -e $out/$path || -d $out/$path ]] || { blocked+=("$path"); break; }
    elif [[ -d $out/$path ]] || { [[ -e $out/$path || -L $out/$path ]] && ((listed)) && ! ours "$path"; }; then
      blocked+=("$path")
    fi
  done
done <<<"$made"
if ((${#blocked[@]})); then
  {
    echo "run: the main job did not make what is at these places in $shown/, where it writes its own:"
    printf '  %s\n' "${blocked[@]/#/$shown/}"
    echo "Move them out of $shown/ (or rename them), then run again; nothing in $shown/ was changed."
  } >&2
  exit 1
fi

# What the job made last time goes, with the folders it leaves empty (never
# out/ itself); then what it made now comes in, and the list is written.
while IFS= read -r file; do
  [[ -n $file && ( -f $out/$file || -L $out/$file ) ]] || continue
  rm -f "$out/$file"
  folder=$(dirname "$file")
  while [[ $folder != . ]]; do
    rmdir "$out/$folder" 2>/dev/null || break
    folder=$(dirname "$folder")
  done
done <<<"$before"
while IFS= read -r file; do
  mkdir -p "$(dirname "$out/$file")"
  mv -f "$staging/$file" "$out/$file"
done <<<"$made"
printf '%s\n' "$made" >"$out/$list"

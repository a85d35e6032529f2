#!/usr/bin/env bash
# Holds the README's counts and tables to the code they describe: every
# count it writes in words (presets, host functions, clips, fuzz targets,
# seam soak seeds, libfiu rounds), the table of Wine playthroughs against the
# scenarios CTest runs and the runner's own table, and the layout table
# against the folders and the source files of src/, sim/win and playground;
# and what the players' guide must tell.
#   check-readme.sh <checkout>
set -euo pipefail
root=$(realpath "$1")
readme=$root/README.md
failed=0
fail() { echo "check-readme: $*" >&2; failed=1; }

number() {
  local words=(zero one two three four five six seven eight nine ten eleven twelve) i
  for i in "${!words[@]}"; do [[ ${1,,} == "${words[$i]}" ]] && echo "$i" && return; done
  echo "?"
}
# Every "<number in words> <noun>" the README writes must be `expected`;
# and it must write at least one.
says() {
  local noun=$1 expected=$2 found=0 word
  while read -r word; do
    found=1
    [[ $(number "$word") == "$expected" ]] || fail "the README says \"$word $noun\"; the code has $expected"
  done < <(grep -oiE "\b(one|two|three|four|five|six|seven|eight|nine|ten|eleven|twelve) $noun" "$readme" | cut -d' ' -f1)
  ((found)) || fail "the README no longer counts its $noun"
}
says presets "$(grep -c '"displayName"' "$root/CMakePresets.json")"
says functions "$(grep -c '^ *"?' "$root/src/host/ScriptHookV.def")"
says clips "$(grep -cE '^extern const std::span<const std::uint8_t> [A-Za-z]+Clip;' "$root/src/feedback/Sound.h")"
says 'libFuzzer targets' "$(sed -n 's/^foreach(target \(.*\))$/\1/p' "$root/tests/CMakeLists.txt" | wc -w)"
says seeds "$(sed -n 's/.*SeamSoakSeeds, ::testing::Range(0U, \([0-9]*\)U));/\1/p' "$root/tests/seam_soak_tests.cpp")"
says rounds "$(sed -n 's/^rounds=(\(.*\))$/\1/p' "$root/tools/fiu-test.sh" | grep -o '"' | wc -l | awk '{ print $1 / 2 }')"

# The Wine playthroughs: the scenarios CTest runs on both DLLs, the runner's
# table and the README's table, one name each.
sed -n '/^foreach(scenario /,/)$/p' "$root/tests/CMakeLists.txt" | sed 's/foreach(scenario//; s/)//' |
  tr -s ' \n' '\n\n' | sed '/^$/d' | sort >"${TMPDIR:-/tmp}/readme-ctest.$$"
grep -o '{"[a-z-]*", [A-Za-z]*}' "$root/sim/win/Runner.cpp" | sed 's/{"\([a-z-]*\)".*/\1/' | sort >"${TMPDIR:-/tmp}/readme-runner.$$"
sed -n '/^| Playthrough | /,/^$/p' "$readme" | sed -n 's/^| `\([a-z-]*\)` |.*/\1/p' | sort >"${TMPDIR:-/tmp}/readme-table.$$"
trap 'rm -f "${TMPDIR:-/tmp}"/readme-*.$$' EXIT
[[ -s ${TMPDIR:-/tmp}/readme-ctest.$$ ]] || fail "no Wine scenarios found in tests/CMakeLists.txt"
diff <(cat "${TMPDIR:-/tmp}/readme-ctest.$$") "${TMPDIR:-/tmp}/readme-runner.$$" >/dev/null ||
  fail "tests/CMakeLists.txt and the runner's table (sim/win/Runner.cpp) name different scenarios: $(diff "${TMPDIR:-/tmp}/readme-ctest.$$" "${TMPDIR:-/tmp}/readme-runner.$$" | grep '^[<>]' | tr '\n' ' ')"
diff "${TMPDIR:-/tmp}/readme-ctest.$$" "${TMPDIR:-/tmp}/readme-table.$$" >/dev/null ||
  fail "the README's table of Wine playthroughs does not list exactly the scenarios CTest runs (< only in tests/CMakeLists.txt, > only in the README): $(diff "${TMPDIR:-/tmp}/readme-ctest.$$" "${TMPDIR:-/tmp}/readme-table.$$" | grep '^[<>]' | tr '\n' ' ')"

# The layout table: each folder it names is there, each folder of sources is
# in it, and the rows of src/, sim/win and playground name every source
# file there (src/ its headers too); the playground's files live in
# playground/, none in sim/.
layout=$(sed -n '/^| Folder | What is there |/,/^$/p' "$readme")
folders=$(sed -n 's/^| `\([a-z/]*\)` |.*/\1/p' <<<"$layout")
for folder in $folders; do [[ -d $root/$folder ]] || fail "the layout table names $folder, which is not there"; done
for folder in src/* sim sim/win playground tests tools demo bench fuzz; do
  folder=${folder#"$root/"}
  [[ -d $root/$folder ]] || continue
  grep -qx "$folder" <<<"$folders" || fail "the layout table has no row for $folder"
done
for file in "$root"/src/*/*.cpp "$root"/src/*/*.h "$root"/sim/win/*.cpp "$root"/playground/*.cpp; do
  folder=$(dirname "${file#"$root/"}")
  stem=$(basename "${file%.*}")
  grep "^| \`$folder\` |" <<<"$layout" | grep -qE "\`$stem(\.|\`)" || fail "the layout table's $folder row does not name $stem"
done
playground_in_sim=$(cd "$root" && find sim -iname 'playground*' | tr '\n' ' ')
[[ -z $playground_in_sim ]] || fail "files of the playground are in sim/: $playground_in_sim"

# The players' guide tells how to see that Halvane is loaded (F2 in story
# mode opens its menu), everything to delete to remove it, and which key
# each marker of the gear speeds page stands for.
guide=$(tr -s ' \n' '  ' <"$root/docs/Halvane-Readme.txt")
grep -qE 'Halvane is loaded, start story mode and press F2: [^.]*menu opens' <<<"$guide" ||
  fail "the guide does not tell how to see that Halvane is loaded (F2 in story mode opens its menu)"
remove=$(grep -oE 'To remove Halvane, .*wherever you put them' <<<"$guide" || true)
for file in 'Halvane\.asi' 'Halvane\.ini ' 'Halvane\.ini\.<number>\.tmp'; do
  grep -qE "$file" <<<"$remove" || fail "the guide's way to remove Halvane leaves out ${file//\\/}"
done
grep -qE 'Right raises [^.]*\(the \[\+\]\), Left lowers it \(the \[-\]\)' <<<"$guide" ||
  fail "the guide's gear speeds page does not say which key each marker, [+] and [-], stands for"

((failed == 0)) || exit 1
echo "check-readme: the README's counts, its table of Wine playthroughs and its layout table match the code"

#!/usr/bin/env bash
# The texts that go into the zips, checked where they are edited, so that a
# mistake is named by its own file and line: both guides fit an 80-column
# window as the player gets them (the version put in), open with their
# version and have no other placeholder; the players' guide names every row
# of the menu's keybindings page; the playground's guide warns against the
# game folder first; CHANGELOG.md has this version's section,
# and both changelogs made from it are plain text within 80 columns, this
# version first, the players' one without the playground's items.
#   check-guides.sh <checkout>
set -euo pipefail
root=$(realpath "$1")
failed=0
fail() { echo "check-guides: $*" >&2; failed=1; }
version=$(sed -n 's/^project(Halvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[[ -n $version ]] || { echo "check-guides: no version in CMakeLists.txt" >&2; exit 1; }

for guide in docs/Halvane-Readme.txt playground/Halvane-Playground.txt; do
  # Each line as the zip has it: the version in its placeholder's place.
  sed "s/@PROJECT_VERSION@/$version/g" "$root/$guide" | tr -d '\r' |
    awk -v file="$guide" 'length > 80 { printf "%s:%d: %d characters, over the 80 of a plain text window: %s\n", file, NR, length, $0 }' \
      >"${TMPDIR:-/tmp}/guides-long.$$" || true
  while IFS= read -r line; do fail "$line"; done <"${TMPDIR:-/tmp}/guides-long.$$"
  rm -f "${TMPDIR:-/tmp}/guides-long.$$"
  head -3 "$root/$guide" | grep -q '^Version @PROJECT_VERSION@' ||
    fail "$guide: none of its first 3 lines opens with \"Version @PROJECT_VERSION@\" (the DLL's version goes there)"
  while IFS=: read -r number text; do
    fail "$guide:$number: a placeholder other than @PROJECT_VERSION@, which the build would fill or empty: $text"
  done < <(grep -n '@[A-Za-z_]*@' "$root/$guide" | grep -v '@PROJECT_VERSION@' || true)
done
# Every row of the keybindings page, by its label in the settings table, is
# in the players' guide's part on the menu.
menu=$(awk '/^THE SETTINGS MENU/ { f = 1 } /^THE SETTINGS FILE/ { f = 0 } f' "$root/docs/Halvane-Readme.txt" | tr -s ' \n' '  ')
while IFS= read -r label; do
  grep -qF -- "$label" <<<"$menu" ||
    fail "docs/Halvane-Readme.txt: THE SETTINGS MENU does not name the row \"$label\" (src/config/SettingsTable.h)"
done < <(sed -n 's/^ *settings_table::\(Binding\|Switch\)("[A-Za-z0-9]*", "\([^"]*\)".*/\2/p' "$root/src/config/SettingsTable.h")
head -12 "$root/playground/Halvane-Playground.txt" | grep -qi 'not unpack .* game folder' ||
  fail "playground/Halvane-Playground.txt: its first 12 lines do not warn against unpacking it into the game folder"

grep -q "^## $version\$" "$root/CHANGELOG.md" || fail "CHANGELOG.md: no section \"## $version\" for this version"
for part in players playground; do
  name=$([[ $part == players ]] && echo Halvane-Changelog.txt || echo Halvane-Playground-Changelog.txt)
  text=$("$root/tools/changelog-text.sh" "$part" <"$root/CHANGELOG.md")
  while IFS= read -r line; do
    fail "CHANGELOG.md, as $name: a Markdown mark left in: $line"
  done < <(grep '\*\*\|`\|^#' <<<"$text" || true)
  while IFS= read -r line; do
    fail "CHANGELOG.md, as $name: a line over 80 characters (a word too long to wrap): $line"
  done < <(awk 'length > 80' <<<"$text")
  [[ $(grep -m1 '^Version ' <<<"$text") == "Version $version" ]] || fail "CHANGELOG.md, as $name: it does not begin with $version"
done
playground_items=$("$root/tools/changelog-text.sh" players <"$root/CHANGELOG.md" |
  grep -i 'playground guide\|--folder\|--size\|the panel\|stand-in' || true)
[[ -z $playground_items ]] ||
  fail "CHANGELOG.md: the players' changelog lists playground items (put them under \"### Playground\"): $playground_items"

((failed == 0)) || exit 1
echo "check-guides: both guides fit 80 columns and carry the version; the changelogs are plain text within 80 columns, $version first"

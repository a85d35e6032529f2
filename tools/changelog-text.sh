#!/usr/bin/env bash
# Turns CHANGELOG.md into plain text for a zip, read in any editor: no
# Markdown marks, lines of at most 78 letters, a heading underlined.
#   changelog-text.sh players|playground <CHANGELOG.md >text
# "players" keeps what each version changed in Halvane and leaves out its
# "### Playground" part; "playground" keeps only those parts.
set -euo pipefail
part=$1
[[ $part == players || $part == playground ]] || { echo "usage: changelog-text.sh players|playground" >&2; exit 2; }
awk -v part="$part" -v width=78 '
  function flush(   words, n, i, line, indent) {
    if (text == "") return
    indent = bullet ? "  " : ""
    n = split(text, words, / +/)
    line = bullet ? "-" : ""
    for (i = 1; i <= n; i++) {
      if (words[i] == "") continue
      if (line != "" && line != "-" && length(line) + 1 + length(words[i]) > width) {
        print line
        line = indent words[i]
      } else {
        line = (line == "" ? "" : line " ") words[i]
      }
    }
    print line
    text = ""
    bullet = 0
  }
  function plain(s) { gsub(/\*\*|`/, "", s); return s }
  function heading(s) {
    flush()
    if (printed) print ""
    print s
    gsub(/./, "-", s)
    print s
    printed = 1
  }
  { sub(/\r$/, "") }
  /^# / {
    heading(part == "players" ? "Halvane: what changed, newest version first" \
                              : "Halvane Playground: what changed, newest version first")
    next
  }
  /^## / { version = substr($0, 4); inPlayground = 0; shown = 0; next }
  /^### Playground/ { flush(); inPlayground = 1; next }
  /^### / { flush(); inPlayground = 0; next }
  (part == "players") == inPlayground { next }
  version == "" { next }  # the opening line of the file
  /^$/ { flush(); if (shown) blank = 1; next }
  {
    if (!shown) { heading("Version " version); shown = 1; blank = 0 }
    if (/^- /) { flush(); if (blank) print ""; bullet = 1; text = plain(substr($0, 3)); blank = 0; next }
    if (text != "" && (!bullet || /^  /)) { line = $0; sub(/^ +/, "", line); text = text " " plain(line); next }
    flush()
    if (blank) print ""
    blank = 0
    text = plain($0)
  }
  END { flush() }
'

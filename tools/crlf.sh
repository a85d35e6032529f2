#!/usr/bin/env bash
# Copies standard input to standard output with CR LF line ends (a line that
# has its CR already keeps one).
set -euo pipefail
sed -e 's/\r$//' -e 's/$/\r/'

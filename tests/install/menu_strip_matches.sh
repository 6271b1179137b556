#!/usr/bin/env bash
# Whether two photographs of the game's window show the same menu strip (the top 24 rows):
# the installed game's Japanese menu against the build tree's, so lost fonts (boxes instead of
# glyphs) show as a difference. Prints the number of differing pixels.
# Usage: menu_strip_matches.sh WINDOW-A.png WINDOW-B.png
set -uo pipefail
strip() { convert "$1" -crop "$(identify -format '%w' "$1")x24+0+0" +repage "$2"; }
work=$(mktemp -d /tmp/zantobel-menu-strip.XXXXXX)
trap 'rm -rf "$work"' EXIT
strip "$1" "$work/a.png" && strip "$2" "$work/b.png" || exit 2
# AE: the count of pixels that differ by more than the fuzz.
differing=$(compare -metric AE -fuzz 8% "$work/a.png" "$work/b.png" null: 2>&1)
echo "menu strip: $differing differing pixels"
[ "$differing" = 0 ]

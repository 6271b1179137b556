#!/usr/bin/env bash
# valgrind-dialogs.sh BUILD_DIR: runs the game under valgrind's memory checker on a virtual
# display and closes 設定 and ヘルプ with Escape and with the close box, then the window;
# prints valgrind's error summary and exits 1 when it found errors (reads of freed widgets,
# say) or GTK complained. Slow (about a minute):
#   tests/e2e/run-headless.sh --wm -- tests/e2e/valgrind-dialogs.sh build
set -uo pipefail
build=${1:-build}
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 77; }
work=$(mktemp -d /tmp/zantobel-valgrind.XXXXXX)
trap 'rm -rf "$work"' EXIT

valgrind --leak-check=no --num-callers=30 --log-file="$work/valgrind.log" \
  "$build/zantobel" 2>"$work/stderr" &
pid=$!
find_window() {  # find_window TITLE-REGEX TRIES: prints the id of the first visible match
  for _ in $(seq "$2"); do
    local found
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.2
  done
  return 1
}
gone() {
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  return 1
}
window=$(find_window '^ZANTOBEL$' 300) || { echo "no window" >&2; kill "$pid"; exit 1; }
sleep 3
failed=0
for title in 設定 ヘルプ; do
  # スタート: 先手, 後手, USER vs USER, COM vs COM, 難易度, 設定, ヘルプ.
  downs="Down Down Down Down Down Down"
  [ "$title" = ヘルプ ] && downs="$downs Down"
  for how in Escape close-box; do
    xdotool windowfocus --sync "$window" key F10
    sleep 2
    # shellcheck disable=SC2086
    xdotool key --delay 300 $downs Return
    dialog=$(find_window "^$title\$" 150) || { echo "$title did not open"; failed=1; continue; }
    sleep 1.5
    if [ "$how" = Escape ]; then
      xdotool windowfocus --sync "$dialog" key Escape
    else
      wmctrl -c "$title"
    fi
    if gone "^$title\$"; then echo "$title closed with $how"; else echo "$title stayed open after $how"; failed=1; fi
    sleep 1
  done
done
wmctrl -c ZANTOBEL
wait "$pid"
echo "exit code $?"
grep 'ERROR SUMMARY' "$work/valgrind.log"
grep -q 'ERROR SUMMARY: 0 errors' "$work/valgrind.log" || { grep -A12 'Invalid' "$work/valgrind.log" | head -40; failed=1; }
if grep -E -- '-(CRITICAL|WARNING)' "$work/stderr"; then failed=1; fi
exit "$failed"

#!/usr/bin/env bash
# Starts the game as a player would, on the current display under a window manager, waits for
# its window, photographs the window, closes it with the window manager's close and checks that
# the program ends with 0. Run it through tests/e2e/run-headless.sh --wm.
# Usage: start_and_close.sh PROGRAM SCREENSHOT.png STDERR-FILE
set -uo pipefail
program=$1 screenshot=$2 errors=$3

"$program" 2>"$errors" >/dev/null &
pid=$!
window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^ZANTOBEL$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$window" ]; then
  echo "start_and_close: no window of $program appeared" >&2
  kill "$pid" 2>/dev/null
  wait "$pid"
  exit 1
fi
# Let the first frames and the menu bar paint.
sleep 1.5
import -window "$window" "$screenshot"
wmctrl -c ZANTOBEL
for _ in $(seq 200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
if kill -0 "$pid" 2>/dev/null; then
  echo "start_and_close: $program did not end within 10 s of the close" >&2
  kill "$pid"
  wait "$pid"
  exit 1
fi
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || echo "start_and_close: $program ended with $rc" >&2
exit "$rc"

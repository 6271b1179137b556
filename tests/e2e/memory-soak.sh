#!/usr/bin/env bash
# memory-soak.sh BUILD_DIR [GAMES]: plays GAMES (default 20) whole games of COM vs COM at FOOL
# in the real window, with the flip animation off to save time, and prints the resident
# memory of the program after each game. Run it on a virtual display:
#   tests/e2e/run-headless.sh --wm -- tests/e2e/memory-soak.sh build
set -euo pipefail
build=${1:-build}
games=${2:-20}

"$build/zantobel" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^ZANTOBEL$' 2>/dev/null | head -1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no window" >&2; exit 1; }
sleep 1

keys() { xdotool windowfocus --sync "$1" key --delay 80 "${@:2}"; }
# Opens the menu bar and walks it once the drop-down is up; keys sent before it appears are
# lost on a busy machine.
menu() { keys "$1" F10; sleep 0.8; xdotool key --delay 120 "${@:2}"; }
wait_for() {
  for _ in $(seq "$2"); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.2
  done
  return 1
}

# Settings: untick the flip animation (the focus walks from OK to the markers box, then the
# animation box), then click OK where the dialog units put it (14,102 + 25,7 of 7x13 px units).
menu "$window" Down Down Down Down Down Down Return
dialog=$(wait_for '^設定$' 50)
keys "$dialog" Tab Tab space
sleep 0.3
xdotool mousemove --sync --window "$dialog" 68 178 click 1
sleep 0.5
# スタート > COM vs COM.
menu "$window" Down Down Down Down Return

echo "game rss_kb"
for game in $(seq "$games"); do
  dialog=$(wait_for '^対局結果$' 900) || { echo "game $game did not end" >&2; exit 1; }
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  echo "$game $rss"
  keys "$dialog" Return
  sleep 0.3
  xdotool mousemove --sync --window "$window" 10 40 click 1
done

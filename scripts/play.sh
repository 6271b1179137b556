#!/usr/bin/env bash
# Starts the game window. The game needs a display; without one it says so, and shows a
# headless game of the engine's command-line tool instead, so `make play` always shows
# the game working.
set -euo pipefail
build=${1:-build}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/zantobel" ]; then
  exec "$build/zantobel"
fi
echo "No display to open the game's window on (DISPLAY is not set);"
echo "playing one headless game with the engine's command-line tool instead:"
exec "$build/zantobel-cli" play

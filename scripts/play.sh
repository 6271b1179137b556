#!/usr/bin/env bash
# Starts the game. Until the window lands, it plays one headless game through the
# match flow and prints it, so `make play` always shows the game working.
set -euo pipefail
build=${1:-build}
if [ -x "$build/zantobel" ]; then
  exec "$build/zantobel"
fi
echo "The window is not built yet; playing a headless game with the engine CLI instead."
exec "$build/zantobel-cli" play

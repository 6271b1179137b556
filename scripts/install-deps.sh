#!/usr/bin/env bash
# Installs the Debian packages that building, testing and playing ZANTOBEL need.
# Idempotent: it asks apt only when a package is missing, and refreshes the package
# lists first in that case. Works as root or through sudo.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config git
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # images, the window, sound
  libpng-dev libgtk-3-dev libsdl2-dev
  # fuzzing and formatting
  clang libclang-rt-14-dev llvm clang-format
  # the real window under a virtual display, driven like a person would
  xvfb xauth xdotool openbox wmctrl imagemagick x11-utils fonts-ipafont-gothic dbus
  # the monkey run watches the window's repaints through the X Damage extension
  libx11-dev libxdamage-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"

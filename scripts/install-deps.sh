#!/usr/bin/env bash
# Installs the Debian packages ZANTOBEL needs. Idempotent: it asks apt only when a package is
# missing, and refreshes the package lists first in that case. Works as root or through sudo.
# Usage: install-deps.sh          everything: build, tests, benchmarks, fuzzing, the window
#                                 under a virtual display, and the package checks
#        install-deps.sh --play   only what building and playing need (for -DBUILD_TESTING=OFF)
set -euo pipefail

play_packages=(
  # build
  build-essential cmake ninja-build pkg-config
  # images, the window, its fonts, sound
  libpng-dev libgtk-3-dev libfontconfig-dev libsdl2-dev fonts-ipafont-gothic
)
development_packages=(
  git
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # fuzzing and formatting
  clang libclang-rt-14-dev llvm clang-format
  # the real window under a virtual display, driven like a person would
  xvfb xauth xdotool openbox wmctrl imagemagick x11-utils dbus
  # the Debian package and the checks of what it installs
  dpkg-dev file lintian appstream desktop-file-utils man-db
  # the monkey run watches the window's repaints through the X Damage extension
  libx11-dev libxdamage-dev
  # the Windows build (MinGW-w64 with POSIX threads, windres) and its tests under Wine;
  # flock (util-linux) guards the making of the tests' Wine prefix, iconv (libc-bin) writes
  # its font settings
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev wine wine64 util-linux libc-bin
)

case "${1:-}" in
  "") packages=("${play_packages[@]}" "${development_packages[@]}") ;;
  --play) packages=("${play_packages[@]}") ;;
  *) echo "usage: install-deps.sh [--play]" >&2; exit 2 ;;
esac

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

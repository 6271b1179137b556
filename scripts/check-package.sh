#!/usr/bin/env bash
# Builds the Debian package from a fresh build folder (a Release build without the tests,
# with the hardening flags, which also shows the game builds without GoogleTest), installs it
# on this machine, checks the installed programs, the window, the desktop entry, the AppStream
# record, the manual pages and the package itself, then removes it and checks nothing of it
# is left. Needs root or sudo, and the build tree's game (build/zantobel) to compare the
# window with. Prints the time of each step.
# Usage: scripts/check-package.sh [BUILD-DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
app_id=org.zantobel.zantobel
out=build-package/checks
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

# Each step runs straight under `set -e` (never inside an `if`, which would switch it off).
current=
trap 'rc=$?; [ "$rc" -eq 0 ] || echo "== FAILED: $current"' EXIT
step() {  # step NAME COMMAND...: runs it and prints its time
  current=$1
  local start=$SECONDS
  shift
  echo "== $current"
  "$@"
  echo "== done: $current ($((SECONDS - start)) s)"
}
fail() {
  echo "$*" >&2
  return 1
}

build_package() {
  make package
  mkdir -p "$out"
  deb=$(ls zantobel_*_*.deb)
  dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
  echo "size: $(stat -c %s "$deb") bytes"
}

install_package() {
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y "./$deb"
  dpkg -L zantobel >"$out/files"
}

check_programs() {
  local version answer
  version=$(dpkg-deb --field "$deb" Version)
  answer=$(/usr/games/zantobel-cli --version)
  echo "$answer"
  [ "$answer" = "zantobel-cli $version" ] || fail "expected version $version"
  answer=$(/usr/games/zantobel-cli perft 6)
  echo "perft 6: $answer"
  [ "$answer" = 8200 ] || fail "expected 8200"
  [ "$(command -v zantobel-cli)" = /usr/games/zantobel-cli ] || echo "note: /usr/games is not on PATH"
  # The installed rules map the dialogs' font to the IPA Gothic the package depends on.
  FONTCONFIG_FILE=/usr/share/zantobel/fonts.conf fc-match 'ＭＳ Ｐゴシック' | grep -q IPAPGothic
}

check_window() {
  tests/e2e/run-headless.sh --wm -- tests/install/start_and_close.sh /usr/games/zantobel \
    "$out/installed-window.png" "$out/installed.err"
  if [ -s "$out/installed.err" ]; then
    echo "stderr of the installed game:"
    cat "$out/installed.err"
    if grep -q 'font rules' "$out/installed.err"; then fail "the installed game lost its font rules"; fi
  fi
  tests/e2e/run-headless.sh --wm -- tests/install/start_and_close.sh "$build/zantobel" \
    "$out/build-window.png" "$out/build.err"
  tests/install/menu_strip_matches.sh "$out/installed-window.png" "$out/build-window.png"
}

check_metadata() {
  desktop-file-validate "/usr/share/applications/$app_id.desktop"
  appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"
  for page in zantobel zantobel-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "/usr/share/man/man6/$page.6.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page: $warnings"
  done
}

check_lintian() {
  lintian --fail-on error --display-info "$deb" | tee "$out/lintian.txt"
}

remove_package() {
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 remove --purge -y zantobel
  local left=0 path
  while read -r path; do
    # Folders shared with other packages stay; every file, and the package's own folders, go.
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == */zantobel ]]; }; then
      echo "left behind: $path"
      left=1
    fi
  done <"$out/files"
  if dpkg -s zantobel >/dev/null 2>&1; then fail "dpkg still knows zantobel"; fi
  [ "$left" -eq 0 ] || fail "files of the package are left"
}

step "package from a fresh build folder (Release, no tests, hardening flags)" build_package
step "apt-get install ./$deb" install_package
step "installed zantobel-cli: --version, perft 6" check_programs
step "installed game under Xvfb + openbox: window, Japanese menu, close exits 0" check_window
step "desktop-file-validate, appstreamcli validate --no-net, man --warnings" check_metadata
step "lintian" check_lintian
step "remove the package; nothing of it is left" remove_package

#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR) as a packager would, checks that every
# file is where the desktop looks for it and that no path of the build machine is in the
# programs, then starts the staged game with its font rules intact, missing, malformed and
# replaced by a folder: it must always open its window and close with 0, and say on stderr
# what is wrong with the rules when something is. The desktop entry and the AppStream record
# are validated when their tools are there. Skips (77) without Xvfb, openbox or xdotool.
# Usage: staged_install_test.sh SOURCE-DIR BUILD-DIR GAMES-DIR APP-ID
set -uo pipefail
source_dir=$1 build_dir=$2 games_dir=$3 app_id=$4
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb openbox xdotool wmctrl import compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d /tmp/zantobel-staged.XXXXXX)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
passed=0 failed=0
check() {  # check NAME COMMAND...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

DESTDIR=$stage cmake --install "$build_dir" --prefix /usr --strip >"$work/install.log" 2>&1
check "cmake --install succeeds" test $? -eq 0
usr=$stage/usr
expected=(
  "$games_dir/zantobel" "$games_dir/zantobel-cli"
  share/zantobel/fonts.conf share/zantobel/screenshots/window.png
  "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
  share/man/man6/zantobel.6.gz share/man/man6/zantobel-cli.6.gz
  share/doc/zantobel/copyright share/doc/zantobel/changelog.gz
  "share/icons/hicolor/scalable/apps/$app_id.svg"
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for file in "${expected[@]}"; do
  check "installed: $file" test -s "$usr/$file"
done
for program in zantobel zantobel-cli; do
  check "$program names no folder of the build machine" \
    bash -c "! grep -aqF -e '$source_dir' -e '$build_dir' '$usr/$games_dir/$program'"
done
if command -v desktop-file-validate >/dev/null; then
  check "the desktop entry validates" desktop-file-validate "$usr/share/applications/$app_id.desktop"
fi
if command -v appstreamcli >/dev/null; then
  check "the AppStream record validates" \
    appstreamcli validate --no-net --pedantic "$usr/share/metainfo/$app_id.metainfo.xml"
fi
check "the installed zantobel-cli runs" \
  bash -c "'$usr/$games_dir/zantobel-cli' --version | grep -qE '^zantobel-cli [0-9]+\.[0-9]+\.[0-9]+$'"

# The game, from the staged folder, in four states of its font rules.
rules=$usr/share/zantobel/fonts.conf
cp "$rules" "$work/fonts.conf.good"
start() {  # start CASE: runs the staged game once under a virtual display
  "$source_dir/tests/e2e/run-headless.sh" --wm -- \
    "$here/start_and_close.sh" "$usr/$games_dir/zantobel" "$work/$1.png" "$work/$1.err" \
    >"$work/$1.log" 2>&1
}
states=(intact missing malformed folder)
for state in "${states[@]}"; do
  rm -rf "$rules"
  case "$state" in
    intact) cp "$work/fonts.conf.good" "$rules" ;;
    missing) ;;
    malformed) printf '<fontconfig><match>\n' >"$rules" ;;
    folder) mkdir "$rules" ;;
  esac
  start "$state"
  check "rules $state: the window opens and the close ends the game with 0" test $? -eq 0
  [ -s "$work/$state.log" ] && sed 's/^/  /' "$work/$state.log"
  [ -s "$work/$state.err" ] && sed "s/^/  stderr with the rules $state: /" "$work/$state.err"
done
check "rules intact: nothing on stderr about them" bash -c "! grep -q 'font rules' '$work/intact.err'"
check "rules missing: stderr says so" grep -q "font rules: fonts.conf is not usable (.*not found" "$work/missing.err"
check "rules malformed: stderr says so" grep -q "font rules: .*fonts.conf cannot be parsed" "$work/malformed.err"
check "rules a folder: stderr says so" grep -q "fonts.conf: not a regular file" "$work/folder.err"
check "the staged game's menu looks like the build tree's" \
  bash -c "'$source_dir/tests/e2e/run-headless.sh' --wm -- '$here/start_and_close.sh' \
             '$build_dir/zantobel' '$work/build.png' '$work/build.err' &&
           '$here/menu_strip_matches.sh' '$work/intact.png' '$work/build.png'"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# run-headless.sh [--wm] -- COMMAND [ARGS...]
# Runs COMMAND on a private virtual display (Xvfb picks a free display number itself), with
# openbox as the window manager when --wm is given, no session bus, the dummy audio driver
# and a private runtime folder. Everything it started is stopped when COMMAND ends or the
# script is interrupted; the exit code is COMMAND's.
set -euo pipefail

use_wm=0
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) use_wm=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: run-headless.sh [--wm] -- COMMAND [ARGS...]" >&2; exit 2; }

work=$(mktemp -d /tmp/zantobel-headless.XXXXXX)
xvfb_pid= wm_pid= cmd_pid=
cleanup() {
  local rc=$?
  [ -n "$cmd_pid" ] && kill "$cmd_pid" 2>/dev/null && wait "$cmd_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
  exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.05
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
export NO_AT_BRIDGE=1 GDK_BACKEND=x11 SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} LANG=${LANG:-C.UTF-8}
unset DBUS_SESSION_BUS_ADDRESS

if [ "$use_wm" = 1 ]; then
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    wmctrl -m >/dev/null 2>&1 && break
    sleep 0.05
  done
fi

set +e
"$@" &
cmd_pid=$!
wait "$cmd_pid"
rc=$?
cmd_pid=
set -e
exit $rc

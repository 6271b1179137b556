#!/usr/bin/env bash
# Drives the real backend's smoke program under a virtual display as a person would (pointer,
# keys, the menu by keyboard, a dialog, the close command) and checks what reached the
# window procedure, the screen and the exit code. Skips (77) without Xvfb or xdotool.
# Usage: gtk_smoke_test.sh PATH/TO/desktop_gtk_smoke
set -uo pipefail
program=$1
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d /tmp/zantobel-desktop-smoke.XXXXXX)
xvfb_pid= app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" NO_AT_BRIDGE=1 GDK_BACKEND=x11 SDL_AUDIODRIVER=dummy LANG=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS

passed=0 failed=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
logged() { grep -qE "$1" "$work/app.log"; }
count() { grep -cE "$1" "$work/app.log"; }
wait_for() {  # wait_for REGEX: up to 5 s
  for _ in $(seq 100); do logged "$1" && return 0; sleep 0.05; done
  return 1
}

"$program" >"$work/app.log" 2>"$work/app.err" &
app_pid=$!
check "window created with the menu and its client size" wait_for '^CREATE client=400x[0-9]+ menu=1$'
check "first size message" wait_for '^SIZE 0 400x'
window=$(xdotool search --sync --name '^ZANTOBEL$' | head -1)
xdotool windowfocus --sync "$window"

"$program" >"$work/second.log" 2>&1
check "a second start exits at once with 0" test $? -eq 0
check "the second start saw the first" grep -q 'already running' "$work/second.log"

check "timer ticks arrive" wait_for '^TICK 20$'
xdotool mousemove --window "$window" 100 120 click 1
check "a left press is one click at client coordinates" wait_for '^CLICK 1 at 100,'
xdotool click --repeat 2 --delay 80 1
sleep 0.5
check "a double click is two presses, not three" test "$(count '^CLICK ')" -eq 3
xdotool key Left Up
check "arrow keys arrive as their virtual-key codes" wait_for '^KEY 38$'
logged '^KEY 37$' || { failed=$((failed + 1)); echo "FAILED: left arrow"; }

import -window root "$work/main.png"
pixel=$(convert "$work/main.png" -format '%[pixel:p{50,100}]' info:)
check "the presented picture is on screen" test "$pixel" != "srgb(0,0,0)"

xdotool key F10
sleep 0.3
xdotool key Down Down Down Down Down Down Return
check "the menu sends the settings command with a zero high word" wait_for '^COMMAND 40011 high=0$'
dialog=$(xdotool search --sync --name '^設定$' | head -1)
check "the settings dialog opens" test -n "$dialog"
# 138 x 123 dialog units in IPAPGothic 9 (the alias of the template's font): base units 7 x 13.
check "dialog units come from the dialog's font" logged '^CONFIG SIZE 242x200$'
before=$(count '^TICK ')
sleep 1.5
after=$(count '^TICK ')
check "ticks go on behind the dialog" test "$after" -gt "$before"
xdotool mousemove --window "$window" 300 300 click 1
sleep 0.3
check "no click reaches the main window behind the dialog" test "$(count '^CLICK ')" -eq 3
xdotool key Escape
check "Esc cancels the dialog" wait_for '^CONFIG CANCEL$'

xdotool windowfocus --sync "$window"
xdotool key F10
sleep 0.3
xdotool key Up Return
check "the exit command destroys the window" wait_for '^DESTROY'
wait "$app_pid"
rc=$?
app_pid=
check "the program exits with 0" test "$rc" -eq 0
# GTK reports a misused widget (a freed one hidden again, say) as a critical or warning.
check "GTK did not complain" bash -c "! grep -E -- '-(CRITICAL|WARNING)' '$work/app.err'"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

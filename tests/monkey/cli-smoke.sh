#!/usr/bin/env bash
# cli-smoke.sh CLI: the command-line tool's commands once each, good input and bad, for a
# sanitizer build of it. Fails on a wrong answer, an unexpected exit code, or any sanitizer
# report on stderr.
set -uo pipefail
cli=${1:?usage: cli-smoke.sh PATH-TO-zantobel-cli}
work=$(mktemp -d /tmp/zantobel-cli-smoke.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0

# check EXPECTED-CODE PATTERN ARGS...: PATTERN must match its output ("-": no output asked for).
check() {
  local want=$1 pattern=$2
  shift 2
  "$cli" "$@" >"$work/out" 2>"$work/err"
  local code=$?
  if [ "$code" != "$want" ] ||
     { [ "$pattern" != - ] && ! grep -Eq -- "$pattern" "$work/out" "$work/err"; } ||
     grep -Eq 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$work/err"; then
    echo "cli-smoke: FAIL: zantobel-cli $* (exit $code, wanted $want)" >&2
    head -20 "$work/out" "$work/err" >&2
    failed=1
  else
    echo "cli-smoke: ok: zantobel-cli $*"
  fi
}

near_end="OOOOOOOOXXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOO-------- X"
check 0 '^d3 c4 f5 e6' legal start
check 0 '^8200$' perft 6
check 0 '.' play --black fool --white poor --seed 1
check 0 '.' move --level master --seed 2 start
check 0 '.' solve "$near_end"
check 0 '.' book --seed 3 f5d6
check 0 '^a1 ' squares --width 320 --height 240
check 0 - render --out "$work/board.png" --width 320 --height 240 --quality gouraud
[ -s "$work/board.png" ] || { echo "cli-smoke: FAIL: render wrote no picture" >&2; failed=1; }
check 2 '.' legal "XXXX"
check 2 '.' perft 999
check 2 '.' render --out "$work/x.png" --width 0
check 2 '.' no-such-command
exit $failed

#!/usr/bin/env bash
# The manual page of zantobel-cli keeps up with the program: every command the program lists
# and every option its help names appears in the page, and man formats both pages without a
# warning. Usage: man_page_test.sh PATH/TO/zantobel-cli PAGE.6...
set -uo pipefail
cli=$1
cli_page=$2
shift
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# The page's text with roff's escapes undone: \- is -, font changes vanish.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$cli_page")

commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')
[ -n "$commands" ] || fail "no commands in zantobel-cli --help"
for command in $commands; do
  grep -qE "^(\.[A-Z]+ \"?)?$command( |\"|$)" <<<"$text" || fail "command '$command' is not in the page"
  for option in $("$cli" "$command" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    [ "$option" = --help ] && continue
    grep -qF -- "$option" <<<"$text" || fail "option '$option' of '$command' is not in the page"
  done
done
grep -qF -- "--version" <<<"$text" || fail "--version is not in the page"

if command -v man >/dev/null; then
  for page in "$@"; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page: $warnings"
  done
fi

[ "$failed" -eq 0 ] && echo "manual pages: every command and option is there"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Both programs of the release archive carry a version block, as Explorer's properties show
# it: the project's version, the product name ZANTOBEL, and the program's description and
# file name. The block is read under Wine through the system's own version calls.
# Usage: version_block.sh ZIP FOLDER WINE_RUN CHECKER VERSION DESCRIPTION
set -uo pipefail
zip=$1 folder=$2 wine_run=$3 checker=$4 version=$5 description=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

( cd "$work" && cmake -E tar xf "$zip" ) || { echo "FAIL: cannot unpack $zip"; exit 1; }
cp "$checker" "$work/$folder/" || exit 1
cd "$work/$folder" || exit 1
check() {  # program description
    echo "== $1"
    "$wine_run" "$(basename "$checker")" "$1" "$version" "$2" "$1" || failures=$((failures + 1))
}
check zantobel.exe "$description"
check zantobel-cli.exe "$description: the engine on the command line"
[[ $failures == 0 ]]

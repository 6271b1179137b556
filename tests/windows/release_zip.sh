#!/usr/bin/env bash
# The release archive holds the folder with both programs and the read-me, and each program
# imports only libraries every Windows has: nothing of MinGW's run time is needed beside it.
# Usage: release_zip.sh ZIP FOLDER OBJDUMP
set -uo pipefail
zip=$1 folder=$2 objdump=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The system's own libraries (the C run time msvcrt ships with Windows).
allowed='^(kernel32|user32|gdi32|comctl32|winmm|advapi32|shell32|ole32|msvcrt|ucrtbase|api-ms-win-.*)\.dll$'

( cd "$work" && cmake -E tar xf "$zip" ) || fail "cannot unpack $zip"
for file in zantobel.exe zantobel-cli.exe README.txt; do
    [[ -s $work/$folder/$file ]] || fail "$folder/$file missing from the archive"
done
extra=$(cd "$work" && find . -type f | sort | grep -v -e "^./$folder/zantobel.exe$" \
    -e "^./$folder/zantobel-cli.exe$" -e "^./$folder/README.txt$")
[[ -z $extra ]] || fail "unexpected files in the archive: $extra"

for program in zantobel.exe zantobel-cli.exe; do
    path=$work/$folder/$program
    [[ -f $path ]] || continue
    dlls=$("$objdump" -p "$path" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
    [[ -n $dlls ]] || fail "$program lists no imported libraries"
    for dll in $dlls; do
        [[ $dll =~ $allowed ]] || fail "$program needs $dll, which Windows does not carry"
    done
    echo "$program imports: $(echo $dlls)"
done
# The game is a windowed program, the tool a console one (PE subsystems 2 and 3).
subsystem() { "$objdump" -p "$1" | sed -n 's/^Subsystem\s*0*\([0-9a-f]*\).*/\1/p'; }
[[ $(subsystem "$work/$folder/zantobel.exe") == 2 ]] || fail "zantobel.exe is not a GUI program"
[[ $(subsystem "$work/$folder/zantobel-cli.exe") == 3 ]] || fail "zantobel-cli.exe is not a console program"
[[ $failures == 0 ]]

#!/usr/bin/env bash
# The Windows command-line tool under Wine must print exactly what the Linux one prints:
# the same bytes on stdout and stderr and the same exit code, for every engine command at
# every level, seeded games, and bad input; and render the same pictures.
# Usage: cli_same_bytes.sh LINUX_CLI WINE_RUNNER WINDOWS_CLI
set -uo pipefail
linux=$1 runner=$2 windows=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

midgame='----------O-------OOX-----XOXX-----XOO------O------------------- X'
endgame='XXXXXXOOXXXOOO-OXXOXOO--XOXXOX-OXOOXXO--XO-OXXO-X--OOXX---OOOO-- X'
levels=(fool poor normal expert master)

cases=(
    "perft 1" "perft 6" "perft 5 $midgame" "perft 0" "perft 21"
    "legal start" "legal $midgame" "legal $endgame" "legal XO" "legal"
    "solve $endgame" "solve start-ish"
    "book -" "book f5" "book --seed 7 f5d6c3" "book f5f5" "book z9"
    "play" "play --seed 3" "play --seed 11 --black normal --white expert --clock counted"
    "play --seed 5 --black master --white poor --games 2 --clock counted"
    "play --black nobody" "nosuchcommand" "--help"
)
for level in "${levels[@]}"; do
    cases+=("move --level $level --seed 9 --clock counted start"
            "move --level $level --seed 4 --history f5d6 --clock counted $midgame"
            "move --level $level --seed 2 --clock counted $endgame")
done

failures=0
for case in "${cases[@]}"; do
    # Positions hold a space before the side to move: keep them one argument.
    read -r -a words <<<"$case"
    if [[ ${#words[@]} -ge 2 && ${words[-1]} =~ ^[XO]$ ]]; then
        side=${words[-1]}; unset 'words[-1]'
        words[-1]="${words[-1]} $side"
    fi
    "$linux" "${words[@]}" >"$work/l.out" 2>"$work/l.err"; lcode=$?
    "$runner" "$windows" "${words[@]}" >"$work/w.out" 2>"$work/w.err"; wcode=$?
    if ! cmp -s "$work/l.out" "$work/w.out" || ! cmp -s "$work/l.err" "$work/w.err" ||
       [[ $lcode != "$wcode" ]]; then
        echo "DIFFERS: zantobel-cli $case (exit $lcode on Linux, $wcode under Wine)"
        diff <(cat "$work/l.out" "$work/l.err") <(cat "$work/w.out" "$work/w.err") | head -8
        failures=$((failures + 1))
    else
        echo "same: zantobel-cli $case (exit $lcode, $(wc -c <"$work/l.out") bytes)"
    fi
done
echo "$failures of ${#cases[@]} cases differ"

# render writes PNG through libpng on Linux and through the tool's own writer on Windows, so
# the files differ while the pictures must not: every pixel is compared.
renders=(
    "--width 400 --height 300"
    "--width 640 --height 480 --quality gouraud --camera -20,-8 $midgame"
    "--width 320 --height 200 --quality wireframe $endgame"
)
for options in "${renders[@]}"; do
    read -r -a words <<<"$options"
    if [[ ${words[-1]} =~ ^[XO]$ ]]; then
        side=${words[-1]}; unset 'words[-1]'
        words[-1]="${words[-1]} $side"
    fi
    "$linux" render --out "$work/l.png" "${words[@]}" >/dev/null 2>&1
    # Wine takes a Unix path for the file as it is.
    "$runner" "$windows" render --out "$work/w.png" "${words[@]}" >/dev/null 2>&1
    differing=$(compare -metric AE "$work/l.png" "$work/w.png" null: 2>&1)
    if [[ $differing != 0 ]]; then
        echo "DIFFERS: zantobel-cli render $options ($differing pixels differ)"
        failures=$((failures + 1))
    else
        echo "same pixels: zantobel-cli render $options"
    fi
    rm -f "$work/l.png" "$work/w.png"
done
[[ $failures == 0 ]]

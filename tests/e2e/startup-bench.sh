#!/usr/bin/env bash
# startup-bench.sh BUILD_DIR [RUNS] [GAMES]: the figures of a lean start, on a virtual display:
#   tests/e2e/run-headless.sh --wm -- tests/e2e/startup-bench.sh build
# Starts the game RUNS times (default 5) and prints, for each start, the time to its first
# painted frame and its resident memory then and 2 s later, as the program runs for a player
# (GL left off) and once more with GL left on (GDK_GL=legacy, which does not turn GL off),
# each as the first start on its display; then the medians; then the resident memory after
# GAMES (default 20, 0 for none) computer games.
# Figures only: nothing here passes or fails.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
games=${3:-20}
here=$(cd "$(dirname "$0")" && pwd)

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

measure() {  # measure LABEL [ENV...]
  local label=$1 results
  shift
  results=$(mktemp)
  for run in $(seq "$runs"); do
    # GTK keeps what its GL probe found in a property of the root window and skips the probe
    # (and the driver it loads) on later starts; removed, every start is a first start.
    xprop -root -remove GDK_VISUALS 2>/dev/null || true
    line=$(env "$@" "$build/startup_probe" "$build/zantobel" 2)
    echo "$label run $run: first frame $(cut -d' ' -f1 <<<"$line") ms," \
         "resident $(cut -d' ' -f2 <<<"$line") kB at it, $(cut -d' ' -f3 <<<"$line") kB settled"
    echo "$line" >>"$results"
  done
  echo "$label median: first frame $(cut -d' ' -f1 "$results" | median) ms," \
       "resident $(cut -d' ' -f2 "$results" | median) kB at it, $(cut -d' ' -f3 "$results" | median) kB settled"
  rm -f "$results"
}

measure "GL off (as shipped)"
measure "GL left on" GDK_GL=legacy
if [ "$games" -gt 0 ]; then
  echo "resident memory after each of $games COM vs COM games (kB):"
  "$here/memory-soak.sh" "$build" "$games"
fi

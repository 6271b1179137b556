#!/usr/bin/env bash
# Builds the libFuzzer targets (`make fuzz`, into build-fuzz/) and runs each one for about a
# minute, starting from its committed corpus in fuzz/corpus/<target>/. Any crash, leak,
# sanitizer report, broken promise or slow input fails the run; the input that did it is
# left in build-fuzz/findings/. New inputs go to a scratch folder, never into the corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-60}"
make fuzz JOBS="${JOBS:-2}"

findings=build-fuzz/findings
mkdir -p "$findings"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

for corpus in fuzz/corpus/*/; do
  target="$(basename "$corpus")"
  binary="build-fuzz/fuzz-$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz-smoke: no $binary for the corpus $corpus" >&2
    exit 1
  fi
  dict=()
  if [ -f "fuzz/$target.dict" ]; then
    dict=(-dict="fuzz/$target.dict")
  fi
  mkdir -p "$scratch/$target"
  echo "fuzz-smoke: $target for ${seconds}s"
  "$binary" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-" \
      "$scratch/$target" "$corpus"
done
echo "fuzz-smoke: no findings"

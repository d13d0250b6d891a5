#!/usr/bin/env bash
# Regenerates the expected outputs of the seeded whole-command regression
# test from the current build: tests/data/golden/<case>/ for every case of
# cases.txt. Regenerate only in a commit that says which behaviour changed
# and why.
#   usage: tests/data/golden/make_golden.sh [path/to/quorvane]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=$(realpath "${1:-$root/build/quorvane}")
golden="$root/tests/data/golden"
export GSL_RNG_TYPE=mt19937 OMP_NUM_THREADS=1
unset GSL_RNG_SEED

grep -v '^#' "$golden/cases.txt" | while IFS='|' read -r name args; do
  [ -n "$name" ] || continue
  work=$(mktemp -d)
  printf '#GRAPH_TYPE\nNO_DOT\n' > "$work/dot.cfg"
  # shellcheck disable=SC2086
  (cd "$work" && "$bin" ${args//@/$root/tests/data/} > stdout.txt)
  rm -rf "${golden:?}/$name"
  mkdir -p "$golden/$name"
  rm "$work/dot.cfg"
  cp "$work"/* "$golden/$name/"
  rm -rf "$work"
  echo "$name: $(ls "$golden/$name" | wc -l) files"
done

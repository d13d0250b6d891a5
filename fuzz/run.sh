#!/usr/bin/env bash
# Fuzzes by hand: fuzz/run.sh SECONDS [TARGET...]
# Builds the fuzz targets with clang in build-fuzz (all our code instrumented
# for coverage and checked by AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each target for SECONDS, two at a time. Each target starts from
# its seed corpus in fuzz/corpus/<target> and from the inputs in
# fuzz/regressions/<target>; what it learns and any crashing input go to
# fuzz/out/<target>/ (not committed). Copy a crashing input into
# fuzz/regressions/<target>/ once it is fixed, so CI replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh SECONDS [TARGET...]" >&2
  exit 2
fi
SECONDS_EACH=$1
shift
PARALLEL=${PARALLEL:-2}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_FUZZ=ON -DQUORVANE_TESTS=OFF \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-fuzz -j"$PARALLEL" --target "${targets[@]}"

run_one() {
  local t=$1 out=fuzz/out/$1
  mkdir -p "$out/corpus"
  local seeds=(fuzz/corpus/"$t")
  if [ -d fuzz/regressions/"$t" ]; then seeds+=(fuzz/regressions/"$t"); fi
  # The process is started directly, never through a shell string; the
  # styling target also works in a scratch directory of its own.
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ./build-fuzz/"$t" -max_total_time="$SECONDS_EACH" -timeout=10 \
    -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus" "${seeds[@]}" \
    >"$out/log" 2>&1
}

status=0
pids=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$PARALLEL" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done

for t in "${targets[@]}"; do
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "fuzz/out/$t/log" |
    grep -o '[0-9]*$' || echo "?")
  crashes=$(find "fuzz/out/$t" -maxdepth 1 -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) |
    wc -l)
  echo "$t: $runs executions, $crashes failing inputs (fuzz/out/$t/log)"
  [ "$crashes" -eq 0 ] || status=1
done
exit $status

#!/usr/bin/env bash
# Builds the Release configuration and prints the four performance figures of
# one inference (default parameters, benchmark data of bench_data.h):
#   1. floor ratio: inference time at L = 100,000 over the time of only its
#      random draws (inference_bench --floor), with the candidates scored;
#   2. scaling: least-squares slope of log(median time) over log(L) for
#      L = 10,000, 100,000 and 1,000,000;
#   3. threads: speedup from 1 to 2 threads of the command on (a) six
#      variables, key ":", and (b) one target with eight sources, key
#      "1 2 3 4 5 6 7 8 : 0", one delay, L = 20,000, alternating runs;
#   4. memory: peak resident set of one inference (a fresh process per L) and
#      the marginal bytes per symbol from 10,000 to 100,000 and from 100,000
#      to 1,000,000.
# Every time is a median of RUNS runs (default 3). Takes several minutes.
#
# Usage: bench/run_bench.sh      (BUILD_DIR, RUNS and QUORVANE may be set;
#                                 QUORVANE replaces the command measured in 3)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
runs=${RUNS:-3}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_TESTS=OFF \
  >/dev/null
cmake --build "$build" -j2 --target quorvane inference_bench make_bench_data \
  >/dev/null
bench="$build/inference_bench"
command=${QUORVANE:-$build/quorvane}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{v[NR] = $1} END {
  if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }
now() { date +%s.%N; }
calc() { awk "BEGIN {printf \"%.6f\", $1}"; }

echo "== 1. floor ratio (L = 100000)"
OMP_NUM_THREADS=1 "$bench" --floor --runs "$runs" 100000 | tee "$work/floor.txt"
t100k=$(grep '^time' "$work/floor.txt" | field median_s)

echo "== 2. scaling"
OMP_NUM_THREADS=1 "$bench" --runs "$runs" 10000 1000000 | tee "$work/scale.txt"
t10k=$(grep 'length=10000 ' "$work/scale.txt" | field median_s)
t1m=$(grep 'length=1000000 ' "$work/scale.txt" | field median_s)
slope=$(printf '10000 %s\n100000 %s\n1000000 %s\n' "$t10k" "$t100k" "$t1m" |
  awk '{x = log($1); y = log($2); sx += x; sy += y; sxx += x * x; sxy += x * y; n++}
       END {printf "%.3f", (n * sxy - sx * sy) / (n * sxx - sx * sx)}')
echo "times: 10000 ${t10k}s, 100000 ${t100k}s, 1000000 ${t1m}s; slope $slope"

echo "== 3. threads (L = 20000, delay 1, seed 1)"
"$build/make_bench_data" chain 6 20000 "$work/six.txt"
"$build/make_bench_data" fan 9 20000 "$work/fan.txt"
speedup() {  # name data key
  local one=() two=()
  for ((i = 0; i < runs; i++)); do
    for t in 1 2; do
      local start end
      start=$(now)
      (cd "$work" && OMP_NUM_THREADS=$t "$command" -f "$2" -T symbolic -d 1 \
        -k "$3" -q --seed 1 -l "r$t.log" >/dev/null)
      end=$(now)
      if [ "$t" = 1 ]; then one+=("$(calc "$end - $start")");
      else two+=("$(calc "$end - $start")"); fi
    done
    cmp -s "$work/r1.log" "$work/r2.log" || { echo "$1: logs differ"; exit 1; }
  done
  local m1 m2
  m1=$(printf '%s\n' "${one[@]}" | median)
  m2=$(printf '%s\n' "${two[@]}" | median)
  printf '%s: 1 thread %.2fs (%s), 2 threads %.2fs (%s), speedup %.2f\n' \
    "$1" "$m1" "${one[*]}" "$m2" "${two[*]}" "$(calc "$m1 / $m2")"
}
speedup "(a) six variables" "$work/six.txt" ":" | tee "$work/threads.txt"
speedup "(b) eight sources" "$work/fan.txt" "1 2 3 4 5 6 7 8 : 0" |
  tee -a "$work/threads.txt"

echo "== 4. memory (one inference per process)"
for len in 10000 100000 1000000; do
  OMP_NUM_THREADS=1 "$bench" --rss "$len"
done | tee "$work/rss.txt"
kb() { grep "length=$1 " "$work/rss.txt" | field peak_kb; }
m1=$(calc "($(kb 100000) - $(kb 10000)) * 1024 / 90000")
m2=$(calc "($(kb 1000000) - $(kb 100000)) * 1024 / 900000")
diff=$(calc "($m2 - $m1) / $m1 * 100")
diff=${diff#-}
printf 'marginal bytes/symbol: 10k-100k %.1f, 100k-1M %.1f, differ by %.1f%%\n' \
  "$m1" "$m2" "$diff"

echo "== summary"
grep '^floor' "$work/floor.txt" | awk -v c="$(grep '^time' "$work/floor.txt" |
  field candidates)" '{print "1. floor ratio " $NF " (" c " candidates, " $3 ")"}'
echo "2. scaling slope $slope (10k ${t10k}s, 100k ${t100k}s, 1M ${t1m}s)"
sed 's/^/3. /' "$work/threads.txt"
printf '4. marginal bytes/symbol %.1f and %.1f (differ %.1f%%)\n' "$m1" "$m2" "$diff"

#!/usr/bin/env bash
# The whole test suite, as CI runs it:
#   1. a build with -Wall -Wextra -Wpedantic as errors, and every test;
#   2. the same under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the sweep's tests under ThreadSanitizer (clang);
#   4. clang-format --dry-run --Werror on every source file.
# Installs what it needs first (scripts/install_deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh

JOBS=${JOBS:-$(nproc)}

echo "== build (warnings as errors)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build -j"$JOBS"
echo "== tests"
ctest --test-dir build --output-on-failure -j"$JOBS"

echo "== build (address + undefined behaviour sanitizers)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-asan -j"$JOBS"
echo "== tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$JOBS"

echo "== parallel sweep under ThreadSanitizer (clang, its OpenMP runtime)"
CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_TSAN=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-tsan -j"$JOBS" --target unit_tests
TSAN_OPTIONS="ignore_noninstrumented_modules=1 halt_on_error=1" \
  OMP_NUM_THREADS=2 ./build-tsan/unit_tests \
  --gtest_filter='RunSweep*:RandomSeed*:SelgrimX*'

echo "== clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "all checks passed"

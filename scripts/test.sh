#!/usr/bin/env bash
# Installs what is missing, builds Mobrelle twice (gcc with warnings as errors; clang with
# AddressSanitizer, UndefinedBehaviorSanitizer and the libFuzzer targets) and runs every test of
# both builds inside a loopback-only network namespace.
#   scripts/test.sh            everything
#   MOBRELLE_TEST_ARGS="-L unit" scripts/test.sh    pass extra arguments to ctest
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/install-deps.sh

cmake -S . -B build -G Ninja -DMOBRELLE_WERROR=ON
cmake --build build -j "$jobs"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DMOBRELLE_WERROR=ON \
  -DMOBRELLE_SANITIZE=ON -DMOBRELLE_FUZZ=ON -DMOBRELLE_BENCH=OFF
cmake --build build-asan -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt's own allocations at exit are not ours to fix.
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

status=0
for dir in build build-asan; do
  echo "=== tests of $dir"
  bash scripts/sandbox.sh ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600 \
    ${MOBRELLE_TEST_ARGS:-} || status=1
done
exit $status

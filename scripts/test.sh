#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh             the Release build, in ./build
#   scripts/test.sh --sanitize  the same tests under AddressSanitizer and
#                               UndefinedBehaviorSanitizer, in ./build-asan
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"

if [ "${1:-}" = "--sanitize" ]; then
  build=${TABRIX_TEST_BUILD:-$root/build-asan}
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTABRIX_SANITIZE=ON -DTABRIX_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
else
  build=${TABRIX_TEST_BUILD:-$root/build}
  "$root/scripts/build.sh" "$build"
fi
cd "$build"
ctest --output-on-failure -j2

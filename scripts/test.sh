#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TABRIX_TEST_BUILD:-$root/build}

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"
cd "$build"
ctest --output-on-failure -j2

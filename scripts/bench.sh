#!/usr/bin/env bash
# Installs what is missing, builds Tabrix in Release and runs the benchmark
# on a full catalogue (4 × 999 entries), offscreen: each operation beside its
# floor, with the ratio of their medians. Arguments name the measures to
# run (demarrage onglet recherche toutes tri ecriture image images echelle);
# none runs them all. --json FILE also writes every row to FILE. The exit status is 0
# whether the goals are reached or not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TABRIX_BENCH_BUILD:-$root/build}

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" -DTABRIX_BUILD_BENCH=ON
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/tabrix-bench" "$@"

#!/usr/bin/env bash
# Installs what is missing, builds, makes a demo catalogue beside the program
# when there is none, and starts Tabrix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"

if [ ! -e "$build/Tabrix.mdb" ]; then
  "$build/tabrix-admin" demo "$build/Tabrix.mdb"
fi
if [ ! -e "$build/Fendrel.exe" ] && [ -f "$root/tools/fendrel/Fendrel.exe" ]; then
  install -m 755 "$root/tools/fendrel/Fendrel.exe" "$build/Fendrel.exe"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Pas d'écran : Tabrix démarre dans un écran virtuel (xvfb-run)."
  exec xvfb-run -a "$build/tabrix"
fi
exec "$build/tabrix"

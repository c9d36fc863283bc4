#!/usr/bin/env bash
# Takes the README's pictures from real windows under Xvfb: the main window
# on the demo catalogue and the picture window. Writes docs/*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root"
xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/tools/tabrix-screenshots" "$root/docs"

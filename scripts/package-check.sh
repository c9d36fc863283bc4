#!/usr/bin/env bash
# The Debian package as a new user meets it: builds the .deb, installs it
# with apt, then starts the installed /opt/tabrix/tabrix as an ordinary
# user on a virtual screen. The welcome appears; « Créer le catalogue de
# démonstration » (reached with the keyboard: Tab, Space) makes
# ~/.local/share/Tabrix/Tabrix.mdb for that user, and the main window opens.
# Run as root or through sudo; the package stays installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi

bash "$root/scripts/setup.sh"
# Types and reads windows on the virtual screen: for this check only.
if ! command -v xdotool >/dev/null; then
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends xdotool
fi

build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABRIX_BUILD_TESTS=OFF \
  -DTABRIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/tabrix_*.deb)
chmod a+rx "$build"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "$package"

user=tabrix-essai
id "$user" >/dev/null 2>&1 || "${sudo[@]}" useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
"${sudo[@]}" rm -rf "$home/.local/share/Tabrix"

"${sudo[@]}" runuser -u "$user" -- env HOME="$home" xvfb-run -a bash -s <<'SESSION'
set -euo pipefail
/opt/tabrix/tabrix & program=$!
trap 'kill $program 2>/dev/null || true' EXIT
welcome=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tabrix$' | head -n 1)
xdotool windowfocus --sync "$welcome"
xdotool key --clearmodifiers Tab space
timeout 30 xdotool search --sync --onlyvisible --name '^Zarpo - Melvi - Trunda' >/dev/null
test -s "$HOME/.local/share/Tabrix/Tabrix.mdb"
echo "Le catalogue de démonstration est créé : $HOME/.local/share/Tabrix/Tabrix.mdb ; la fenêtre principale est ouverte."
SESSION
if [ -e /opt/tabrix/Tabrix.mdb ]; then
  echo "Un catalogue a été écrit dans /opt/tabrix." >&2
  exit 1
fi
echo "Paquet vérifié."

#!/bin/sh
# Runs a test program on its own X server with a window manager (openbox),
# as the user's desktop has one: xvfb-run -a tests/app/underwm.sh PROGRAM ARGS…
set -eu
ready=$(mktemp -u)
openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null; rm -f "$ready"' EXIT
# The window manager is ready when it has run its start-up command.
while [ ! -e "$ready" ]; do
  kill -0 $wm 2>/dev/null || { echo "openbox did not start" >&2; exit 1; }
  sleep 0.1
done
QT_QPA_PLATFORM=xcb "$@"

#!/bin/bash
# Runs a Windows test program with an X display and a Wine prefix of its own, and leaves nothing
# running afterwards (the Xvfb it started is stopped by its process id, the prefix's wineserver
# with "wineserver -k": the prefix is this test's alone, so no other test's program is hit).
#
#   run-with-display.sh WINE_PREFIX PROGRAM.exe [ARGS...]
#
# The display is :92 unless TAVO_SIM_DISPLAY names another number.
set -u
prefix=$1
shift
display=${TAVO_SIM_DISPLAY:-92}
here=$(cd "$(dirname "$0")" && pwd)

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "Xvfb could not start on :$display" >&2
    exit 1
fi

export DISPLAY=":$display" TAVO_WINEPREFIX="$prefix"
"$here/../../scripts/wine-run" "$@"
rc=$?

WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $rc

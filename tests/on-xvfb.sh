#!/bin/sh
# Runs a command with DISPLAY set to a private Xvfb of its own, which ends with it: Windows programs
# under Wine need an X server for their windows, the grab programs one to draw on. One such command at
# a time per Wine prefix: Wine's desktop process lives on the display of the program that started it.
# The screen is XVFB_SCREEN (WIDTHxHEIGHTxDEPTH), 1024x768x24 unless set.
# Usage: on-xvfb.sh <command> [arguments...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb.sh"
work=$(mktemp -d)
if ! start_xvfb "$work" "${XVFB_SCREEN:-1024x768x24}"; then
    kill "$XVFB_PID" 2>/dev/null
    rm -rf "$work"
    exit 1
fi
"$@"
status=$?
kill "$XVFB_PID" 2>/dev/null
wait "$XVFB_PID" 2>/dev/null
rm -rf "$work"
# Wine's desktop process, started on this display, ends with it; the next program starts one anew.
if [ -n "${WINEPREFIX:-}" ]; then
    sh "$here/wine-prefix.sh" desktop-gone
fi
exit "$status"

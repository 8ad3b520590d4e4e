#!/bin/sh
# start: initialises the Wine prefix named by WINEPREFIX and starts its wineserver to stay for a minute
# after the last Windows program ends, so each test program does not start one of its own.
# stop: ends the wineserver and every Windows program in the prefix.
# Output goes to a log file: a wineserver holding ctest's pipe would keep the test from ending.
set -e
mkdir -p "$WINEPREFIX"
log="$WINEPREFIX/../wine-prefix.log"
case "$1" in
start)
    # A wineserver left from an earlier run is ended first: the new one must be persistent.
    if ! wineserver -p60 </dev/null >"$log" 2>&1; then
        wineserver -k </dev/null >>"$log" 2>&1 || true
        wineserver -w </dev/null >>"$log" 2>&1 || true
        wineserver -p60 </dev/null >>"$log" 2>&1
    fi
    wine wineboot -i </dev/null >>"$log" 2>&1
    wine cmd /c exit </dev/null >>"$log" 2>&1
    echo "Wine prefix ready: $WINEPREFIX"
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
esac

#!/bin/sh
# start: initialises the Wine prefix named by WINEPREFIX and starts its wineserver to stay for a minute
# after the last Windows program ends, so each test program does not start one of its own.
# stop: ends the wineserver and every Windows program in the prefix.
# Output goes to a log file: a wineserver holding ctest's pipe would keep the test from ending.
set -e
mkdir -p "$WINEPREFIX"
log="$WINEPREFIX/../wine-prefix.log"
# Whether a desktop process (explorer.exe) of this prefix runs.
desktop_running() {
    for pid in $(pgrep -f 'explorer.exe /desktop'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}

case "$1" in
start)
    # A wineserver left from an earlier run is ended first: the new one must be persistent.
    if ! wineserver -p60 </dev/null >"$log" 2>&1; then
        wineserver -k </dev/null >>"$log" 2>&1 || true
        wineserver -w </dev/null >>"$log" 2>&1 || true
        wineserver -p60 </dev/null >>"$log" 2>&1
    fi
    wine wineboot -i </dev/null >>"$log" 2>&1
    # Windows stay unmanaged: the tests' X servers have no window manager, and Wine would wait for one
    # each time a window is hidden or destroyed.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$log" 2>&1
    wine cmd /c exit </dev/null >>"$log" 2>&1
    # Wine's desktop process, started by the set-up without an X display, ends a few seconds after its
    # last window; the next one starts on the X display of the first program that shows a window.
    for _ in $(seq 150); do
        desktop_running || break
        sleep 0.1
    done
    echo "Wine prefix ready: $WINEPREFIX"
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
esac

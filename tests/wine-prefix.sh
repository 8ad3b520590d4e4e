#!/bin/sh
# start: initialises the Wine prefix named by WINEPREFIX and starts its wineserver to stay for a minute
# after the last Windows program ends, so each test program does not start one of its own. With
# RUVA_WINE_VERSION set (winxp, winxp64, win2k, ...), the prefix reports that Windows version.
# stop: ends the wineserver and every Windows program in the prefix.
# desktop-gone: waits for the prefix's desktop process to end, as it does once its X display has gone.
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
# Waits up to 15 seconds for it to end.
wait_desktop_gone() {
    for _ in $(seq 150); do
        desktop_running || return 0
        sleep 0.1
    done
}

case "$1" in
start)
    # A prefix made for another architecture is made afresh.
    if [ -n "${WINEARCH:-}" ] && [ -f "$WINEPREFIX/system.reg" ] &&
        ! grep -q "^#arch=$WINEARCH\$" "$WINEPREFIX/system.reg"; then
        wineserver -k </dev/null >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
    fi
    # A wineserver left from an earlier run is ended first: the new one must be persistent.
    if ! wineserver -p60 </dev/null >"$log" 2>&1; then
        wineserver -k </dev/null >>"$log" 2>&1 || true
        wineserver -w </dev/null >>"$log" 2>&1 || true
        wineserver -p60 </dev/null >>"$log" 2>&1
    fi
    # Initialising a prefix under a running wineserver leaves two service managers, which answer in
    # turns (a kernel service registered with one is unknown to the other): a new prefix is initialised,
    # then started afresh; an existing one is only started.
    if [ -f "$WINEPREFIX/system.reg" ]; then
        wine wineboot </dev/null >>"$log" 2>&1
    else
        wine wineboot -i </dev/null >>"$log" 2>&1
        wineserver -k </dev/null >>"$log" 2>&1 || true
        wineserver -w </dev/null >>"$log" 2>&1 || true
        wineserver -p60 </dev/null >>"$log" 2>&1
        wine wineboot </dev/null >>"$log" 2>&1
    fi
    if [ -n "${RUVA_WINE_VERSION:-}" ]; then
        wine winecfg -v "$RUVA_WINE_VERSION" </dev/null >>"$log" 2>&1
    fi
    # Windows stay unmanaged: the tests' X servers have no window manager, and Wine would wait for one
    # each time a window is hidden or destroyed.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$log" 2>&1
    wine cmd /c exit </dev/null >>"$log" 2>&1
    # Wine's own fonts (Debian's fonts-wine: Tahoma for the dialogs, Marlett for the caption buttons),
    # where this Wine finds them: in the prefix's font folder.
    for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
        if [ -f "/usr/share/wine/fonts/$font" ]; then
            cp -u "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
        fi
    done
    # Wine's desktop process, started by the set-up without an X display, ends a few seconds after its
    # last window; the next one starts on the X display of the first program that shows a window.
    wait_desktop_gone
    echo "Wine prefix ready: $WINEPREFIX"
    ;;
desktop-gone)
    wait_desktop_gone
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
esac

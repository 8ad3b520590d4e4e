#!/bin/sh
# Runs a command with DISPLAY set to a private Xvfb of its own, which ends with it: Windows programs
# under Wine need an X server for their windows. One such command at a time per Wine prefix: Wine's
# desktop process lives on the display of the program that started it.
# Usage: on-xvfb.sh <command> [arguments...]
set -u
work=$(mktemp -d)
# The server picks a free display itself and writes its number; it must not reset when a client leaves.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    kill "$server" 2>/dev/null
    rm -rf "$work"
    exit 1
fi
DISPLAY=":$(head -n1 "$work/display")" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$work"
# Wine's desktop process, started on this display, ends with it; the next program starts one anew.
if [ -n "${WINEPREFIX:-}" ]; then
    for _ in $(seq 50); do
        running=
        for pid in $(pgrep -f 'explorer.exe /desktop'); do
            if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
                running=yes
            fi
        done
        [ -z "$running" ] && break
        sleep 0.1
    done
fi
exit "$status"

# Sourced by the scripts that need an X display of their own.
# start_xvfb <directory> <screen>: starts a private Xvfb (screen as WIDTHxHEIGHTxDEPTH), which picks a
# free display itself and writes its number into <directory>. It must not reset when a client leaves,
# or the next one to connect during the reset is refused. Sets XVFB_PID and exports DISPLAY; fails, with
# the server's log on standard error, when the server has not started within ten seconds.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp -noreset 3>"$1/display" 2>"$1/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$1/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$1/display" ]; then
        echo "Xvfb did not start:" >&2
        cat "$1/xvfb.log" >&2
        return 1
    fi
    DISPLAY=":$(head -n1 "$1/display")"
    export DISPLAY
}

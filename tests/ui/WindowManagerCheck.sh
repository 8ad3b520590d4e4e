#!/usr/bin/env bash
# Runs ruvasetw under a real window manager with a taskbar (openbox and tint2 on a private Xvfb) and
# checks that desktops treat the sheet as the program's main window: an ordinary top-level window,
# listed by the taskbar, minimised and restored again from the taskbar. Exits 77 (skipped) when the
# X server, the window manager, the panel or the X tools are not installed.
# Usage: WindowManagerCheck.sh <ruvasetw>
set -uo pipefail

program=${1:?usage: WindowManagerCheck.sh <ruvasetw>}
for tool in Xvfb openbox tint2 xprop xwininfo xdotool convert import; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

# Under LeakSanitizer: leaks at exit inside the libraries Qt loads on an X display are not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/x11-leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [[ -s "$log" ]] && { echo "--- $(basename "$log")"; tail -n 20 "$log"; } >&2
    done
    exit 1
}

# Runs a command until it succeeds, for up to ten seconds.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "timed out waiting for $what"
}

. "$(dirname "$0")/../xvfb.sh"
start_xvfb "$work" 1024x768x24
started=$?
pids+=("$XVFB_PID")
((started == 0)) || fail "the X server did not start"
wait_for "the X server to answer" xprop -root _NET_SUPPORTED

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for "the window manager" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

# A panel at the bottom with task buttons only, drawn in plain colours that tell the states apart:
# red for a task shown, green for a task minimised.
cat >"$work/tint2rc" <<'RC'
rounded = 0
border_width = 0
background_color = #ff0000 100
border_color = #ff0000 100
rounded = 0
border_width = 0
background_color = #00ff00 100
border_color = #00ff00 100
panel_items = T
panel_size = 100% 32
panel_margin = 0 0
panel_padding = 0 0 0
panel_position = bottom center horizontal
panel_background_id = 0
wm_menu = 0
taskbar_mode = single_desktop
taskbar_padding = 0 0 0
taskbar_background_id = 0
taskbar_active_background_id = 0
taskbar_name = 0
task_icon = 0
task_text = 0
task_maximum_size = 120 32
task_padding = 0 0 0
task_background_id = 1
task_active_background_id = 1
task_urgent_background_id = 1
task_iconified_background_id = 2
mouse_left = toggle_iconify
RC
tint2 -c "$work/tint2rc" >"$work/tint2.log" 2>&1 &
pids+=($!)
wait_for "the panel" xdotool search --class tint2
panel=$(xdotool search --class tint2 | head -n1)

# How many pixels of a colour the panel shows.
panel_pixels() {
    import -window "$panel" "$work/panel.png" 2>/dev/null || return 1
    convert "$work/panel.png" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:mean*w*h]' info:
}
has_task() { (($(panel_pixels "$1" | cut -d. -f1) > 0)); }

(($(panel_pixels '#ff0000' | cut -d. -f1) == 0)) || fail "the panel shows a task before the program runs"

# The program on an empty runtime directory: no driver answers, and it starts without a message.
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
wait_for "the sheet" xdotool search --onlyvisible --name '^Ruva-2 Properties$'
window=$(xdotool search --onlyvisible --name '^Ruva-2 Properties$' | head -n1)

# Managed by the window manager, which lets it be minimised.
hex_window=$(printf '0x%x' "$window")
wait_for "the window manager to manage the sheet" sh -c "xprop -root _NET_CLIENT_LIST | grep -qi '$hex_window\b'"
wait_for "the window manager to offer minimising the sheet" \
    sh -c "xprop -id $window _NET_WM_ALLOWED_ACTIONS | grep -q _NET_WM_ACTION_MINIMIZE"

# An ordinary top-level window: of the normal type only, transient for nothing, not modal, not kept
# off the taskbar.
type=$(xprop -id "$window" _NET_WM_WINDOW_TYPE)
[[ "$type" == *"= _NET_WM_WINDOW_TYPE_NORMAL" ]] || fail "window type: $type"
xprop -id "$window" WM_TRANSIENT_FOR | grep -q "not found" || fail "$(xprop -id "$window" WM_TRANSIENT_FOR)"
state=$(xprop -id "$window" _NET_WM_STATE)
[[ "$state" != *_NET_WM_STATE_MODAL* && "$state" != *_NET_WM_STATE_SKIP_TASKBAR* ]] || fail "$state"
wait_for "a task button for the sheet" has_task '#ff0000'

# Minimised, it stays on the taskbar, as a minimised task.
xdotool windowminimize "$window"
wait_for "the sheet to be minimised" sh -c "xprop -id $window WM_STATE | grep -q 'window state: Iconic'"
wait_for "the sheet to be hidden" sh -c "xprop -id $window _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN"
wait_for "a minimised task button" has_task '#00ff00'

# A click on its task button brings it back.
import -window "$panel" "$work/panel.png"
spot=$(convert "$work/panel.png" txt:- | grep -m1 -i '#00ff00' | cut -d: -f1)
[[ -n "$spot" ]] || fail "no minimised task button to click"
xdotool mousemove --window "$panel" "${spot%,*}" "${spot#*,}" click 1
wait_for "the sheet to be restored" sh -c "xprop -id $window WM_STATE | grep -q 'window state: Normal'"
wait_for "the sheet to be shown" sh -c "xwininfo -id $window | grep -q IsViewable"
wait_for "the task button to show the sheet again" has_task '#ff0000'

# Closing the sheet through the window manager (Alt+F4) ends the program.
xdotool windowactivate --sync "$window" key alt+F4
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "the program still runs after its window closed"
wait "$program_pid" || fail "the program ended with status $?: $(cat "$work/program.log")"
echo "the sheet is an ordinary window, listed, minimised and restored by the taskbar"

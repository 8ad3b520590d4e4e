#!/usr/bin/env bash
# Makes the pictures of docs/screenshots anew, as scripts/screenshots does, and compares them pixel
# for pixel with the ones kept there: a change to what the program shows must come with new pictures.
# Exits 77 (skipped) without an X server or ImageMagick.
# Usage: ScreenshotsCheck.sh <ui_grab_pages> <ui_grab_main> <screenshots directory>
set -uo pipefail

grab_pages=$1
grab_main=$2
kept=$3
for tool in Xvfb compare; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

# Under LeakSanitizer: leaks at exit inside the libraries Qt loads on an X display are not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/x11-leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A free display, which the server picks and writes; no reset between the two grab programs.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || { echo "FAIL: the X server did not start" >&2; exit 1; }

mkdir -m 700 "$work/runtime" "$work/pictures"
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
"$grab_pages" "$work/pictures" && "$grab_main" "$work/pictures" || { echo "FAIL: the grab programs failed" >&2; exit 1; }

status=0
for made in "$work/pictures"/*.png; do
    name=$(basename "$made")
    if [[ ! -f "$kept/$name" ]]; then
        echo "FAIL: $name is missing from docs/screenshots" >&2
        status=1
    elif ! differing=$(compare -metric AE "$made" "$kept/$name" null: 2>&1) || [[ "$differing" != 0 ]]; then
        echo "FAIL: docs/screenshots/$name differs from the program ($differing pixels)" >&2
        status=1
    fi
done
((status == 0)) || echo "Make the pictures anew with scripts/screenshots." >&2
exit $status

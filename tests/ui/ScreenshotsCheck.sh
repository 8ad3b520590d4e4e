#!/usr/bin/env bash
# Makes the pictures of docs/screenshots anew, as scripts/screenshots does, and compares them pixel
# for pixel with the ones kept there: a change to what the program shows must come with new pictures.
# Exits 77 (skipped) without an X server or ImageMagick.
# Usage: ScreenshotsCheck.sh <ui_grab_pages> <ui_grab_main> <screenshots directory>
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb compare; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

# Under LeakSanitizer: leaks at exit inside the libraries Qt loads on an X display are not the program's.
export LSAN_OPTIONS="suppressions=$here/x11-leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$here/grab-pictures.sh" "$1" "$2" "$work" || { echo "FAIL: the grab programs failed" >&2; exit 1; }
bash "$here/../same-pictures.sh" "$work" "$3" scripts/screenshots

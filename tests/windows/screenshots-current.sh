#!/usr/bin/env bash
# Makes the pictures of docs/screenshots/windows anew, as scripts/screenshots-windows does, and compares
# them pixel for pixel with the ones kept there: a change to what ruvasetw.exe shows must come with new
# pictures. Exits 77 (skipped) without ImageMagick or Wine's own fonts, which the pictures are made with.
# Usage: screenshots-current.sh <wine> <win32_grab.exe> <kept pictures>
set -uo pipefail
wine=$1
grab=$2
kept=$3
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v compare >/dev/null || [[ ! -f /usr/share/wine/fonts/tahoma.ttf ]]; then
    echo "skipped: ImageMagick or Wine's fonts (fonts-wine) are not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$here/on-xvfb.sh" "$wine" "$grab" "Z:$work" >"$work/grab.log" 2>&1 || {
    cat "$work/grab.log" >&2
    exit 1
}
status=0
for picture in "$kept"/*.png; do
    name=$(basename "$picture" .png)
    if [[ ! -f "$work/$name.bmp" ]]; then
        echo "FAIL: $name was not made" >&2
        status=1
        continue
    fi
    differing=$(compare -metric AE "$picture" "$work/$name.bmp" null: 2>&1)
    if [[ "$differing" != 0 ]]; then
        echo "FAIL: $name.png differs in $differing pixels from what the program shows: run scripts/screenshots-windows" >&2
        status=1
    fi
done
exit "$status"

#!/usr/bin/env bash
# Makes the pictures of docs/screenshots/windows anew, as scripts/screenshots-windows does, and compares
# them pixel for pixel with the ones kept there: a change to what ruvasetw.exe shows must come with new
# pictures. Exits 77 (skipped) without ImageMagick or Wine's own fonts, which the pictures are made with.
# Usage: screenshots-current.sh <wine> <win32_grab.exe> <kept pictures>
set -uo pipefail
wine=$1
grab=$2
kept=$3
tests=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v compare >/dev/null || [[ ! -f /usr/share/wine/fonts/tahoma.ttf ]]; then
    echo "skipped: ImageMagick or Wine's fonts (fonts-wine) are not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$tests/on-xvfb.sh" "$wine" "$grab" "Z:$work" >"$work/grab.log" 2>&1 || {
    cat "$work/grab.log" >&2
    exit 1
}
bash "$tests/same-pictures.sh" "$work" "$kept" scripts/screenshots-windows

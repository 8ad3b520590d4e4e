#!/usr/bin/env bash
# Compares pictures just made (PNG or BMP) with the PNG pictures kept in the tree, pixel for pixel: each
# kept picture must have been made and look the same, and each one made must be kept.
# Usage: same-pictures.sh <made directory> <kept directory> <the command that makes them anew>
set -uo pipefail
made=$1
kept=$2
remake=$3
status=0
for picture in "$made"/*.png "$made"/*.bmp; do
    [[ -e "$picture" ]] || continue
    name=$(basename "${picture%.*}")
    if [[ ! -f "$kept/$name.png" ]]; then
        echo "FAIL: $name.png is missing from $kept" >&2
        status=1
    elif ! differing=$(compare -metric AE "$picture" "$kept/$name.png" null: 2>&1) || [[ "$differing" != 0 ]]; then
        echo "FAIL: $name.png differs from what the program shows ($differing pixels)" >&2
        status=1
    fi
done
for picture in "$kept"/*.png; do
    name=$(basename "$picture" .png)
    if [[ ! -f "$made/$name.png" && ! -f "$made/$name.bmp" ]]; then
        echo "FAIL: $name.png was not made" >&2
        status=1
    fi
done
((status == 0)) || echo "Make the pictures anew with $remake." >&2
exit "$status"

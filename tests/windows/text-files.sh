#!/bin/bash
# text-files.sh <cmake> <build folder> <work folder>
# Every text file shipped to Windows ends each of its lines in CR LF: those of the zip (what
# `cmake --install` puts there) and those of the installer (its stage folder, when the build makes one).
set -euo pipefail
cmake=$1 build=$2 work=$3
rm -rf "$work"
"$cmake" --install "$build" --prefix "$work/zip" >/dev/null
folders=("$work/zip")
[ ! -d "$build/packaging/windows/stage" ] || folders+=("$build/packaging/windows/stage")
failed=0 texts=0
while IFS= read -r -d '' file; do
    grep -Iq . "$file" || continue # not text
    texts=$((texts + 1))
    bare=$(grep -nv -m1 $'\r$' "$file" || true)
    if [ -n "$bare" ]; then
        echo "a line without CR LF: $file:${bare:0:60}"
        failed=1
    fi
done < <(find "${folders[@]}" -type f -print0)
echo "$texts text files checked in ${folders[*]}"
if [ "$texts" -eq 0 ]; then
    echo "no text files found" >&2
    exit 1
fi
exit $failed

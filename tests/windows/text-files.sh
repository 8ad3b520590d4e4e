#!/bin/bash
# text-files.sh <cmake> <build folder> <work folder>
# Every text file shipped to Windows ends each of its lines in CR LF: those of the zip (as `cmake
# --install` lays it out) and of the installer (its stage folder, where the build makes one).
set -euo pipefail
cmake=$1 build=$2 work=$3
rm -rf "$work"
"$cmake" --install "$build" --prefix "$work" >/dev/null
folders=("$work")
[ ! -d "$build/packaging/windows/stage" ] || folders+=("$build/packaging/windows/stage")
mapfile -d '' texts < <(find "${folders[@]}" -type f -exec grep -IlZ . {} +)
[ ${#texts[@]} -gt 0 ] || { echo "no text files in ${folders[*]}"; exit 1; }
# The first line of each file that does not end in CR LF.
if grep -Hnv -m1 $'\r$' "${texts[@]}"; then exit 1; fi
echo "${#texts[@]} text files end their lines in CR LF"

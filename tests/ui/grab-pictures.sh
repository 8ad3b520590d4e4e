#!/usr/bin/env bash
# Makes the program's pictures into a directory: runs the two grab programs on a private Xvfb with Qt's
# X11 platform, so that buttons, icons and fonts are those that the running program shows.
# Usage: grab-pictures.sh <ui_grab_pages> <ui_grab_main> <directory>
set -euo pipefail
tests=$(cd "$(dirname "$0")/.." && pwd)
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XVFB_SCREEN=1280x1024x24 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"
sh "$tests/on-xvfb.sh" sh -c '"$1" "$3" && "$2" "$3"' grab "$@"

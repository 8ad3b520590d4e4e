#!/bin/bash
# end-to-end.sh <wine> <end_to_end_driver.exe> <ruvasetw.exe> <linux ruvacfg> <work folder>
# ruvasetw.exe as a process of its own on simulated boards, driven through its windows by
# end_to_end_driver (see there) on the X display of DISPLAY. Board 0 starts with a blank serial record
# and a good copy. Afterwards the Linux ruvacfg, on the same state file, finds board 0 sound, reads the
# very bytes that the program saved, and finds board 1 differing from them in the edited value only.
set -euo pipefail
wine=$1 driver=$2 program=$3 linux=$4 work=$5
work=$work/${RUVA_WINE_VERSION:-default} # one folder per Windows version
rm -rf "$work" && mkdir -p "$work"
export RUVA2_SIMULATOR=$work/state.json
echo '{"Boards": [{"SerialRecord": {"RestoreCount": 5, "SerialNumber": "0xFFFF"}}, {}]}' >"$RUVA2_SIMULATOR"
RUVA2_SIMULATOR="Z:$RUVA2_SIMULATOR" "$wine" "$driver" "Z:$program" "Z:${work//\//\\}\\saved.cfg"

"$linux" board list | grep -q '^0 .* 9702052 .* ok$' || { echo "board 0 was not repaired"; exit 1; }
"$linux" board read 0 | cmp - "$work/saved.cfg"
expected="Li0.E1.TransmitLineCode: file HDB3, board AMI"
if ! diff <("$linux" board diff 1 "$work/saved.cfg" --section 0) - <<<"$expected"; then
    echo "board 1 does not hold the saved configuration with only the edited value changed"
    exit 1
fi

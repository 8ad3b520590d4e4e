#!/bin/bash
# end-to-end.sh <wine> <end_to_end_driver.exe> <ruvasetw.exe> <linux ruvacfg> <work folder>
#               [device <ruva2-sim.exe>]
# ruvasetw.exe as a process of its own on simulated boards, driven through its windows by
# end_to_end_driver (see there) on the X display of DISPLAY. Board 0 starts with a blank serial record
# and a good copy. Afterwards the Linux ruvacfg, on the same state file, finds board 0 sound, reads the
# very bytes that the program saved, and finds board 1 differing from them in the edited value only.
# With `device`, the program works through \\.\RUVA2 and the stand-in driver, served by ruva2-sim.exe
# on the state file, instead of RUVA2_SIMULATOR.
set -euo pipefail
wine=$1 driver=$2 program=$3 linux=$4 work=$5 mode=${6:-} sim_exe=${7:-}
work=$work/${RUVA_WINE_VERSION:-default}${mode:+-$mode} # one folder per Windows version and way
rm -rf "$work" && mkdir -p "$work"
export RUVA2_SIMULATOR=$work/state.json
echo '{"Boards": [{"SerialRecord": {"RestoreCount": 5, "SerialNumber": "0xFFFF"}}, {}]}' >"$RUVA2_SIMULATOR"
if [ -n "$mode" ]; then
    # shellcheck source=device-sim.sh
    . "$(dirname "$0")/device-sim.sh"
    device_install
    device_start "Z:$RUVA2_SIMULATOR"
    trap device_stop EXIT
    env -u RUVA2_SIMULATOR "$wine" "$driver" "Z:$program" "Z:${work//\//\\}\\saved.cfg"
    device_stop
    trap - EXIT
else
    RUVA2_SIMULATOR="Z:$RUVA2_SIMULATOR" "$wine" "$driver" "Z:$program" "Z:${work//\//\\}\\saved.cfg"
fi

"$linux" board list | grep -q '^0 .* 9702052 .* ok$' || { echo "board 0 was not repaired"; exit 1; }
"$linux" board read 0 | cmp - "$work/saved.cfg"
expected="Li0.E1.TransmitLineCode: file HDB3, board AMI"
if ! diff <("$linux" board diff 1 "$work/saved.cfg" --section 0) - <<<"$expected"; then
    echo "board 1 does not hold the saved configuration with only the edited value changed"
    exit 1
fi

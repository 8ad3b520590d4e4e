#!/bin/bash
# device-faults.sh <wine> <ruva2-sim.exe> <ruvacfg.exe> <device_probe.exe> <linux ruvacfg> <test data> <work>
# The stand-in driver under faults, without RUVA2_SIMULATOR: a second simulator refused, strictness and
# access (device_probe access), 10,000 random requests (the state stays as it was, the simulator serves
# on), two programs writing two boards at once (their board files beside the state), a program killed mid-request, a simulator that stops
# answering (Error #51, no hang), and one killed mid-request (Error #51, then no device: Error #52);
# --remove-driver, and both options refusing a service of the stand-in's name that is another driver.
set -euo pipefail
wine=$1 sim_exe=$2 ruvacfg=$3 probe=$4 linux=$5 data=$6 work=$7
work=$work/${RUVA_WINE_VERSION:-default}
rm -rf "$work" && mkdir -p "$work"
# shellcheck source=device-sim.sh
. "$(dirname "$0")/device-sim.sh"
state=$work/state.json
file=$data/cfgfile/golden/words-board0.cfg
fail() { echo "FAILED: $*"; exit 1; }
# The Unix process of the running simulator, for signals.
sim_process() {
    for pid in $(pgrep -f '^[A-Z]:.*ruva2-sim\.exe --state'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
}
# Runs ruvacfg.exe with the arguments; its exit code in $code, its standard error in $work/err.
run() {
    code=0
    "$wine" "$ruvacfg" "$@" </dev/null >"$work/out" 2>"$work/err" || code=$?
}

device_install
echo '{}' >"$state"
device_start "Z:$state"
trap device_stop EXIT
cp "$state" "$work/fresh.json"

# One simulator at a time: a second one, on another state, is refused.
echo '{}' >"$work/other.json"
code=0
"$wine" "$sim_exe" --state "Z:$work/other.json" --foreground </dev/null >"$work/second.log" 2>&1 || code=$?
[ "$code" = 1 ] && grep -q 'another ruva2-sim serves the stand-in driver already' "$work/second.log" ||
    fail "a second simulator: $(cat "$work/second.log")"

"$wine" "$probe" access </dev/null >"$work/probe.log" 2>&1 || fail "$(cat "$work/probe.log")"
"$wine" "$probe" random 10000 28 </dev/null >>"$work/probe.log" 2>&1 || fail "$(cat "$work/probe.log")"
cmp -s "$state" "$work/fresh.json" || fail "the probes changed the state"
run board list
[ "$code" = 0 ] || fail "no board list after the probes: $(cat "$work/err")"

# Two programs at once, each saving to its board.
"$wine" "$ruvacfg" board write 0 "Z:$file" </dev/null >"$work/w0.log" 2>&1 &
first=$!
"$wine" "$ruvacfg" board write 1 "Z:$file" --section 0 </dev/null >"$work/w1.log" 2>&1 || fail "$(cat "$work/w1.log")"
wait "$first" || fail "$(cat "$work/w0.log")"
# Their locks and clock marks are beside the state, where the boards' other paths keep them too.
[ -f "$state-board0.lock" ] && [ -f "$state-board1.lock" ] || fail "no board files beside the state"

# A program killed while its request waits for the (stopped) simulator disturbs nobody.
sim=$(sim_process)
kill -STOP "$sim"
"$wine" "$ruvacfg" board list </dev/null >/dev/null 2>&1 &
victim=$!
sleep 2
kill -KILL "$victim"
wait "$victim" 2>/dev/null || true
kill -CONT "$sim"
run board info 0
[ "$code" = 0 ] || fail "the simulator does not serve after a program was killed: $(cat "$work/err")"

# A simulator that stops answering: the request fails in time, with Error #51.
kill -STOP "$sim"
run board list
kill -CONT "$sim"
[ "$code" != 0 ] && grep -q 'Error #51' "$work/err" || fail "no Error #51 from a stopped simulator: $(cat "$work/err")"

# A simulator killed mid-request: the request fails (Error #51), then the device is gone (Error #52).
kill -STOP "$sim"
"$wine" "$ruvacfg" board read 0 </dev/null >/dev/null 2>"$work/err" &
reader=$!
sleep 2
kill -KILL "$sim"
code=0
wait "$reader" || code=$?
[ "$code" != 0 ] && grep -q 'Error #51' "$work/err" || fail "no Error #51 from a killed simulator: $(cat "$work/err")"
trap - EXIT
run board list
grep -q 'Error #52' "$work/err" || fail "the device outlived its simulator: $(cat "$work/err")"

# What the two programs saved is on the boards.
export RUVA2_SIMULATOR=$state
"$linux" board diff 0 "$file" >/dev/null || fail "board 0 does not hold what was saved"
"$linux" board diff 1 "$file" --section 0 >/dev/null || fail "board 1 does not hold what was saved"

# Removed without a trace; another driver's service of that name is refused and left as it is.
drivers=$WINEPREFIX/drive_c/windows/system32/drivers
"$wine" "$sim_exe" --remove-driver </dev/null >"$work/remove.log" 2>&1 || fail "$(cat "$work/remove.log")"
[ ! -e "$drivers/ruva2sim.sys" ] || fail "the driver's file was left behind"
"$wine" sc query ruva2sim </dev/null >/dev/null 2>&1 && fail "the service was left behind"
"$wine" sc create ruva2sim type= kernel binPath= 'C:\windows\system32\drivers\other.sys' </dev/null >/dev/null 2>&1
for option in --install-driver --remove-driver; do
    code=0
    "$wine" "$sim_exe" $option </dev/null >"$work/refused.log" 2>&1 || code=$?
    [ "$code" = 1 ] && grep -q 'not the stand-in driver' "$work/refused.log" || fail "$option: $(cat "$work/refused.log")"
done
"$wine" reg query 'HKLM\System\CurrentControlSet\Services\ruva2sim' /v ImagePath </dev/null 2>&1 |
    grep -q 'other\.sys' || fail "the other driver's service was changed"
[ ! -e "$drivers/ruva2sim.sys" ] || fail "the stand-in was copied beside another driver's service"
"$wine" sc delete ruva2sim </dev/null >/dev/null 2>&1
echo "the stand-in driver passed its faults"

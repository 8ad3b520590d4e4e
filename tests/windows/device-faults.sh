#!/bin/bash
# device-faults.sh <wine> <ruva2-sim.exe> <ruvacfg.exe> <device_probe.exe> <linux ruvacfg> <test data> <work>
# The stand-in driver under faults and attacks, without RUVA2_SIMULATOR: another process posing as the
# simulator (refused at open or attach, its forged answers never taken, also while the simulator is
# stopped and a program waits), a second simulator refused, strictness and access (device_probe
# access), 10,000 random requests (the state stays as it was, the simulator serves on), the queue's
# bound and a closed handle's requests, a request whose answer comes after its time limit (never carried
# out), two programs writing two boards at once (their board files beside the state), a program killed
# mid-request, a simulator that stops answering (Error #51 within one request's time limit; --timeout
# keeps its bound), one killed mid-request (Error #51, then no device: Error #52), requests without a
# simulator, a program that outlives a removal and reinstallation of the driver, --remove-driver, and
# both options refusing a service of the stand-in's name that is another driver.
set -euo pipefail
wine=$1 sim_exe=$2 ruvacfg=$3 probe=$4 linux=$5 data=$6 work=$7
work=$work/${RUVA_WINE_VERSION:-default}
rm -rf "$work" && mkdir -p "$work"
# shellcheck source=device-sim.sh
. "$(dirname "$0")/device-sim.sh"
state=$work/state.json
file=$data/cfgfile/golden/words-board0.cfg
fail() { echo "FAILED: $*"; exit 1; }
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND"' ERR
# The Unix process of this test's simulator, for signals: the one of this prefix serving the state $1
# (as given to device_start). Fails, saying why, unless there is exactly one; simulators of other
# prefixes or states may run on the machine.
sim_process() {
    local found=() pid
    for pid in $(pgrep -f 'ruva2-sim\.exe --state'); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "--state $1 "; then
            found+=("$pid")
        fi
    done
    if [ "${#found[@]}" != 1 ]; then
        echo "FAILED: ${#found[@]} simulators of $WINEPREFIX serve $1 (processes: ${found[*]:-none})" >&2
        return 1
    fi
    echo "${found[0]}"
}
# Runs ruvacfg.exe with the arguments; its exit code in $code, its standard error in $work/err.
run() {
    code=0
    "$wine" "$ruvacfg" "$@" </dev/null >"$work/out" 2>"$work/err" || code=$?
}
# The clock of board 0 in the state file.
clock0() {
    sed -n 's/^ *"Clock": "\([A-Z0-9_]*\)".*/\1/p' "$state" | head -1
}
# Waits up to 5 s for the simulator's log to hold the text $1.
await_log() {
    for _ in $(seq 50); do
        grep -qF "$1" "$work/state.log" && return 0
        sleep 0.1
    done
    return 1
}

# A driver loaded afresh: its request ids start again, as an impostor would guess them.
"$wine" "$sim_exe" --remove-driver </dev/null >"$work/remove.log" 2>&1 || fail "$(cat "$work/remove.log")"
device_install
echo '{}' >"$state"
device_start "Z:$state"
trap device_stop EXIT
sim=$(sim_process "Z:$state")
cp "$state" "$work/fresh.json"

# Another process posing as the simulator: Windows refuses to open its device (only SYSTEM and
# Administrators, one handle); Wine lets it open, and the driver refuses its attach and answers. While
# the simulator is stopped and a program waits for an answer, forged answers (status 102) for every id it
# may have never reach the program: it fails with Error #51, within about one request's time limit.
"$wine" "$probe" impostor 100 </dev/null >"$work/probe.log" 2>&1 || fail "impostor: $(cat "$work/probe.log")"
kill -STOP "$sim"
"$wine" "$probe" waiter </dev/null >"$work/waiter.log" 2>&1 &
waiter=$!
sleep 1
(
    code=0
    timeout -s KILL 20 "$wine" "$ruvacfg" board list </dev/null >"$work/out" 2>"$work/err" || code=$?
    echo "$code" >"$work/code"
) &
lister=$!
"$wine" "$probe" impostor 2000 </dev/null >>"$work/probe.log" 2>&1 || fail "forger: $(cat "$work/probe.log")"
code=0
wait "$waiter" || code=$?
wait "$lister"
kill -CONT "$sim"
[ "$code" = 0 ] || fail "$(cat "$work/waiter.log")"
code=$(cat "$work/code")
[ "$code" != 137 ] || fail "board list waited more than twice a request's time limit for a stopped simulator"
[ "$code" != 0 ] && grep -q 'Error #51' "$work/err" || fail "board list with a stopped simulator: $(cat "$work/err")"

# One simulator at a time: a second one, on another state, is refused.
echo '{}' >"$work/other.json"
code=0
"$wine" "$sim_exe" --state "Z:$work/other.json" --foreground </dev/null >"$work/second.log" 2>&1 || code=$?
[ "$code" = 1 ] && grep -q 'another ruva2-sim serves the stand-in driver already' "$work/second.log" ||
    fail "a second simulator: $(cat "$work/second.log")"

"$wine" "$probe" access </dev/null >>"$work/probe.log" 2>&1 || fail "$(cat "$work/probe.log")"
"$wine" "$probe" random 10000 28 </dev/null >>"$work/probe.log" 2>&1 || fail "$(cat "$work/probe.log")"
cmp -s "$state" "$work/fresh.json" || fail "the probes changed the state"
run board list
[ "$code" = 0 ] || fail "no board list after the probes: $(cat "$work/err")"

# With the simulator stopped, 64 requests wait and more are refused at once; closing their handle ends
# them. The simulator serves on afterwards.
kill -STOP "$sim"
"$wine" "$probe" flood </dev/null >>"$work/probe.log" 2>&1 || { kill -CONT "$sim"; fail "$(cat "$work/probe.log")"; }
kill -CONT "$sim"
run board info 0
[ "$code" = 0 ] || fail "the simulator does not serve after the flood: $(cat "$work/err")"

# A write answered, then one sent while the simulator is stopped for longer than its time limit: it
# fails, and when the simulator resumes, its late answer is undone: the state never shows it.
rm -f "$work/marker"
"$wine" "$probe" late "Z:$work/marker" </dev/null >"$work/late.log" 2>&1 &
prober=$!
for _ in $(seq 100); do grep -q '^answered' "$work/late.log" && break; sleep 0.1; done
kill -STOP "$sim"
touch "$work/marker"
code=0
wait "$prober" || code=$?
kill -CONT "$sim"
[ "$code" = 0 ] || fail "late: $(cat "$work/late.log")"
await_log 'SetClockLi1 board 0: status 1: answered too late, undone' || fail "no late answer undone: $(tail -3 "$work/state.log")"
[ "$(clock0)" = LI0 ] || fail "board 0's clock is $(clock0): a request that failed was carried out"

# Two programs at once, each saving to its board.
"$wine" "$ruvacfg" board write 0 "Z:$file" </dev/null >"$work/w0.log" 2>&1 &
first=$!
"$wine" "$ruvacfg" board write 1 "Z:$file" --section 0 </dev/null >"$work/w1.log" 2>&1 || fail "$(cat "$work/w1.log")"
wait "$first" || fail "$(cat "$work/w0.log")"
# Their locks and clock marks are beside the state, where the boards' other paths keep them too.
[ -f "$state-board0.lock" ] && [ -f "$state-board1.lock" ] || fail "no board files beside the state"

# A program killed while its request waits for the (stopped) simulator disturbs nobody.
kill -STOP "$sim"
"$wine" "$ruvacfg" board list </dev/null >/dev/null 2>&1 &
victim=$!
sleep 2
kill -KILL "$victim"
wait "$victim" 2>/dev/null || true
kill -CONT "$sim"
run board info 0
[ "$code" = 0 ] || fail "the simulator does not serve after a program was killed: $(cat "$work/err")"

# --timeout keeps its bound with a simulator that stops answering (3 s, then at most one request's
# time limit for a transfer under way).
kill -STOP "$sim"
code=0
timeout -s KILL 16 "$wine" "$ruvacfg" --timeout 3 board write 0 "Z:$file" </dev/null >/dev/null 2>"$work/err" || code=$?
kill -CONT "$sim"
[ "$code" = 124 ] || fail "--timeout 3 with a stopped simulator ended with $code: $(cat "$work/err")"

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
# Without a simulator, every request reaching the driver is refused before anything of it is used.
"$wine" "$probe" nosim </dev/null >>"$work/probe.log" 2>&1 || fail "$(cat "$work/probe.log")"

# What the two programs saved is on the boards.
RUVA2_SIMULATOR=$state "$linux" board diff 0 "$file" >/dev/null || fail "board 0 does not hold what was saved"
RUVA2_SIMULATOR=$state "$linux" board diff 1 "$file" --section 0 >/dev/null ||
    fail "board 1 does not hold what was saved"

# A program that keeps the device open works on once the driver was removed, installed and served
# again: its next request opens \\.\RUVA2 anew.
device_start "Z:$state"
trap device_stop EXIT
rm -f "$work/marker"
"$wine" "$probe" reopen "Z:$work/marker" </dev/null >"$work/reopen.log" 2>&1 &
prober=$!
for _ in $(seq 100); do grep -q '^answered' "$work/reopen.log" && break; sleep 0.1; done
"$wine" "$sim_exe" --remove-driver </dev/null >"$work/remove.log" 2>&1 || fail "$(cat "$work/remove.log")"
device_install
device_start "Z:$state"
touch "$work/marker"
wait "$prober" || fail "reopen: $(cat "$work/reopen.log")"
device_stop
trap - EXIT

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
cat "$work/probe.log"
echo "the stand-in driver passed its faults"

# shellcheck shell=bash disable=SC2154 # wine, sim_exe, work and linux_sim come from the sourcing script
# Sourced by the tests that run the programs through the stand-in driver under Wine, without
# RUVA2_SIMULATOR. Expects $wine and $sim_exe (ruva2-sim.exe, with ruva2sim.sys beside it). Output of
# Wine's commands goes to files: a service process that inherits a pipe would hold it open.

# Installs the stand-in driver in the prefix (or starts it, when installed already).
device_install() {
    "$wine" "$sim_exe" --install-driver </dev/null >"$work/install.log" 2>&1 || {
        cat "$work/install.log"
        return 1
    }
}

# Starts ruva2-sim.exe detached on the state file $1 (a Windows name; further arguments are the
# simulator's) and waits until it serves \\.\RUVA2; a simulator still detaching from an earlier run is
# waited for. Sets win_sim_pid.
device_start() {
    for _ in $(seq 50); do
        if "$wine" "$sim_exe" --state "$@" </dev/null >"$work/sim-start.log" 2>&1; then
            win_sim_pid=$(sed -n 's/^ruva2-sim: running as process \([0-9]*\);.*/\1/p' "$work/sim-start.log")
            return 0
        fi
        grep -q 'serves the stand-in driver already' "$work/sim-start.log" || break
        sleep 0.2
    done
    cat "$work/sim-start.log"
    return 1
}

# Ends the simulator that device_start started.
device_stop() {
    "$wine" taskkill /f /pid "$win_sim_pid" </dev/null >/dev/null 2>&1 || true
}

# The Linux simulator on the state file $1 with the runtime folder $2 (XDG_RUNTIME_DIR of its clients).
# Sets linux_sim_pid.
linux_start() {
    mkdir -p "$2" && chmod 0700 "$2"
    linux_sim_pid=$(XDG_RUNTIME_DIR=$2 "$linux_sim" --state "$1" </dev/null 2>&1 |
        sed -n 's/^ruva2-sim: running as process \([0-9]*\);.*/\1/p')
    [ -n "$linux_sim_pid" ]
}

linux_stop() {
    kill "$linux_sim_pid" 2>/dev/null || true
    while kill -0 "$linux_sim_pid" 2>/dev/null; do sleep 0.05; done
}

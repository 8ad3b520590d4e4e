#!/bin/bash
# same-results.sh <linux ruvacfg> <ruvacfg.exe> <wine> <test data folder> <work folder>
#                 [device <ruva2-sim.exe> <linux ruva2-sim>]
# Runs ruvacfg commands with both programs and compares their standard output, standard error, exit
# codes and, for the board commands, the state file of their simulated boards, byte for byte: file data
# (a configuration file's text that `board read` prints, the state file) as it is, and text with the
# CR LF line ends that Windows gives it:
# `check FILE` and `show FILE --board N --json` (N = 0 to 3) on every configuration file of the test
# data, and the board commands, each on a fresh copy of a state of the table below. The state file's
# name, which differs between the runs (Z:... under Wine), reads STATE in both outputs. The Windows runs
# share one Wine session: one batch file runs them all.
# With `device`, the board commands only, through the devices instead of RUVA2_SIMULATOR: ruvacfg.exe
# through \\.\RUVA2 and the stand-in driver served by ruva2-sim.exe, the Linux ruvacfg through the
# socket of a Linux ruva2-sim, each simulator on its copy of the state.
set -euo pipefail
linux=$1 windows=$2 wine=$3 data=$4 work=$5 mode=${6:-} sim_exe=${7:-} linux_sim=${8:-}
work=$work/${RUVA_WINE_VERSION:-default}${mode:+-$mode}
rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"
# shellcheck source=device-sim.sh
[ -z "$mode" ] || . "$(dirname "$0")/device-sim.sh"
cd "$data"

# The states of the simulated boards (see docs/simulator.md).
declare -A states=(
    [fresh]='{}'
    [refused-clock]='{"Boards": [{"Faults": {"SetClockExternal2M": {"Status": 7}}}, {}]}'
    [blank-serial]='{"Boards": [{"SerialRecord": {"RestoreCount": 5, "SerialNumber": "0xFFFF"}}, {}]}'
    [short-reply]='{"Boards": [{"Faults": {"ReadSerialRecord": {"Short": 4}}}, {}]}'
    [failed-read]='{"Boards": [{"Faults": {"ReadStoredConfig": {"Fail": true}}}, {}]}'
    [empty-info]='{"Boards": [{"Faults": {"ReadBoardInfo": {"Empty": true}}}, {}]}'
)
# Each row: a state (- for none) and the command's arguments.
rows=()
mapfile -t files < <(find . -name '*.cfg' -printf '%P\n' | sort)
[ -z "$mode" ] || files=() # the device serves the board commands only
for f in "${files[@]}"; do
    rows+=("- check $f")
    for n in 0 1 2 3; do rows+=("- show $f --board $n --json"); done
done
file=cfgfile/golden/words-board0.cfg # EXTERNAL_2M clock, other values than a fresh board's
rows+=(
    "fresh board list" "fresh board list --json" "fresh board info 1" "fresh board info 0 --json"
    "fresh board info 2" "fresh board read 1" "fresh board read 1 -o -" "fresh board write 0 $file"
    "fresh board write 1 $file --section 0 --dry-run" "fresh board write 0 $file --dry-run --json"
    "fresh board diff 0 $file" "fresh board diff 1 $file --section 0 --json"
    "refused-clock board write 0 $file" "refused-clock board write 0 $file --json"
    "refused-clock board write 0,1 $file --section 0 --json" "refused-clock board write 1,0 $file --section 0"
    "blank-serial board list" "blank-serial board list --json" "blank-serial board read 0"
    "blank-serial board write 0 $file --json"
    "short-reply board list" "short-reply board info 0 --json" "short-reply board read 0"
    "failed-read board read 0" "failed-read board write 0 $file --json" "empty-info board info 0"
    "empty-info board write 0 $file"
)

# Row $1 with the arguments $2 through the devices (see the head of the file).
run_through_devices() {
    linux_start "$work/linux/$1.json" "$work/run-linux"
    # shellcheck disable=SC2086 # the arguments are split on purpose
    if XDG_RUNTIME_DIR=$work/run-linux "$linux" $2 >"$work/linux/$1.out" 2>"$work/linux/$1.err"; then
        echo 0 >"$work/linux/$1.code"
    else
        echo $? >"$work/linux/$1.code"
    fi
    linux_stop
    device_start "$(state_path windows "$1")"
    local code=0
    # shellcheck disable=SC2086
    "$wine" "$windows" $2 </dev/null >"$work/windows/$1.out" 2>"$work/windows/$1.err" || code=$?
    printf '%d\r\n' "$code" >"$work/windows/$1.code" # as cmd writes it in the other mode
    device_stop
}

# The state file of row $2 for program $1 (linux or windows), as that program is given it; none for -.
state_path() {
    if [ "${rows[$2]%% *}" != - ]; then
        if [ "$1" = windows ]; then echo "Z:$work/windows/$2.json"; else echo "$work/linux/$2.json"; fi
    fi
}
# Part $3 of row $2 for program $1, with the state file's name as STATE and the time, user and machine of
# the audit records as their names; Linux text with CR LF line ends.
normalised() {
    local crlf='s/$/\r/'
    if [ "$1" = windows ] || [ "$3" = json ] || { [ "$3" = out ] && [[ ${rows[$2]#* } == "board read"* ]]; }; then
        crlf=
    fi
    sed -e "s|${4:-STATE}|STATE|g" -e 's/^\( *"\(Time\|User\|Host\)": \)"[^"]*"/\1"\2"/' -e "$crlf" \
        "$work/$1/$2.$3"
}

batch="$work/run.bat"
printf '@echo off\r\n' >"$batch"
[ -z "$mode" ] || device_install
for i in "${!rows[@]}"; do
    state=${rows[$i]%% *} args=${rows[$i]#* }
    if [ "$state" != - ]; then
        printf '%s\n' "${states[$state]}" | tee "$work/linux/$i.json" >"$work/windows/$i.json"
    fi
    if [ -n "$mode" ]; then
        run_through_devices "$i" "$args"
        continue
    fi
    # shellcheck disable=SC2086 # the arguments are split on purpose
    if RUVA2_SIMULATOR=$(state_path linux "$i") "$linux" $args >"$work/linux/$i.out" 2>"$work/linux/$i.err"; then
        code=0
    else
        code=$?
    fi
    echo "$code" >"$work/linux/$i.code"
    printf 'set RUVA2_SIMULATOR=%s\r\n"Z:%s" %s >"Z:%s\\%d.out" 2>"Z:%s\\%d.err"\r\n>"Z:%s\\%d.code" echo %%ERRORLEVEL%%\r\n' \
        "$(state_path windows "$i")" "$windows" "$args" "$work/windows" "$i" "$work/windows" "$i" \
        "$work/windows" "$i" >>"$batch"
done
[ -n "$mode" ] || "$wine" cmd /c "Z:$batch" || true # its exit code is that of the last command

failed=0
for i in "${!rows[@]}"; do
    parts=(out err code)
    [ -z "$(state_path linux "$i")" ] || parts+=(json)
    for part in "${parts[@]}"; do
        if ! diff <(normalised windows "$i" "$part" "$(state_path windows "$i")") \
            <(normalised linux "$i" "$part" "$(state_path linux "$i")") >"$work/diff" 2>&1; then
            echo "differs: ruvacfg ${rows[$i]} ($part)"
            head -5 "$work/diff" | cat -A
            failed=1
        fi
    done
done
echo "${#rows[@]} commands compared"
exit $failed

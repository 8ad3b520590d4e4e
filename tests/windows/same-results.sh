#!/bin/bash
# same-results.sh <linux ruvacfg> <ruvacfg.exe> <wine> <test data folder> <work folder>
# Runs ruvacfg commands with both programs and compares their standard output, standard error, exit
# codes and, for the board commands, the state file of their simulated boards, byte for byte: file data
# (a configuration file's text that `board read` prints, the state file) as it is, and text with the
# CR LF line ends that Windows gives it:
# `check FILE` and `show FILE --board N --json` (N = 0 to 3) on every configuration file of the test
# data, and the board commands, each on a fresh copy of a state of the table below. The state file's
# name, which differs between the runs (Z:... under Wine), reads STATE in both outputs. The Windows runs
# share one Wine session: one batch file runs them all.
set -euo pipefail
linux=$1 windows=$2 wine=$3 data=$4 work=$5
rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"
cd "$data"

# The states of the simulated boards (see docs/simulator.md).
declare -A states=(
    [fresh]='{}'
    [refused-clock]='{"Boards": [{"Faults": {"SetClockExternal2M": {"Status": 7}}}, {}]}'
    [blank-serial]='{"Boards": [{"SerialRecord": {"RestoreCount": 5, "SerialNumber": "0xFFFF"}}, {}]}'
    [short-reply]='{"Boards": [{"Faults": {"ReadSerialRecord": {"Short": 4}}}, {}]}'
)
# Each row: a state (- for none) and the command's arguments.
rows=()
mapfile -t files < <(find . -name '*.cfg' -printf '%P\n' | sort)
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
    "blank-serial board list" "blank-serial board list --json" "blank-serial board read 0"
    "blank-serial board write 0 $file --json"
    "short-reply board list" "short-reply board info 0 --json" "short-reply board read 0"
)

# The state file of row $2 for program $1 (linux or windows), as that program is given it; none for -.
state_path() {
    if [ "${rows[$2]%% *}" != - ]; then
        if [ "$1" = windows ]; then echo "Z:$work/windows/$2.json"; else echo "$work/linux/$2.json"; fi
    fi
}
# Part $3 of row $2 for program $1, with the state file's name as STATE; Linux text with CR LF line ends.
normalised() {
    local crlf='s/$/\r/'
    if [ "$1" = windows ] || [ "$3" = json ] || { [ "$3" = out ] && [[ ${rows[$2]#* } == "board read"* ]]; }; then
        crlf=
    fi
    sed -e "s|${4:-STATE}|STATE|g" -e "$crlf" "$work/$1/$2.$3"
}

batch="$work/run.bat"
printf '@echo off\r\n' >"$batch"
for i in "${!rows[@]}"; do
    state=${rows[$i]%% *} args=${rows[$i]#* }
    if [ "$state" != - ]; then
        printf '%s\n' "${states[$state]}" | tee "$work/linux/$i.json" >"$work/windows/$i.json"
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
"$wine" cmd /c "Z:$batch" || true # its exit code is that of the last command

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

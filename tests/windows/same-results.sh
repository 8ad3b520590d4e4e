#!/bin/bash
# same-results.sh <linux ruvacfg> <ruvacfg.exe> <wine> <test data folder> <work folder>
# Runs `check FILE` and `show FILE --board N --json` (N = 0 to 3) on every configuration file of the
# test data with both programs and compares their standard output, standard error and exit codes,
# line ends aside. The Windows runs share one Wine session: one batch file runs them all.
set -euo pipefail
linux=$1 windows=$2 wine=$3 data=$4 work=$5
rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"
cd "$data"
mapfile -t files < <(find . -name '*.cfg' -printf '%P\n' | sort)
commands=()
for f in "${files[@]}"; do
    commands+=("check $f")
    for n in 0 1 2 3; do commands+=("show $f --board $n --json"); done
done

batch="$work/run.bat"
printf '@echo off\r\n' >"$batch"
for i in "${!commands[@]}"; do
    # shellcheck disable=SC2086 # the command's words are split on purpose
    if "$linux" ${commands[$i]} >"$work/linux/$i.out" 2>"$work/linux/$i.err"; then code=0; else code=$?; fi
    echo "$code" >"$work/linux/$i.code"
    printf '"Z:%s" %s >"Z:%s\\%d.out" 2>"Z:%s\\%d.err"\r\n>"Z:%s\\%d.code" echo %%ERRORLEVEL%%\r\n' \
        "$windows" "${commands[$i]}" "$work/windows" "$i" "$work/windows" "$i" "$work/windows" "$i" >>"$batch"
done
"$wine" cmd /c "Z:$batch" || true # its exit code is that of the last command

failed=0
for i in "${!commands[@]}"; do
    for part in out err code; do
        if ! diff <(tr -d '\r' <"$work/windows/$i.$part") "$work/linux/$i.$part" >/dev/null 2>&1; then
            echo "differs: ruvacfg ${commands[$i]} ($part)"
            diff <(tr -d '\r' <"$work/windows/$i.$part") "$work/linux/$i.$part" | head -5 || true
            failed=1
        fi
    done
done
echo "${#commands[@]} commands on ${#files[@]} files compared"
exit $failed

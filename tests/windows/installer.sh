#!/bin/bash
# installer.sh <setup.exe> <version> <wine> <help page> <work folder> [<Windows version>]
# Checks that the installer refuses Windows 2000. Then installs RuvasetW silently into the Wine prefix
# WINEPREFIX, as Wine's Windows version given (winxp, ...) or its default one, as a 32-bit program into
# Program Files, checks the files, the Start-menu shortcuts, the uninstall entry and the event source of
# the audit records, then uninstalls it
# silently and checks that nothing of it is left.
# The prefix is the test's own, kept between runs: the installer, a program with windows, would start a
# shared prefix's desktop process without an X display, under the windows of the tests that have one.
set -euo pipefail
setup=$1 version=$2 wine=$3 help=$4 work=$5 windows=${6:-}
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\RuvasetW'
source='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\RuvasetW'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/RuvasetW.lnk"
simulated="${shortcut%.lnk} (simulated boards).lnk"
fail() {
    echo "installer: $*" >&2
    exit 1
}
# The uninstall entry (or another key) as the installer, a 32-bit program, sees the registry; empty when
# there is none.
entry() {
    local out
    if out=$("$wine" reg query "${1:-$key}" /reg:32 2>/dev/null); then tr -d '\r' <<<"$out"; fi
}
value() { sed -n "s/^ *$1 *REG_[A-Z_]* *//p" <<<"$2"; }
# A copy of the installer that Wine runs as the given Windows version (its AppDefaults for that name).
as_windows() {
    "$wine" reg add "HKCU\\Software\\Wine\\AppDefaults\\setup-$1.exe" /v Version /d "$1" /f >/dev/null 2>&1
    cp "$setup" "$work/setup-$1.exe" && echo "$work/setup-$1.exe"
}
unix_path() { # C:\a\b -> <prefix>/drive_c/a/b
    local p=${1#[Cc]:\\}
    echo "$WINEPREFIX/drive_c/${p//\\//}"
}

# The prefix's Wine server ends a few seconds after its last program; the test waits for it.
trap 'wineserver -w' EXIT
if [[ ! -f $WINEPREFIX/ready ]]; then
    "$wine" wineboot -i >/dev/null 2>&1 || fail "cannot set up the Wine prefix $WINEPREFIX"
    touch "$WINEPREFIX/ready"
fi

# What a broken earlier run may have left.
rm -rf "$work" && mkdir -p "$work"
for dir in "Program Files (x86)" "Program Files"; do rm -rf "$WINEPREFIX/drive_c/$dir/RuvasetW"; done
rm -f "$shortcut" "$simulated"
"$wine" reg delete "$key" /reg:32 /f >/dev/null 2>&1 || true
"$wine" reg delete "$source" /reg:32 /f >/dev/null 2>&1 || true

status=0
"$wine" "$(as_windows win2k)" /S || status=$?
[[ $status == 2 && -z $(entry) ]] || fail "on Windows 2000, setup /S exited with $status: $(entry)"

[[ -z $windows ]] || setup=$(as_windows "$windows")
"$wine" "$setup" /S || fail "setup /S exited with $?"

registered=$(entry)
location=$(value InstallLocation "$registered")
[[ $location == 'C:\Program Files (x86)\RuvasetW' || $location == 'C:\Program Files\RuvasetW' ]] ||
    fail "installed into '$location', not into Program Files"
[[ $(value DisplayName "$registered") == RuvasetW ]] || fail "uninstall entry: $registered"
[[ $(value DisplayVersion "$registered") == "$version" ]] || fail "uninstall entry: $registered"
[[ $(value UninstallString "$registered") == "\"$location\\uninstall.exe\"" ]] ||
    fail "uninstall entry: $registered"
events=$(entry "$source")
[[ $(value EventMessageFile "$events") == "$location\ruvasetw.exe" &&
    $(value TypesSupported "$events") == 0x7 ]] || fail "event source: $events"
dir=$(unix_path "$location")
for f in ruvasetw.exe ruvacfg.exe ruvacfg.txt help/ruvasetw.html uninstall.exe; do
    [[ -s $dir/$f ]] || fail "$f is not installed"
done
cmp -s <(sed 's/$/\r/' "$help") "$dir/help/ruvasetw.html" ||
    fail "the installed help page is not $help with CR LF line ends"
"$wine" "$dir/ruvacfg.exe" --help >/dev/null || fail "the installed ruvacfg.exe does not run"
[[ -f $shortcut ]] || fail "no Start-menu shortcut"
strings -el "$shortcut" | grep -qF "$location\\ruvasetw.exe" || fail "the shortcut does not start ruvasetw.exe"
strings -el "$simulated" | grep -qxF -- --simulator || fail "no shortcut to the program on simulated boards"
strings -el "$simulated" | grep -qF "$location\\ruvasetw.exe" ||
    fail "the simulated boards' shortcut does not start ruvasetw.exe"

# The uninstaller removes itself and its folder by running from a copy elsewhere, which Windows starts
# and does not wait for. The test does the same and waits: the copy runs with `_?=<folder>`, which must
# be the end of its command line, unquoted. Wine quotes an argument holding spaces, so the folder goes
# to Wine as words, which it joins with single spaces.
cp "$dir/uninstall.exe" "$work/uninstall.exe"
# shellcheck disable=SC2086 # split on purpose
"$wine" "$work/uninstall.exe" /S _?=$location || fail "uninstall /S exited with $?"
rm -f "$work/uninstall.exe"

[[ ! -e $dir ]] || fail "left behind: $(find "$dir" | head -5)"
[[ ! -e $shortcut ]] || fail "left behind: the Start-menu shortcut"
[[ ! -e $simulated ]] || fail "left behind: the simulated boards' shortcut"
[[ -z $(entry) ]] || fail "left behind: the uninstall entry"
[[ -z $(entry "$source") ]] || fail "left behind: the event source"
echo "installed into $location and uninstalled${windows:+ on $windows}; refused on Windows 2000"

#!/bin/bash
# audit-log.sh <ruvacfg> <work folder>
# The audit records of `ruvacfg board write` in the system's log, end to end. ruvacfg runs in a private
# mount namespace whose /dev and /run are the test's own, so a receiver of the test stands in for the
# system log: first at /dev/log (syslog(3)), then at the journal's socket (a field for each part), and
# at last there is no log at all. Skipped (77) where no mount namespace can be made (not root).
set -euo pipefail
if [[ ${1-} != --inside ]]; then
    unshare -m true 2>/dev/null || { echo "skipped: no private mount namespace here (needs root)"; exit 77; }
    exec unshare -m --propagation private "$0" --inside "$@"
fi
ruvacfg=$2 work=$3
fail() {
    echo "audit-log: $*" >&2
    exit 1
}
rm -rf "$work" && mkdir -p "$work/dev"
cd "$work"
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT

# The namespace's own /dev (with what the programs need of the real one) and /run.
mount --bind /dev "$work/dev"
mount -t tmpfs tmpfs /dev
for node in null zero urandom random; do
    touch "/dev/$node" && mount --bind "$work/dev/$node" "/dev/$node"
done
ln -s /proc/self/fd /dev/fd
mount -t tmpfs tmpfs /run
mkdir -p /run/systemd/journal

# receive <socket> <file>: a datagram socket that appends each datagram, and a line "--", to the file.
receive() {
    python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.bind(sys.argv[1])
with open(sys.argv[2], "ab", buffering=0) as out:
    while True:
        out.write(s.recv(1 << 20) + b"\n--\n")
' "$1" "$2" &
    for _ in $(seq 100); do [[ -S $1 ]] && return; sleep 0.05; done
    fail "no receiver at $1"
}
write() { # write <file> <key> <value>: sets one key of the configuration file
    sed -i "s/^\( *$2 *= *\)[^ \r]*/\1$3/" "$1"
}
records() { grep -c '^--$' "$1" 2>/dev/null || true; }

"$ruvacfg" --simulator state.json board read 1 -o site.cfg
write site.cfg ClockSource LI1
write site.cfg TransmitFrameFormat CRC4_MULTI_FRAME

# syslog(3): one line, facility user, identifier ruvacfg; --json has the same records: that the write
# has begun, with its changes, then its outcome.
receive /dev/log syslog.txt
"$ruvacfg" --simulator state.json board write 1 site.cfg --json >write.json 2>write.err || fail "write: $(cat write.err)"
sha=$(sha256sum site.cfg | cut -d' ' -f1)
[[ $(records syslog.txt) == 2 ]] || fail "not two records in syslog: $(cat syslog.txt)"
head -2 syslog.txt | grep -qF ') begun by ' || fail "no begun record first: $(cat syslog.txt)"
grep -qF 'outcome none yet: until one is recorded, the board may be partly written' syslog.txt ||
    fail "the begun record does not say it may be partly written: $(cat syslog.txt)"
for part in '<13>' ' ruvacfg[' 'board 1 (serial number 9803069 (0x2345), simulated) written by ' \
    "from \"site.cfg\" (SHA-256 $sha):" ' ClockSource: INTERNAL → LI1;' \
    ' Li0.E1.TransmitFrameFormat: DOUBLE_FRAME → CRC4_MULTI_FRAME;' ' Li1.E1.TransmitFrameFormat: DOUBLE_FRAME → CRC4_MULTI_FRAME;' \
    ' outcome Written'; do
    grep -qF -- "$part" syslog.txt || fail "syslog record without '$part': $(cat syslog.txt)"
done
[[ ! -s write.err || $(grep -c '^warning:' write.err) == 0 ]] || fail "warned: $(cat write.err)"
python3 - "$sha" write.json <<'PY' || fail "--json's audit is not the record"
import json, sys
audit = json.load(open(sys.argv[2]))["audit"]
assert [r["Kind"] for r in audit] == ["begun", "written"] and audit[1]["Board"] == 1, audit
assert audit[1]["File"] == {"Name": "site.cfg", "Sha256": sys.argv[1]} and audit[1]["Simulated"], audit
assert audit[0]["Changes"] == audit[1]["Changes"] and audit[1]["Changes"][0] == "ClockSource: INTERNAL → LI1", audit
PY

# A refused write is a "failed" record, priority error, with the driver's error.
python3 - state.json <<'PY'
import json, sys
state = json.load(open(sys.argv[1]))
state["Boards"][1]["Faults"] = {"WriteBoardInfo": {"Status": 7}}
json.dump(state, open(sys.argv[1], "w"))
PY
write site.cfg HdlcStartAddress 0x8800
"$ruvacfg" --simulator state.json board write 1 site.cfg 2>/dev/null && fail "the refused write succeeded"
[[ $(records syslog.txt) == 4 ]] || fail "no second write's records: $(cat syslog.txt)"
tail -2 syslog.txt | grep -q '^<11>.*board 1 (serial number 9803069 (0x2345), simulated) failed .*HdlcStartAddress: 0x9000 → 0x8800 (not on the board); outcome DriverError; driver error #7: ' ||
    fail "no failed record: $(tail -2 syslog.txt)"

# The journal, where it runs, gets the record instead, one field for each part.
python3 - state.json <<'PY'
import json, sys
state = json.load(open(sys.argv[1]))
del state["Boards"][1]["Faults"]
json.dump(state, open(sys.argv[1], "w"))
PY
receive /run/systemd/journal/socket journal.txt
"$ruvacfg" --simulator state.json board write 1 site.cfg 2>/dev/null || fail "write with the journal failed"
[[ $(records journal.txt) == 2 && $(records syslog.txt) == 4 ]] || fail "not two records in the journal"
sha=$(sha256sum site.cfg | cut -d' ' -f1)
for field in SYSLOG_IDENTIFIER=ruvacfg PRIORITY=5 RUVA_BOARD=1 RUVA_SERIAL_NUMBER=9029 RUVA_SIMULATED=1 \
    RUVA_FILE=site.cfg "RUVA_FILE_SHA256=$sha" RUVA_SOURCE=file RUVA_KIND=begun RUVA_KIND=written \
    'RUVA_CHANGE=HdlcStartAddress: 0x9000 → 0x8800' RUVA_OUTCOME=Written; do
    grep -qxF -- "$field" journal.txt || fail "journal record without $field: $(cat journal.txt)"
done

# A log that does not answer (its daemon gone, its socket left behind) never stops a write: one warning
# a run, however many records are lost.
kill $(jobs -p) && wait 2>/dev/null || true
rm -f /run/systemd/journal/socket
write site.cfg ClockSource LI0
python3 - state.json <<'PY'
import json, sys
state = json.load(open(sys.argv[1]))
state["Boards"][1]["SerialRecord"] = {"SerialNumber": "0xFFFF"}
json.dump(state, open(sys.argv[1], "w"))
PY
"$ruvacfg" --simulator state.json board write 1 site.cfg 2>nolog.err || fail "write without a log failed"
[[ $(grep -c '^warning: .*could not be added to the system log (the system log at /dev/log does not answer: ' \
    nolog.err) == 1 && $(grep -c 'Serial Number scheme' nolog.err) == 1 ]] || fail "not one warning: $(cat nolog.err)"
"$ruvacfg" --simulator state.json board diff 1 site.cfg >/dev/null || fail "not written without a log"
echo "a begun record and an outcome a write: syslog, the journal's fields, a failed write; a log that does not answer: one warning"

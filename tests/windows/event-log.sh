#!/bin/bash
# event-log.sh <ruvacfg.exe> <wine> <work folder>
# ruvacfg.exe's audit records in the Application event log: Wine's ReportEventW traces each record's
# strings (+eventlog), and RegisterEventSourceW the source (fixme:advapi). A write is an information
# event of ID 1 with the board, its serial number, the file with its SHA-256 and each changed value,
# after an information event of ID 5 that it has begun; a refused write an error event of ID 3 with
# the driver's error and where each change is.
set -euo pipefail
exe=$1 wine=$2 work=$3
fail() {
    echo "event-log: $*" >&2
    exit 1
}
rm -rf "$work" && mkdir -p "$work" && cd "$work"
set_key() { sed -i "s/^\( *$2 *= *\)[^ \r]*/\1$3/" "$1"; }
traced() { WINEDEBUG=+eventlog,fixme+advapi "$wine" "$exe" --simulator state.json board write 1 site.cfg 2>&1 | tr -d '\r'; }

"$wine" "$exe" --simulator state.json board read 1 -o site.cfg
set_key site.cfg ClockSource LI1
trace=$(traced) || fail "write failed: $trace"
sha=$(sha256sum site.cfg | cut -d' ' -f1)
grep -qF 'RegisterEventSourceW ((null),L"RuvasetW")' <<<"$trace" || fail "no event source RuvasetW: $trace"
grep -qE 'ReportEventW \([0-9A-F]+,0x0004,0x0000,0x00000005,' <<<"$trace" || fail "no information event 5: $trace"
grep -qE 'ReportEventW \([0-9A-F]+,0x0004,0x0000,0x00000001,' <<<"$trace" || fail "no information event 1: $trace"
for string in 1 '9803069 (0x2345)' ', simulated' ruvacfg '\"site.cfg\" (SHA-256 '"$sha)" file \
    'ClockSource: INTERNAL \2192 LI1' Written none; do
    grep -qF "trace:eventlog:ReportEventW L\"$string\"" <<<"$trace" || fail "no string \"$string\": $trace"
done

python3 - state.json <<'PY'
import json, sys
state = json.load(open(sys.argv[1]))
state["Boards"][1]["Faults"] = {"WriteBoardInfo": {"Status": 7}}
state["ErrorTexts"] = {"7": "Board busy"}
json.dump(state, open(sys.argv[1], "w"))
PY
set_key site.cfg HdlcStartAddress 0x8800
trace=$(traced) && fail "the refused write succeeded"
grep -qE 'ReportEventW \([0-9A-F]+,0x0001,0x0000,0x00000003,' <<<"$trace" || fail "no error event 3: $trace"
for string in 'HdlcStartAddress: 0x9000 \2192 0x8800 (not on the board)' DriverError 'Error #7: Board busy'; do
    grep -qF "err:eventlog:ReportEventW L\"$string\"" <<<"$trace" || fail "no string \"$string\": $trace"
done
echo "ReportEventW, source RuvasetW: events 5 and 1 for the write, event 3 for the refused one, with their strings"

#!/usr/bin/env python3
"""A stand-in for `ruvacfg [--timeout T] board write N[,N...] - --json ...` with a fixed result. RUVA2_STUB:
written: every board written, one (always the same) audit record each; limit: at its time limit, a second
spent finishing a transfer (signals meanwhile appended to the file RUVA2_STUB_SIGNALS), then the first
board partly written, the others not begun, exit 124; stuck: never ends."""

import json
import os
import signal
import sys
import time

CHANGES = ["ClockSource: INTERNAL → LI1", "HdlcStartAddress: 0x9000 → 0x8800"]


def record(board, kind):
    return {"Time": "2024-05-02T10:41:07Z", "User": "ops", "Host": "pc", "Program": "ruvacfg", "Board": board,
            "Kind": kind, "Changes": CHANGES, "Outcome": "Written", "DriverError": None}


def board_result(board, mode, first):
    result = {"Board": board, "Section": board, "Outcome": "Written", "Failed": False, "Changed": True,
              "Messages": [], "Error": None, "DriverResult": None, "Before": "BOARD %d {}\n" % board,
              "After": None, "AfterProblem": "not read", "OnBoard": CHANGES, "NotOnBoard": [],
              "audit": [record(board, "written")]}
    if mode == "limit" and first:
        result.update(Outcome="DriverError", Failed=True, OnBoard=CHANGES[:1], NotOnBoard=CHANGES[1:],
                      audit=[record(board, "failed")])
    elif mode == "limit":
        result.update(Outcome="NotStarted", Failed=True, Changed=False, OnBoard=[], NotOnBoard=CHANGES, audit=[])
    return result


def main(args):
    mode = os.environ.get("RUVA2_STUB", "written")
    if mode == "stuck":
        while True:
            signal.pause()
    limit = int(args[args.index("--timeout") + 1]) if "--timeout" in args else 0
    boards = [int(b) for b in args[args.index("write") + 1].split(",")]
    sys.stdin.buffer.read()
    exit_code = 0
    if mode == "limit":
        def note(number, frame):
            with open(os.environ["RUVA2_STUB_SIGNALS"], "a") as f:
                f.write("%s\n" % signal.Signals(number).name)
        for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(number, note)
        end = time.monotonic() + limit + 1
        while time.monotonic() < end:
            time.sleep(0.05)
        exit_code = 124
    results = [board_result(b, mode, i == 0) for i, b in enumerate(boards)]
    if len(boards) == 1:
        report = dict(results[0], TimedOut=True) if mode == "limit" else results[0]
    else:
        report = {"Boards": results, "TimedOut": mode == "limit"}
    print(json.dumps(report, indent=2, ensure_ascii=False))
    return exit_code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

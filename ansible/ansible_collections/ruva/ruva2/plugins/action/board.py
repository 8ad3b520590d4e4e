# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# ruva.ruva2.board: writes a configuration to one or several boards of the host with one
# `ruvacfg board write N[,N...] --json`, the configuration read and checked on the control node and
# handed to ruvacfg on its standard input. The result is what the boards hold after the run, also when
# the time limit ended it; the run's audit records can be appended to a log on the control node.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import errno
import os
import re
import tempfile
import time

from ansible.errors import AnsibleActionFail, AnsibleError
from ansible.module_utils.common.text.converters import to_bytes, to_text
from ansible_collections.ruva.ruva2.plugins.plugin_utils.audit import append_records, audit_of
from ansible_collections.ruva.ruva2.plugins.plugin_utils.ruvacfg import (
    CLOSING_MESSAGES, COMMON_OPTIONS, STDIN, STOPPED, Ruvacfg, RuvacfgAction, control_node_check, error_of,
    file_message, last_error_line, on_host, operator_folders)

BOARDS = [0, 1, 2, 3]
ARGUMENT_SPEC = dict(
    board=dict(type="int", choices=BOARDS),
    boards=dict(type="list", elements="int", choices=BOARDS),
    src=dict(type="str"),
    content=dict(type="str"),
    remote_src=dict(type="bool", default=False),
    section=dict(type="str", default="board", choices=["board", "0", "1", "2", "3"]),
    backup=dict(type="bool", default=False),
    backup_options=dict(type="dict", options=dict(dir_path=dict(type="path"), filename=dict(type="str"))),
    audit_log=dict(type="path"),
    **COMMON_OPTIONS
)


def settings_text(text):
    # The writer ends lines with CR LF; the diff shows lines.
    return text.replace("\r\n", "\n")


def holding(report):
    """What a board holds after a run that did not go as planned, by ruvacfg's OnBoard and NotOnBoard
    (the planned changes that are, and are not, on the board now); None when ruvacfg does not say."""
    if report.get("Outcome") == "NotStarted":
        return "was not begun"
    on, off = report.get("OnBoard"), report.get("NotOnBoard")
    if on is None and off is None:
        return None
    text = "now holds: " + ", ".join(on) if on else "holds what it held before"
    return text + "; not written: " + ", ".join(off) if off else text


def save_backup(folder, name, text):
    """Writes `text` as a new file `name` in `folder` (made when missing), never over another: a temporary
    file in the folder, then linked under the name; a name that is taken gets -2, -3 ... before its
    extension. The path it got."""
    os.makedirs(folder, exist_ok=True)
    stem, extension = os.path.splitext(name)
    fd, temporary = tempfile.mkstemp(dir=folder, prefix=".%s." % name, suffix=".tmp")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(to_bytes(text))
            f.flush()
            os.fsync(f.fileno())
        for number in range(1, 1000):
            path = os.path.join(folder, name if number == 1 else "%s-%d%s" % (stem, number, extension))
            try:
                os.link(temporary, path)
                return path
            except OSError as e:
                if e.errno != errno.EEXIST:
                    raise
        raise OSError(errno.EEXIST, "%s and 998 more names like it are taken" % name)
    finally:
        os.unlink(temporary)


class ActionModule(RuvacfgAction):

    def run_ruvacfg(self, result, task_vars):
        args = self.validated(ARGUMENT_SPEC, mutually_exclusive=[("src", "content"), ("board", "boards")],
                              required_one_of=[("src", "content"), ("board", "boards")],
                              required_if=[("remote_src", True, ("src",))])
        several = args["boards"] is not None
        boards = args["boards"] if several else [args["board"]]
        if not boards or len(set(boards)) != len(boards):
            raise AnsibleActionFail("boards must name each board once, and at least one")
        sections = boards if args["section"] == "board" else [int(args["section"])]
        if args["remote_src"]:
            path, data, shown = args["src"], None, args["src"]
        else:
            if args["content"] is not None:
                data, shown = to_bytes(args["content"]), "content"
            else:
                data, shown = self._read_source(args["src"]), args["src"]
            path = STDIN
            error = control_node_check(data, shown, sections)
            if error:
                raise AnsibleActionFail(error)

        cmd = ["board", "write", ",".join(map(str, boards)), path, "--json"]
        if path == STDIN:
            cmd += ["--file-name", shown]
        if args["section"] != "board":
            cmd += ["--section", args["section"]]
        if self._task.check_mode:
            cmd.append("--dry-run")
        ruvacfg = Ruvacfg(self, task_vars, args["ruvacfg"], args["timeout"])
        # At its time limit ruvacfg lets a transfer under way finish or roll back, then prints its result.
        rc, report, messages = ruvacfg.run_json(cmd, data, result_at_limit=True)
        reports = report.get("Boards") if report is not None and several and len(boards) > 1 else [report]
        if report is None or not isinstance(reports, list) or len(reports) != len(boards):
            raise AnsibleActionFail(error_of(report, messages, "ruvacfg printed no result"),
                                    result=dict(rc=rc, stderr=messages))
        timed_out = bool(args["timeout"]) and (rc in STOPPED or bool(report.get("TimedOut")))

        # One board's failure is its own; ruvacfg's exit status speaks for a single board.
        alone = None if several else (rc != 0, last_error_line(messages))
        results = [self._board_result(r, board, shown, args, task_vars, alone) for r, board in zip(reports, boards)]
        warnings = [on_host(task_vars, w) for r in results for w in r.pop("warnings")]
        diffs = [r.pop("diff") for r in results if "diff" in r]
        failed = [r for r in results if r.get("failed")]
        if several:
            result.update(changed=any(r["changed"] for r in results), boards=results)
            if failed:
                # A fault of the file is every board's: said once.
                msgs = [r["msg"] for r in failed]
                result.update(failed=True, rc=rc, msg="; ".join(m for i, m in enumerate(msgs) if m not in msgs[:i]))
            if diffs:
                result["diff"] = diffs
        else:
            result.update(results[0])
            if result.get("failed"):
                result["rc"] = rc
            if diffs:
                result["diff"] = diffs[0]
        if timed_out:
            held = ["board %d %s" % (b, holding(r) or "ended as %s" % r.get("Outcome")) for r, b in zip(reports, boards)]
            result.update(failed=True, rc=rc, msg="%s; %s" % (ruvacfg.stopped(), "; ".join(held)))
        if args["audit_log"]:
            try:
                append_records(args["audit_log"], [a for r in results for a in r["audit"]],
                               task_vars.get("inventory_hostname", ""))
            except OSError as e:
                result.update(failed=True, msg="%s%sthe audit records could not be appended to %s: %s" % (
                    result.get("msg", ""), "; " if result.get("msg") else "", args["audit_log"], e.strerror or e))
        if warnings:
            result["warnings"] = warnings

    def _read_source(self, src):
        """The configuration file src on the control node, found as ansible.builtin.copy finds it; for a
        task of a playbook that comes with a collection (ruva.ruva2.apply_config), a relative src first
        where the operator keeps the run's files (see operator_folders), in each folder's files/ and then
        the folder itself."""
        local = None
        if not os.path.isabs(src) and re.search(r"/ansible_collections/[^/]+/[^/]+/playbooks(/|$)",
                                                os.path.dirname(self._task.get_path() or "")):
            candidates = [os.path.join(f, sub, src) for f in operator_folders() for sub in ("files", "")]
            local = next((c for c in candidates if os.path.exists(c)), None)
        if local is None:
            try:
                local = self._find_needle("files", src)
            except AnsibleError as e:
                raise AnsibleActionFail(to_text(e))
        if os.path.isdir(local):
            raise AnsibleActionFail("src %s is a folder (%s), not a configuration file" % (src, local))
        try:
            with open(local, "rb") as f:
                return f.read()
        except OSError as e:
            raise AnsibleActionFail("src %s (%s) cannot be read: %s" % (src, local, e.strerror or e))

    def _board_result(self, report, board, shown, args, task_vars, alone):
        """One board's result from its part of ruvacfg's report, with its warnings (named by board) and
        its diff; its backup saved. `alone`: for the only board of a run, whether ruvacfg failed and
        its last error line."""
        failed = bool(report.get("Failed")) or bool(alone and alone[0])
        messages = [dict(kind=m.get("Kind"), id=m.get("Id"), text=m.get("Text")) for m in report.get("Messages") or []]
        error = report.get("Error") or (alone and alone[1]) or "ruvacfg board write failed"
        result = dict(
            changed=bool(report.get("Changed")),
            board=report.get("Board", board),
            section=report.get("Section"),
            outcome=report.get("Outcome"),
            writes=[dict(request=w.get("Request"), text=w.get("Text")) for w in report.get("Writes") or []],
            messages=messages,
            audit=audit_of(report),
            on_board=report.get("OnBoard"),
            not_on_board=report.get("NotOnBoard"),
        )
        # The failure's own message is its error, not a warning.
        warnings = [m["text"] for m in messages
                    if m["id"] not in CLOSING_MESSAGES and not (failed and m["text"] == error)]
        before, after = report.get("Before"), report.get("After")
        # Why ruvacfg gave no settings: unreadable, or not a configuration file that would load again.
        problems = [p for p in (report.get("BeforeProblem"), report.get("AfterProblem")) if p]
        wants_backup = args["backup"] and result["changed"] and not self._task.check_mode
        if wants_backup and before is None:
            warnings.append("no backup: %s; the board was written without one"
                            % (report.get("BeforeProblem") or "the board's settings could not be read"))
        if self._task.diff and problems:
            warnings.append("no diff: %s" % "; ".join(problems))
        if self._task.diff and before is not None and after is not None:
            result["diff"] = dict(before=settings_text(before), after=settings_text(after),
                                  before_header="board %d" % board, after_header=shown)
        if wants_backup and before is not None:
            try:
                result.update(self._save_backup(before, board, args["backup_options"] or {}, task_vars))
            except OSError as e:
                failed, error = True, "the board was written, but its backup could not be saved: %s" % e
        result["warnings"] = ["board %d: %s" % (board, w) for w in warnings]
        if failed and result["outcome"] == "FileFailed":
            # The file's fault, not the board's: as the control node's check names it.
            result.update(failed=True, msg=file_message(error))
        elif failed:
            held = holding(report) if report.get("OnBoard") or report.get("NotOnBoard") else None
            result.update(failed=True, msg="board %d: %s%s" % (board, error, "; it " + held if held else ""))
            if report.get("DriverResult") is not None:
                result["driver_result"] = report["DriverResult"]
        return result

    def _save_backup(self, text, board, options, task_vars):
        """The board's settings before the write as a new configuration file on the control node: its
        path, and the date and time it was taken."""
        now = time.localtime()
        date, clock = time.strftime("%Y-%m-%d", now), time.strftime("%H:%M:%S", now)
        folder = options.get("dir_path") or os.path.join(self._loader.get_basedir(), "backup")
        name = options.get("filename") or "%s_board%d.%s@%s.cfg" % (
            task_vars.get("inventory_hostname", "host"), board, date, clock)
        return dict(backup_path=save_backup(folder, name, text), date=date, time=clock)

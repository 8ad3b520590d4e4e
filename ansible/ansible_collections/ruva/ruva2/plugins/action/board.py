# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# ruva.ruva2.board: writes a configuration to a board of the host with `ruvacfg board write --json`,
# the configuration read on the control node and handed to ruvacfg on its standard input.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import os
import time

from ansible.errors import AnsibleActionFail, AnsibleError
from ansible.module_utils.common.text.converters import to_bytes, to_text
from ansible.plugins.action import ActionBase
from ansible_collections.ruva.ruva2.plugins.plugin_utils.audit import audit_of
from ansible_collections.ruva.ruva2.plugins.plugin_utils.ruvacfg import (
    CLOSING_MESSAGES, COMMON_OPTIONS, STDIN, Ruvacfg, last_error_line)

ARGUMENT_SPEC = dict(
    board=dict(type="int", required=True, choices=[0, 1, 2, 3]),
    src=dict(type="str"),
    content=dict(type="str"),
    remote_src=dict(type="bool", default=False),
    section=dict(type="str", default="board", choices=["board", "0", "1", "2", "3"]),
    backup=dict(type="bool", default=False),
    backup_options=dict(type="dict", options=dict(dir_path=dict(type="path"), filename=dict(type="str"))),
    **COMMON_OPTIONS
)


def settings_text(text):
    # The writer ends lines with CR LF; the diff shows lines.
    return text.replace("\r\n", "\n")


class ActionModule(ActionBase):
    TRANSFERS_FILES = False

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        del tmp
        _, args = self.validate_argument_spec(ARGUMENT_SPEC, mutually_exclusive=[("src", "content")],
                                              required_one_of=[("src", "content")],
                                              required_if=[("remote_src", True, ("src",))])
        board = args["board"]
        if args["remote_src"]:
            path, data, shown = args["src"], None, args["src"]
        elif args["content"] is not None:
            path, data, shown = STDIN, to_bytes(args["content"]), "content"
        else:
            try:
                local = self._find_needle("files", args["src"])
            except AnsibleError as e:
                raise AnsibleActionFail(to_text(e))
            with open(local, "rb") as f:
                path, data, shown = STDIN, f.read(), args["src"]

        cmd = ["board", "write", str(board), path, "--json"]
        if args["section"] != "board":
            cmd += ["--section", args["section"]]
        if self._task.check_mode:
            cmd.append("--dry-run")
        ruvacfg = Ruvacfg(self, task_vars, args["ruvacfg"], args["timeout"])
        rc, report, err = ruvacfg.run_json(cmd, data)
        if report is None:
            raise AnsibleActionFail(last_error_line(err) or "ruvacfg printed no result", result=dict(rc=rc, stderr=err))

        failed = rc != 0 or bool(report.get("Failed"))
        error = report.get("Error") or last_error_line(err) or "ruvacfg board write failed"
        messages = [dict(kind=m.get("Kind"), text=m.get("Text")) for m in report.get("Messages") or []]
        result.update(
            changed=bool(report.get("Changed")),
            board=report.get("Board", board),
            section=report.get("Section"),
            outcome=report.get("Outcome"),
            writes=[dict(request=w.get("Request"), text=w.get("Text")) for w in report.get("Writes") or []],
            messages=messages,
            audit=audit_of(report),
        )
        warnings = [m["text"] for m in messages
                    if m["text"] not in CLOSING_MESSAGES and not (failed and m["text"] == error)]
        before, after = report.get("Before"), report.get("After")
        # Why ruvacfg gave no settings: unreadable, or not a configuration file that would load again.
        problems = [p for p in (report.get("BeforeProblem"), report.get("AfterProblem")) if p]
        wants_backup = args["backup"] and result["changed"] and not self._task.check_mode
        if wants_backup and before is None:
            warnings.append("no backup: %s; board %d was written without one"
                            % (report.get("BeforeProblem") or "the board's settings could not be read", board))
        if self._task.diff and problems:
            warnings.append("no diff: %s" % "; ".join(problems))
        if warnings:
            result["warnings"] = warnings
        if self._task.diff and before is not None and after is not None:
            result["diff"] = dict(before=settings_text(before), after=settings_text(after),
                                  before_header="board %d" % board, after_header=shown)
        if wants_backup and before is not None:
            try:
                result["backup_path"] = self._save_backup(before, board, args["backup_options"] or {}, task_vars)
            except OSError as e:
                failed, error = True, "the board was written, but its backup could not be saved: %s" % e
        if failed:
            result.update(failed=True, msg=error, rc=rc)
            if report.get("DriverResult") is not None:
                result["driver_result"] = report["DriverResult"]
        return result

    def _save_backup(self, text, board, options, task_vars):
        """The board's settings before the write as a configuration file on the control node."""
        folder = options.get("dir_path") or os.path.join(self._loader.get_basedir(), "backup")
        name = options.get("filename") or "%s_board%d.%s.cfg" % (
            task_vars.get("inventory_hostname", "host"), board, time.strftime("%Y-%m-%d@%H:%M:%S"))
        path = os.path.join(folder, name)
        os.makedirs(folder, exist_ok=True)
        with open(path, "wb") as f:
            f.write(to_bytes(text))
        return path

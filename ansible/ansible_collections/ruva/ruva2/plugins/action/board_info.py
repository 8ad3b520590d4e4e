# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# ruva.ruva2.board_info: the boards of a host from `ruvacfg board list --json` and, per attached board,
# `ruvacfg board info N --json`. Every value that either command read is kept.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.errors import AnsibleActionFail
from ansible_collections.ruva.ruva2.plugins.plugin_utils.ruvacfg import (
    COMMON_OPTIONS, Ruvacfg, RuvacfgAction, error_of, on_host, snake_case)

ARGUMENT_SPEC = dict(set_facts=dict(type="bool", default=False), **COMMON_OPTIONS)
SHARED = ("Irq", "IoBaseAddress", "NumberOfBoards", "InfoBufferSize")
RESOURCES = ("DramSize", "HostMemoryWindowOffset", "HostMemoryWindowSize", "HostIoWindowOffset",
             "HostIoWindowSize")


def listed_board(entry):
    """A board as `board list` read it: the serial number is the serial record's until `board info`
    reads the copy in the stored configuration."""
    return dict(
        board=entry["Board"],
        attached=bool(entry.get("Attached")),
        gds_id=entry.get("GdsId"),
        serial_no=entry.get("SerialNo"),
        serial_number=entry.get("SerialNumber"),
        serial_record=None if entry.get("SerialNumber") is None else dict(
            restore_count=entry.get("RestoreCount"), serial_number=entry["SerialNumber"]),
        version=entry.get("Version"),
        problems=list(entry.get("Problems") or []),
        error=None,
        resources=None,
        revisions=None,
    )


class ActionModule(RuvacfgAction):

    def run_ruvacfg(self, result, task_vars):
        args = self.validated(ARGUMENT_SPEC)
        ruvacfg = Ruvacfg(self, task_vars, args["ruvacfg"], args["timeout"])
        rc, survey, messages = ruvacfg.run_json(["board", "list", "--json"])
        # Without the driver's parameters ruvacfg lists nothing (its fields null beside the error).
        if survey is None or survey.get("NumberOfBoards") is None:
            raise AnsibleActionFail(error_of(survey, messages, "ruvacfg printed no result"),
                                    result=dict(rc=rc, stderr=messages))
        warnings = []
        if rc != 0:
            warnings.append("ruvacfg board list: %s" % error_of(survey, messages, "a value could not be read"))
        boards = [listed_board(entry) for entry in survey.get("Boards") or []]
        for board in boards:
            if board["problems"]:
                warnings.append("board %d: %s" % (board["board"], ", ".join(board["problems"])))
            if not board["attached"]:
                continue
            rc, info, messages = ruvacfg.run_json(["board", "info", str(board["board"]), "--json"])
            if rc != 0 or info is None:
                board["error"] = error_of(info, messages, "ruvacfg board info failed")
                warnings.append("board %d: %s" % (board["board"], board["error"]))
                continue
            board.update(serial_no=info.get("SerialNo"), serial_number=info.get("SerialNumber"),
                         resources=dict((snake_case(k), info.get(k)) for k in RESOURCES),
                         revisions=info.get("Revisions"))
        ruva2 = dict(driver=dict((snake_case(k), survey.get(k)) for k in SHARED), boards=boards)
        result.update(changed=False, **ruva2)
        if args["set_facts"]:
            result["ansible_facts"] = dict(ruva2=ruva2)
        if warnings:
            result["warnings"] = [on_host(task_vars, w) for w in warnings]

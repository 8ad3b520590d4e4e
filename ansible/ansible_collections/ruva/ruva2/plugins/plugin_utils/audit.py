# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# The audit records of a board's writes, as ruvacfg reports them ("audit" of `board write --json`), and
# the audit log on the control node that keeps them.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

from ansible.module_utils.common.text.converters import to_bytes
from ansible_collections.ruva.ruva2.plugins.plugin_utils.ruvacfg import append_lines


def audit_of(report):
    """The records of the writes that one `ruvacfg board write --json` made, passed on as they are."""
    return list(report.get("audit") or [])


def append_records(path, records, host):
    """Appends each record to the audit log `path` as one JSON object a line, with InventoryHost added:
    every record, also one identical to a line already there, in constant time."""
    if records:
        append_lines(path, to_bytes("".join(json.dumps(dict(r, InventoryHost=host)) + "\n" for r in records)))

# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# The audit records of a board's writes, as ruvacfg reports them ("audit" of `board write --json`).

from __future__ import absolute_import, division, print_function

__metaclass__ = type


def audit_of(report):
    """The records of the writes that one `ruvacfg board write --json` made, passed on as they are."""
    return list(report.get("audit") or [])

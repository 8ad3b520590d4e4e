#!/usr/bin/python
# Writes a configuration file's settings to a Ruva-2 board through `ruvacfg board write --json`.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: board
short_description: Write a configuration file's settings to a Ruva-2 board
description:
  - Writes the settings of one section of a Ruva-2 configuration file (C(.cfg)) to a board of the
    managed host, as the board page's "Save -->" does, by running C(ruvacfg board write --json) there.
    The board is checked first, only what differs is written, and the configuration data is read back
    to verify it.
  - Reports a change only when something was written to the board; a board that already holds the
    file's settings stays untouched ("The Configuration Data remains the same"). A failed write reports
    a change when a write was sent, even one that the driver refused.
  - In check mode the same check and compare run with C(--dry-run) and nothing is written.
  - In diff mode the board's settings before and after are shown as configuration file text.
  - Fails the host with ruvacfg's message when the file, the board check, a driver request or the
    read-back fails.
version_added: 1.0.0
author: RuvasetW developers
requirements:
  - ruvacfg on the managed host, and the Ruva-2 driver (or ruva2-sim) it talks to
options:
  board:
    description: The board to write, 0 to 3.
    type: int
    required: true
    choices: [0, 1, 2, 3]
  src:
    description: The configuration file on the managed host.
    type: path
    required: true
  section:
    description:
      - Which of the file's sections to write. C(board) takes the section for I(board); a number
        0 to 3 takes that board's section, so that one file can go to every board.
    type: str
    default: board
  ruvacfg:
    description: The ruvacfg program to run. By default the one found on the PATH.
    type: path
attributes:
  check_mode:
    description: Runs the write with C(--dry-run), which writes nothing and reports what would change.
    support: full
  diff_mode:
    description: Returns the board's settings before and after as configuration file text.
    support: full
"""

EXAMPLES = r"""
- name: Copy the site's configuration to the PC
  ansible.builtin.copy:
    src: site.cfg
    dest: /etc/ruva2/site.cfg
    mode: "0644"

- name: Write it to board 0 and 1, both from the file's section for board 0
  ruva.ruva2.board:
    board: "{{ item }}"
    src: /etc/ruva2/site.cfg
    section: "0"
  loop: [0, 1]

- name: See what the file would change on board 1, without writing
  ruva.ruva2.board:
    board: 1
    src: /etc/ruva2/site.cfg
  check_mode: true
  diff: true
"""

RETURN = r"""
board:
  description: The board written to.
  returned: always
  type: int
  sample: 1
section:
  description: The file's section that was written.
  returned: always
  type: int
  sample: 0
outcome:
  description:
    - What the write came to. C(Written), C(Unchanged) or, in check mode, C(WouldWrite) on success;
      C(FileFailed), C(BoardUnavailable), C(CheckFailed), C(DriverError) or C(VerifyFailed) on failure.
  returned: always
  type: str
  sample: Written
writes:
  description:
    - The driver requests sent to the board (in check mode, that would be sent), in order; after a
      failure the last is the one that failed.
  returned: always
  type: list
  elements: dict
  contains:
    request:
      description: C(WriteSerialRecord), C(WriteBoardInfo), C(SetClockSource) or C(WriteStoredConfig).
      type: str
    text:
      description: What the request writes.
      type: str
  sample: [{"request": "SetClockSource", "text": "clock selection: LI1"},
           {"request": "WriteStoredConfig", "text": "configuration data: 134 bytes, version 9"}]
messages:
  description: ruvacfg's messages (the board check's notes, the closing message, errors).
  returned: always
  type: list
  elements: dict
  contains:
    kind:
      description: C(error), C(warning), C(note) or C(message).
      type: str
    text:
      description: The message.
      type: str
  sample: [{"kind": "note", "text": "The Configuration Data was successfully written to the board."}]
driver_result:
  description: The result of the driver request that failed.
  returned: on failure, when a driver request failed
  type: int
  sample: 7
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ruva.ruva2.plugins.module_utils.ruvacfg import last_error_line, run_json


def settings_text(text):
    # The writer ends lines with CR LF; the diff shows lines.
    return text.replace("\r\n", "\n")


def main():
    module = AnsibleModule(
        argument_spec=dict(
            board=dict(type="int", required=True, choices=[0, 1, 2, 3]),
            src=dict(type="path", required=True),
            section=dict(type="str", default="board"),
            ruvacfg=dict(type="path"),
        ),
        supports_check_mode=True,
    )
    board = module.params["board"]
    src = module.params["src"]
    section = module.params["section"]
    if section not in ("board", "0", "1", "2", "3"):
        module.fail_json(msg="section must be 'board' or a board number 0 to 3, not %r" % section)

    args = ["board", "write", str(board), src, "--json"]
    if section != "board":
        args += ["--section", section]
    if module.check_mode:
        args.append("--dry-run")
    rc, report, err = run_json(module, args)
    if report is None:
        module.fail_json(msg=last_error_line(err) or "ruvacfg printed no result", rc=rc, stderr=err)

    result = dict(
        changed=bool(report.get("Changed")),
        board=report.get("Board", board),
        section=report.get("Section"),
        outcome=report.get("Outcome"),
        writes=[dict(request=w.get("Request"), text=w.get("Text")) for w in report.get("Writes", [])],
        messages=[dict(kind=m.get("Kind"), text=m.get("Text")) for m in report.get("Messages", [])],
    )
    before, after = report.get("Before"), report.get("After")
    if module._diff and before is not None and after is not None:
        result["diff"] = dict(
            before=settings_text(before),
            after=settings_text(after),
            before_header="board %d" % board,
            after_header=src,
        )
    if rc != 0 or report.get("Failed"):
        if report.get("DriverResult") is not None:
            result["driver_result"] = report["DriverResult"]
        module.fail_json(
            msg=report.get("Error") or last_error_line(err) or "ruvacfg board write failed", rc=rc, **result
        )
    module.exit_json(**result)


if __name__ == "__main__":
    main()

#!/usr/bin/python
# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# The documentation of the action plugin ruva.ruva2.board (plugins/action/board.py), which does the work
# on the control node.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: board
short_description: Write a Ruva-2 configuration to boards of a Linux or Windows host
description:
  - Writes the settings of one section of a Ruva-2 configuration (C(.cfg)) to a board of the managed
    host, as the board page's "Save -->" does, by running C(ruvacfg board write --json) there. The
    board is checked first, only what differs is written, and the configuration data is read back to
    verify it.
  - I(boards) writes several boards of the host in one C(ruvacfg) run, one after another, each under
    its own lock, and returns a result per board; a board that fails leaves the others to be written.
  - The configuration comes from the control node (I(src) or I(content)) and reaches C(ruvacfg) on its
    standard input; nothing is copied to the host. With I(remote_src) C(ruvacfg) reads a file already
    on the host.
  - 'Where the control node has C(ruvacfg) on its PATH, the configuration is checked there once for the
    run of the playbook, before any host is touched (each of the sections to be written); a faulty one
    fails every host with the error naming the file as given, for example C(site.cfg:31: syntax error).
    Without it, C(ruvacfg) on each host finds the fault, and the task''s message names the file so too.'
  - Reports a change exactly when the board holds something different after the run; a board that
    already holds the settings stays untouched ("The Configuration Data remains the same").
  - In check mode the same check and compare run with C(--dry-run); nothing is written and the result
    is what the real run would then report.
  - In diff mode the board's settings before and after are shown as configuration file text.
  - 'Every message the board gives (a repaired serial record, a stored configuration of an old version)
    is shown as a warning that begins with the board and ends with the host, for example
    "board 0: The board had a corrupt Serial Number scheme ... (host pc1)".'
  - Fails the host with ruvacfg's message, naming the board, when the configuration, the board check, a
    driver request or the read-back fails; the other hosts go on. When only part of the planned changes
    is on the board, the message says which are and which are not (I(on_board), I(not_on_board)).
  - 'When the time limit (I(timeout)) ends the run, the task fails with a message that says what each
    board now holds ("ruvacfg did not finish within 60 seconds and was stopped (option timeout); board 0
    now holds: ...; not written: ..."); what was written is reported all the same, with its backup and
    audit records.'
version_added: 1.0.0
author: RuvasetW developers (!UNKNOWN)
extends_documentation_fragment:
  - ruva.ruva2.ruvacfg
options:
  board:
    description:
      - The board to write, 0 to 3.
      - Exactly one of I(board) and I(boards) is required.
    type: int
    choices: [0, 1, 2, 3]
  boards:
    description:
      - The boards to write, each once, in one C(ruvacfg) run; the result then has a result per board
        in I(boards).
    type: list
    elements: int
    choices: [0, 1, 2, 3]
  src:
    description:
      - The configuration file on the control node, found as C(ansible.builtin.copy) finds its I(src)
        (a relative path in the role's or playbook's C(files) folder, then in the playbook's folder).
      - In a playbook that comes with a collection (C(ruva.ruva2.apply_config)) a relative path is looked for
        first in the C(files) folder of the playbook given to C(ansible-playbook) and in that folder (the
        current folder's when the playbook is given by its collection name).
      - With I(remote_src), a file on the managed host.
      - Exactly one of I(src) and I(content) is required.
    type: str
  content:
    description: The configuration itself, as text.
    type: str
  remote_src:
    description: Whether I(src) is a file on the managed host rather than on the control node.
    type: bool
    default: false
  section:
    description:
      - Which of the configuration's sections to write. C(board) takes the section for I(board); a
        number 0 to 3 takes that board's section, so that one file can go to every board.
    type: str
    default: board
    choices: [board, "0", "1", "2", "3"]
  backup:
    description:
      - Save the board's settings as they were before a write that changed the board, as a
        configuration file on the control node. Writing that file back with this module (I(src) the
        file, the same I(board)) restores them.
      - Nothing is saved in check mode or when nothing was written.
      - When the board's settings cannot be read, or cannot be written as a configuration file that
        would load again (a stored value without a word), no backup is saved, the write goes on, and a
        warning says so, naming why.
      - A backup never replaces a file. It is written to a temporary file in the folder and then given
        its name; a name that is taken (the file exists, or another host or board of the run took it
        first, as a fixed I(backup_options.filename) on several hosts does) is made unique by adding
        C(-2), C(-3) ... before its extension. I(backup_path) returns the name it got.
    type: bool
    default: false
  backup_options:
    description: Where I(backup) saves the file.
    type: dict
    suboptions:
      dir_path:
        description: The folder on the control node, made when missing. By default C(backup) in the playbook's folder.
        type: path
      filename:
        description:
          - The file's name. By default C(<inventory_hostname>_board<board>.<date>@<time>.cfg).
          - A name that is taken is made unique (see I(backup)).
        type: str
  audit_log:
    description:
      - A file on the control node to which the task appends the audit records of its boards (see I(audit)),
        one JSON object a line with C(InventoryHost) added, also when a write failed. The file is made
        when missing.
      - Each task appends its records under an exclusive lock of the file (C(flock)), at the file's end, so
        tasks of several hosts and several runs at once keep every record, identical ones too, and each
        append takes the same time however long the file is. A lock that another program keeps for 60
        seconds fails the task.
      - When the records cannot be appended the task fails, saying so; they are in its result all the same.
    type: path
attributes:
  check_mode:
    description: Runs the write with C(--dry-run), which writes nothing and reports what would change.
    support: full
  diff_mode:
    description: Returns the board's settings before and after as configuration file text.
    support: full
  platform:
    description: POSIX hosts and Windows hosts (through C(cmd) or PowerShell).
    support: full
    platforms: posix, windows
"""

EXAMPLES = r"""
- name: Write the site's configuration (files/site.cfg on the control node) to boards 0 and 1, from its section for board 0
  ruva.ruva2.board:
    boards: [0, 1]
    src: site.cfg
    section: "0"
    backup: true

- name: See what the file would change on board 1, without writing
  ruva.ruva2.board:
    board: 1
    src: site.cfg
  check_mode: true
  diff: true

- name: Roll back board 1 to a backup
  ruva.ruva2.board:
    board: 1
    src: backup/pc1_board1.2024-05-02@10:41:07.cfg

- name: Write a file already on a Windows host
  ruva.ruva2.board:
    board: 0
    src: C:\RuvasetW\site.cfg
    remote_src: true
"""

RETURN = r"""
board:
  description: The board written to.
  returned: with I(board)
  type: int
  sample: 1
boards:
  description:
    - A result per board, in the order of I(boards), each with the keys that a task with I(board) returns
      (I(board), I(section), I(changed), I(outcome), I(writes), I(messages), I(audit), I(on_board),
      I(not_on_board), I(backup_path), I(date), I(time), I(driver_result)), and I(failed) and I(msg) for a
      board that failed.
  returned: with I(boards)
  type: list
  elements: dict
  sample: [{"board": 0, "section": 0, "changed": false, "outcome": "Unchanged", "writes": [], "messages": []}]
section:
  description: The configuration's section that was written.
  returned: with I(board)
  type: int
  sample: 0
outcome:
  description:
    - What the write came to. C(Written), C(Unchanged) or, in check mode, C(WouldWrite) on success;
      C(FileFailed), C(BoardUnavailable), C(CheckFailed), C(DriverError), C(VerifyFailed) or C(Busy) on
      failure; C(NotStarted) for a board that the time limit left unbegun.
  returned: with I(board)
  type: str
  sample: Written
writes:
  description:
    - The driver requests sent to the board (in check mode, that would be sent), in order; after a
      failure the last is the one that failed.
  returned: with I(board)
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
  returned: with I(board)
  type: list
  elements: dict
  contains:
    kind:
      description: C(error), C(warning), C(note) or C(message).
      type: str
    id:
      description: Which message it is, whatever its wording, e.g. C(saved_to_board).
      type: str
    text:
      description: The message.
      type: str
  sample: [{"kind": "note", "id": "saved_to_board",
            "text": "The Configuration Data was successfully written to the board."}]
on_board:
  description:
    - "The planned changes (each C(name: old → new)) that are on the board after the run, as ruvacfg read
      it back; null when the host's ruvacfg does not say."
  returned: with I(board)
  type: list
  elements: str
  sample: ["ClockSource: INTERNAL → LI1"]
not_on_board:
  description: The planned changes that are not on the board after the run; empty after a complete write.
  returned: with I(board)
  type: list
  elements: str
  sample: []
backup_path:
  description: The file on the control node that holds the board's settings from before the write.
  returned: when I(backup) is set and the board was written to
  type: str
  sample: /home/ops/site/backup/pc1_board1.2024-05-02@10:41:07.cfg
audit:
  description:
    - The records of the writes to the board, as the host's system log got them (the journal or syslog,
      the Windows event log), one for each transfer that wrote or failed to write; empty when nothing was
      written (and in check mode). A serial repair by the board check and the write that follows are two.
    - "Each has C(Time) (UTC, ISO 8601), C(User), C(Host), C(Program), C(Board), C(SerialNumber) (and
      C(SerialNo) as the serial number dialog shows it), C(Simulated), C(File) (C(Name), C(Sha256)), C(Source)
      (C(file), C(edited in the program) or C(board N)), C(Kind) (C(written), C(repaired), C(failed) or
      C(rolled back)), C(Changes) (each C(name: old → new)), C(Outcome) and C(DriverError) (C(Number),
      C(Text); or null)."
  returned: always
  type: list
  elements: dict
  sample: [{"Time": "2024-05-02T10:41:07Z", "User": "ops", "Host": "pc1", "Program": "ruvacfg", "Board": 1,
            "SerialNumber": 9029, "SerialNo": "9803069", "Simulated": false,
            "File": {"Name": "(standard input)", "Sha256": "84e1ee57098db3cd3e1d00cae6661bba83f8e6dd0f4f620fa48beff2e976bd6e"},
            "Source": "file", "Kind": "written", "Changes": ["ClockSource: INTERNAL → LI1"],
            "Outcome": "Written", "DriverError": null}]
date:
  description: The date of the backup, on the control node.
  returned: when I(backup_path) is
  type: str
  sample: "2024-05-02"
time:
  description: The time of the backup, on the control node.
  returned: when I(backup_path) is
  type: str
  sample: "10:41:07"
driver_result:
  description: The result of the driver request that failed.
  returned: with I(board), on failure, when a driver request failed
  type: int
  sample: 7
"""

#!/usr/bin/python
# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# The documentation of the action plugin ruva.ruva2.board_info (plugins/action/board_info.py), which does
# the work on the control node.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: board_info
short_description: Read the Ruva-2 boards of a Linux or Windows host
description:
  - Lists the Ruva-2 boards of the managed host with C(ruvacfg board list --json), then reads each
    attached board's communication parameters, serial number and revisions with
    C(ruvacfg board info --json). Nothing is written to the boards.
  - Returns I(driver) and I(boards), and with I(set_facts) also the fact C(ruva2).
  - A board whose values could not all be read is listed with every value that either command did
    read, and a warning; a board that fails its check is listed with the reasons. The module fails
    only when the driver gives no parameters at all.
version_added: 1.0.0
author: RuvasetW developers (!UNKNOWN)
extends_documentation_fragment:
  - ruva.ruva2.ruvacfg
options:
  set_facts:
    description: Also return the result as the fact C(ruva2).
    type: bool
    default: false
attributes:
  check_mode:
    description: Reads only, so it runs the same in check mode.
    support: full
  diff_mode:
    description: Changes nothing, so there is no diff.
    support: none
  facts:
    description: Returns the fact C(ruva2) with I(set_facts).
    support: full
  platform:
    description: POSIX hosts and Windows hosts (through C(cmd) or PowerShell).
    support: full
    platforms: posix, windows
"""

EXAMPLES = r"""
- name: Read the boards of every PC
  ruva.ruva2.board_info:
  register: ruva2

- name: Show each board's serial number
  ansible.builtin.debug:
    msg: "board {{ item.board }}: {{ item.serial_no }}"
  loop: "{{ ruva2.boards }}"

- name: Stop when a board has problems
  ansible.builtin.assert:
    that: ruva2.boards | map(attribute='problems') | flatten | length == 0
"""

RETURN = r"""
driver:
  description: C(irq), C(io_base_address), C(number_of_boards) and C(info_buffer_size), as numbers.
  returned: success
  type: dict
  sample: {"irq": 10, "io_base_address": 768, "number_of_boards": 2, "info_buffer_size": 4096}
boards:
  description:
    - One entry per board below the number of boards the driver reports, also those that fail their
      check (see I(problems)) or could not be read (see I(error)).
  returned: success
  type: list
  elements: dict
  contains:
    board:
      description: The board number.
      type: int
    attached:
      description: Whether the board answered at the I/O base address.
      type: bool
    gds_id:
      description: The board's GDS ID (0x72 for a Ruva-2), or null.
      type: int
    serial_no:
      description:
        - The serial number as the serial number dialog shows it, the copy in the board's stored
          configuration; the serial record's when C(board info) failed; null when neither was read.
      type: str
      sample: "9702052"
    serial_number:
      description: The same serial number as a number.
      type: int
    serial_record:
      description: The board's serial number record, C(restore_count) and C(serial_number).
      type: dict
    version:
      description: The version of the stored configuration (9 is current).
      type: int
    problems:
      description:
        - What the board check would object to or repair (not attached, wrong GDS ID, a blank or lost
          serial record, a serial copy that differs, an old version, a value that could not be read);
          empty for a sound board. Each board's problems are also shown as a warning.
      type: list
      elements: str
      sample: ["serial record blank, restorable"]
    error:
      description: Why C(board info) failed for the board, or null.
      type: str
    resources:
      description:
        - The board's own resources, C(dram_size), C(host_memory_window_offset),
          C(host_memory_window_size), C(host_io_window_offset) and C(host_io_window_size);
          null when they could not be read.
      type: dict
    revisions:
      description: The revisions by component (BAR, LAD, SAD, MAD, RSC, Bootstrap), formatted.
      type: dict
      sample: {"BAR": "1.0", "LAD": "3.1", "SAD": "1.3", "MAD": "2.0", "RSC": "1.2.3.4",
               "Bootstrap": "Unknown"}
ansible_facts:
  description: With I(set_facts), the fact C(ruva2) holding I(driver) and I(boards).
  returned: when I(set_facts) is set
  type: dict
  contains:
    ruva2:
      description: I(driver) and I(boards).
      type: dict
"""

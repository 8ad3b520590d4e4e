#!/usr/bin/python
# The Ruva-2 boards of a host as facts, from `ruvacfg board list --json` and `ruvacfg board info --json`.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: board_info
short_description: Gather facts about the Ruva-2 boards of a host
description:
  - Lists the Ruva-2 boards of the managed host with C(ruvacfg board list --json), then reads each
    attached board's communication parameters, serial number and revisions with
    C(ruvacfg board info --json). Nothing is written to the boards.
  - The results are returned as the fact C(ruva2).
  - A board whose values could not all be read is listed with what could be read, and a warning; the
    module fails only when the driver gives no parameters at all.
version_added: 1.0.0
author: RuvasetW developers
requirements:
  - ruvacfg on the managed host, and the Ruva-2 driver (or ruva2-sim) it talks to
options:
  ruvacfg:
    description: The ruvacfg program to run. By default the one found on the PATH.
    type: path
attributes:
  check_mode:
    description: Reads only, so it runs the same in check mode.
    support: full
  diff_mode:
    description: Changes nothing, so there is no diff.
    support: none
  facts:
    description: Returns the fact C(ruva2).
    support: full
"""

EXAMPLES = r"""
- name: Read the boards of every PC
  ruva.ruva2.board_info:

- name: Show each board's serial number
  ansible.builtin.debug:
    msg: "board {{ item.board }}: {{ item.serial_no }}"
  loop: "{{ ruva2.boards }}"

- name: Stop when a board has problems
  ansible.builtin.assert:
    that: ruva2.boards | map(attribute='problems') | flatten | length == 0
"""

RETURN = r"""
ansible_facts:
  description: Facts added to the host.
  returned: success
  type: complex
  contains:
    ruva2:
      description: The driver's shared parameters and the boards.
      type: complex
      contains:
        driver:
          description: C(irq), C(io_base_address), C(number_of_boards) and C(info_buffer_size), as numbers.
          type: dict
          sample: {"irq": 10, "io_base_address": 768, "number_of_boards": 2, "info_buffer_size": 4096}
        boards:
          description: One entry per board below the number of boards the driver reports.
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
                  configuration; null when it could not be read.
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
              description: What the board check would object to or repair; empty for a sound board.
              type: list
              elements: str
              sample: ["serial record blank, restorable"]
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
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ruva.ruva2.plugins.module_utils.ruvacfg import last_error_line, run_json, snake_case

SHARED = ("Irq", "IoBaseAddress", "NumberOfBoards", "InfoBufferSize")
RESOURCES = ("DramSize", "HostMemoryWindowOffset", "HostMemoryWindowSize", "HostIoWindowOffset",
             "HostIoWindowSize")


def board_facts(module, entry):
    facts = dict(
        board=entry["Board"],
        attached=entry.get("Attached", False),
        gds_id=entry.get("GdsId"),
        serial_no=None,
        serial_number=None,
        serial_record=None,
        version=entry.get("Version"),
        problems=list(entry.get("Problems", [])),
        resources=None,
        revisions=None,
    )
    if entry.get("SerialNumber") is not None:
        facts["serial_record"] = dict(restore_count=entry.get("RestoreCount"),
                                      serial_number=entry["SerialNumber"])
    if not facts["attached"]:
        return facts
    rc, info, err = run_json(module, ["board", "info", str(entry["Board"]), "--json"])
    if rc != 0 or info is None:
        module.warn("board %d: %s" % (entry["Board"], last_error_line(err) or "ruvacfg board info failed"))
        return facts
    facts["serial_no"] = info.get("SerialNo")
    facts["serial_number"] = info.get("SerialNumber")
    facts["resources"] = dict((snake_case(k), info.get(k)) for k in RESOURCES)
    facts["revisions"] = info.get("Revisions")
    return facts


def main():
    module = AnsibleModule(argument_spec=dict(ruvacfg=dict(type="path")), supports_check_mode=True)
    rc, survey, err = run_json(module, ["board", "list", "--json"])
    if survey is None:
        module.fail_json(msg=last_error_line(err) or "ruvacfg printed no result", rc=rc, stderr=err)
    if rc != 0:
        module.warn("ruvacfg board list: %s" % (last_error_line(err) or "a value could not be read"))
    ruva2 = dict(
        driver=dict((snake_case(k), survey.get(k)) for k in SHARED),
        boards=[board_facts(module, entry) for entry in survey.get("Boards", [])],
    )
    module.exit_json(changed=False, ansible_facts=dict(ruva2=ruva2))


if __name__ == "__main__":
    main()

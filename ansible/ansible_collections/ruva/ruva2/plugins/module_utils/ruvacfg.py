# What the modules share: finding ruvacfg and running one of its commands that prints a JSON object.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import re


def ruvacfg_path(module):
    """The ruvacfg given by the module's option, else the one on PATH (failing the module without)."""
    return module.params.get("ruvacfg") or module.get_bin_path("ruvacfg", required=True)


def run_json(module, args):
    """Runs ruvacfg with args; its exit status, its JSON object (None when it printed none) and stderr."""
    rc, out, err = module.run_command([ruvacfg_path(module)] + args)
    try:
        report = json.loads(out) if out.strip() else None
    except ValueError:
        report = None
    if report is not None and not isinstance(report, dict):
        report = None
    return rc, report, err


def last_error_line(err):
    """The last line ruvacfg printed on the error stream, without its kind's prefix."""
    lines = [line for line in err.splitlines() if line.strip()]
    if not lines:
        return None
    return re.sub(r"^(error|warning|note): ", "", lines[-1])


def snake_case(name):
    """A ruvacfg JSON key as Ansible results spell keys: HostIoWindowOffset -> host_io_window_offset."""
    return re.sub(r"([a-z0-9])([A-Z])", r"\1_\2", name).lower()

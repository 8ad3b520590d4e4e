# A test-only connection: a "Windows host" in a Wine prefix of its own, whose commands run in cmd as on
# an SSH server with cmd as its shell: cmd.exe /c and the command line exactly, the standard input and
# the exit code passed through. The tests put this folder on ANSIBLE_CONNECTION_PLUGINS.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
name: wine
short_description: Run a Windows host's commands with cmd in a Wine prefix
description:
  - Runs each command line as C(cmd.exe /c LINE) in the host's Wine prefix, for the tests.
options:
  wine_prefix:
    description: The host's Wine prefix.
    required: true
    vars:
      - name: ansible_wine_prefix
  wine_launcher:
    description:
      - C(cmdline.exe), which starts C(cmd.exe /c) with the line from C(RUVA2_CMDLINE) unchanged; wine
        itself would quote the line and escape its quotes when passing it as an argument.
    required: true
    vars:
      - name: ansible_wine_launcher
"""

import os
import subprocess

from ansible.errors import AnsibleError
from ansible.plugins.connection import ConnectionBase


class Connection(ConnectionBase):
    transport = "wine"
    has_pipelining = False
    _shell_type = "cmd"

    def _connect(self):
        self._connected = True
        return self

    def exec_command(self, cmd, in_data=None, sudoable=True):
        super(Connection, self).exec_command(cmd, in_data=in_data, sudoable=sudoable)
        env = dict(os.environ, WINEPREFIX=self.get_option("wine_prefix"), WINEDEBUG="-all", RUVA2_CMDLINE=cmd)
        run = subprocess.run(["wine", self.get_option("wine_launcher")], input=in_data or b"",
                             capture_output=True, env=env)
        return run.returncode, run.stdout, run.stderr

    def put_file(self, in_path, out_path):
        raise AnsibleError("the wine connection copies no files")

    def fetch_file(self, in_path, out_path):
        raise AnsibleError("the wine connection copies no files")

    def close(self):
        self._connected = False

# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# The options and notes that every module of the collection shares: which ruvacfg runs on the host,
# and for how long at most.

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  ruvacfg:
    description:
      - The ruvacfg program on the host. By default C(ruvacfg) on the PATH of a POSIX host; on a Windows
        host the C(ruvacfg.exe) in the folder that the installer's uninstall entry names, else in
        C(%ProgramFiles(x86)%\RuvasetW) or C(%ProgramFiles%\RuvasetW), looked up once per host for
        the play.
    type: str
  timeout:
    description:
      - The longest each ruvacfg run may take, in seconds; the task fails when it takes longer. C(0)
        waits without limit.
      - C(ruvacfg) keeps the limit itself on every host (its option C(--timeout)). At the limit it
        finishes or rolls back a board transfer under way, reports what the boards then hold, lets go of
        the board and ends, so nothing stays running, on Windows hosts too.
      - On a POSIX host that has C(timeout) (coreutils, BusyBox), that stops a C(ruvacfg) that is still
        running 210 seconds after its limit (a transfer under way takes at most 200 seconds, as each of its
        driver requests has its own deadline, and far less as a rule) and kills it 10 seconds later; only
        C(ruvacfg) itself is signalled (C(timeout --foreground)). The control node waits 230 seconds beyond
        the limit before it gives up.
      - From 0 to 1000000; a negative number is refused.
    type: int
    default: 60
requirements:
  - ruvacfg on the managed host, one that has the options C(--timeout) and C(--file-name) and writes several
    boards in one run (collection 2.1.0 on), and the Ruva-2 driver (or ruva2-sim) it talks to
notes:
  - An action plugin; the managed host needs no Python and no PowerShell modules.
  - C(ruvacfg) runs through the connection's own shell, a POSIX shell or, on Windows, C(cmd) or
    PowerShell; on a Windows host nothing else runs. Ansible's own Windows connections (WinRM, PSRP,
    SSH with a Windows shell type) run every command in PowerShell. The variable C(ruva2_shell)
    (C(sh), C(cmd) or C(powershell)) names the host's shell where the connection's shell type does not
    tell it, for example C(cmd) for an SSH server whose commands run in C(cmd) with
    C(ansible_shell_type=sh).
"""

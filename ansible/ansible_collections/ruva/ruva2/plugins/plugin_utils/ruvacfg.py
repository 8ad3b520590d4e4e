# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# Running ruvacfg on a managed host from an action plugin: the command line in the host's own shell
# (a POSIX shell, Windows cmd or PowerShell), the installed ruvacfg.exe on Windows (located once per host
# and play), a time limit that ruvacfg keeps itself on every host (--timeout; on a POSIX host `timeout`
# stands behind it), and ruvacfg's JSON read on the control node. The configuration goes to ruvacfg on
# its standard input (the file "-"); under PowerShell, which re-encodes what it pipes to a program, in a
# temporary file.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import base64
import fcntl
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import threading

from ansible import constants as C
from ansible.errors import AnsibleActionFail
from ansible.module_utils.common.text.converters import to_bytes, to_text
from ansible.plugins.action import ActionBase
from ansible.utils.collection_loader import resource_from_fqcr

# Where the installer records its folder: the 32-bit view first (the program is 32-bit), then the native one.
UNINSTALL_KEYS = (
    r"HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\RuvasetW",
    r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\RuvasetW",
)
SHELLS = ("sh", "cmd", "powershell")
# Ansible's own Windows connections run every command through PowerShell, whatever the shell type says.
POWERSHELL_CONNECTIONS = ("ssh", "winrm", "psrp")
# The closing messages of a write, by identity: its outcome, not something the operator has to be warned about.
CLOSING_MESSAGES = ("saved_to_board", "save_unchanged")
STDIN = "-"
# What a ruvacfg at its time limit has to finish or roll back a board transfer before it ends (on a POSIX
# host `timeout` kills it then). The control node waits for that, twice.
STOP_GRACE = 10
# The exit status of ruvacfg at its time limit (and of `timeout` for a command it stopped), and of one
# that `timeout` killed after the grace.
STOPPED = (124, 128 + 9)

COMMON_OPTIONS = dict(
    ruvacfg=dict(type="str"),
    timeout=dict(type="int", default=60),
)

_CMD_SPECIAL = re.compile(r'[\s"^&|<>()%!,;=]')


def cmd_quote(arg):
    """One argument for cmd.exe and then the program's own command-line parser: quoted for the program
    (backslashes before a quote doubled), and every character cmd would act on escaped with ^, the
    quotes included, so that cmd sees no quoted part and expands no variable."""
    if arg and not _CMD_SPECIAL.search(arg):
        return arg
    quoted = re.sub(r'(\\*)"', r'\1\1\\"', arg)
    quoted = re.sub(r"(\\+)$", r"\1\1", quoted)
    return '^"' + re.sub(r'([\^&|<>()%!"])', r"^\1", quoted) + '^"'


def ps_quote(arg):
    return "'" + arg.replace("'", "''") + "'"


def host_shell(connection, shell):
    """The shell that runs our command line on the host: `shell` (the variable ruva2_shell) when set,
    else what the connection's shell plugin is, PowerShell for Ansible's own Windows connections."""
    if shell:
        if shell not in SHELLS:
            raise AnsibleActionFail("ruva2_shell must be one of %s, not %r" % (", ".join(SHELLS), shell))
        return shell
    family = getattr(connection._shell, "SHELL_FAMILY", "sh")
    if family == "cmd" and resource_from_fqcr(connection.transport) in POWERSHELL_CONNECTIONS:
        return "powershell"
    return family if family in SHELLS else "sh"


def command_line(shell, program, args, env, data=None, timeout=0):
    """The command line that runs `program` with `args` and the environment `env`, and what goes to its
    standard input. With `data`, the configuration for a FILE argument "-" in args. A POSIX shell stops
    the program after `timeout` seconds where the host has `timeout`."""
    if shell == "powershell":
        lines = ["$env:%s = %s" % (k, ps_quote(v)) for k, v in env.items()]
        quoted = ["$f" if a == STDIN and data is not None else ps_quote(a) for a in args]
        call = "& " + " ".join([ps_quote(program)] + quoted)
        if data is None:
            return "\n".join(lines + [call, "exit $LASTEXITCODE"]), None
        lines += [
            "$f = [IO.Path]::GetTempFileName()",
            "try {",
            "[IO.File]::WriteAllBytes($f, [Convert]::FromBase64String((@($input) -join '')))",
            call,
            "$rc = $LASTEXITCODE",
            "} finally { Remove-Item -LiteralPath $f -Force -ErrorAction SilentlyContinue }",
            "exit $rc",
        ]
        return "\n".join(lines), base64.b64encode(data)
    if shell == "cmd":
        # The line never starts with a quote, which cmd /c would strip together with the last one.
        prefix = "".join('set "%s=%s"&& ' % (k, v) for k, v in env.items()) or "@"
        return prefix + '"%s" ' % program + " ".join(cmd_quote(a) for a in args), data
    prefix = "".join("%s=%s " % (k, shlex.quote(v)) for k, v in env.items())
    if timeout:
        prefix = ('if command -v timeout >/dev/null 2>&1; then set -- timeout -k %d %d; else set --; fi; %s"$@" '
                  % (STOP_GRACE, timeout, prefix))
    return prefix + " ".join(shlex.quote(a) for a in [program] + list(args)), data


def locate_command(shell):
    """A command that prints where the installer put ruvacfg.exe, and the Program Files folders."""
    if shell == "powershell":
        return "\n".join(["reg query %s /v InstallLocation 2>$null" % ps_quote(k) for k in UNINSTALL_KEYS]
                         + ['"ProgramFiles(x86)=${env:ProgramFiles(x86)}"', '"ProgramFiles=$env:ProgramFiles"'])
    return " & ".join(['reg query "%s" /v InstallLocation 2>nul' % k for k in UNINSTALL_KEYS]
                      + ["echo ProgramFiles(x86)=%ProgramFiles(x86)%", "echo ProgramFiles=%ProgramFiles%"])


def located_program(output):
    """ruvacfg.exe in the folder the uninstall entry names, else in Program Files (x86) or Program Files."""
    match = re.search(r"^\s*InstallLocation\s+REG_SZ\s+(.*?)\s*$", output, re.M)
    if match and match.group(1):
        return match.group(1).rstrip("\\") + "\\ruvacfg.exe"
    for name in ("ProgramFiles(x86)", "ProgramFiles"):
        match = re.search(r"^%s=(.*?)\s*$" % re.escape(name), output, re.M)
        if match and match.group(1) and "%" not in match.group(1):
            return match.group(1).rstrip("\\") + "\\RuvasetW\\ruvacfg.exe"
    return r"C:\Program Files\RuvasetW\ruvacfg.exe"


def last_error_line(err):
    """The last line ruvacfg printed on the error stream, without its kind's prefix."""
    lines = [line for line in to_text(err).splitlines() if line.strip()]
    if not lines:
        return None
    return re.sub(r"^(error|warning|note): ", "", lines[-1].strip())


def snake_case(name):
    """A ruvacfg JSON key as Ansible results spell keys: HostIoWindowOffset -> host_io_window_offset."""
    return re.sub(r"([a-z0-9])([A-Z])", r"\1_\2", name).lower()


def remembered(kind, key, compute):
    """compute(), a JSON value, once per key for the run of Ansible: its workers (one per host and task)
    share its temporary folder on the control node, and the first to ask computes while the others
    wait. An exception leaves nothing remembered."""
    folder = os.path.join(C.DEFAULT_LOCAL_TMP, "ruva2-" + kind)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, hashlib.sha256(to_bytes(key)).hexdigest())
    with open(path + ".lock", "ab") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            with open(path) as f:
                return json.load(f)["value"]
        except (OSError, ValueError, KeyError):
            pass
        value = compute()
        fd, temporary = tempfile.mkstemp(dir=folder)
        with os.fdopen(fd, "w") as f:
            json.dump({"value": value}, f)
        os.replace(temporary, path)
        return value


def play_id(task):
    """What tells the task's play from the run's other plays."""
    while task is not None:
        play = getattr(task, "_play", None)
        if play is not None:
            return play._uuid
        task = getattr(task, "_parent", None)
    return ""


def on_host(task_vars, text):
    """A warning made distinct per host: Ansible prints a warning that it has printed already only once."""
    return "%s (host %s)" % (text, task_vars.get("inventory_hostname", "?"))


def control_node_check(data, name, sections):
    """The configuration checked once for the run on the control node with its ruvacfg, for each of the
    sections to be written: None when it is sound or there is no ruvacfg here, else ruvacfg's message
    naming `name` (site.cfg:31: ...)."""
    program = shutil.which("ruvacfg")
    if program is None:
        return None

    def check():
        for section in sorted(set(sections)):
            run = subprocess.run([program, "check", STDIN, "--file-name", name, "--board", str(section)],
                                 input=data, capture_output=True, timeout=60)
            if run.returncode == 2:  # a ruvacfg without --file-name: the hosts' will check
                return None
            if run.returncode != 0:
                return last_error_line(run.stderr) or "ruvacfg check failed"
        return None
    key = "\0".join([program, name, ",".join(map(str, sorted(set(sections)))), hashlib.sha256(data).hexdigest()])
    return remembered("check", key, check)


class RuvacfgAction(ActionBase):
    """An action plugin that runs ruvacfg: its failures are the task's result, without the traceback
    of an exception that nobody raised."""
    TRANSFERS_FILES = False

    def run(self, tmp=None, task_vars=None):
        result = super(RuvacfgAction, self).run(tmp, task_vars)
        del tmp
        try:
            self.run_ruvacfg(result, task_vars)
        except AnsibleActionFail as e:
            result.update(e.result)
            result.pop("exception", None)
        return result


class Ruvacfg:
    """ruvacfg on the host of one task."""

    def __init__(self, action, task_vars, program, timeout):
        self.action = action
        self.shell = host_shell(action._connection, action._templar.template(task_vars.get("ruva2_shell")))
        env = {}
        action._compute_environment_string(env)
        self.env = dict((k, to_text(v)) for k, v in env.items())
        self.timeout = timeout
        self.program = program or ("ruvacfg" if self.shell == "sh" else None)
        # Where ruvacfg.exe is on this host stays so for the play.
        self.host_key = "\0".join([play_id(action._task), task_vars.get("inventory_hostname", ""), self.shell])

    def _execute(self, cmd, data):
        def run():
            if self.shell == "sh":
                return self.action._low_level_execute_command(cmd, in_data=data)
            # As it is: no /bin/sh around it and no become, which Windows hosts do not have.
            return self.action._low_level_execute_command(cmd, sudoable=False, in_data=data, executable=False)
        if not self.timeout:
            return run()
        done = {}

        def target():
            try:
                done["result"] = run()
            except Exception as e:  # handed on to the task's thread
                done["error"] = e

        worker = threading.Thread(target=target, daemon=True)
        worker.start()
        worker.join(self.timeout + 2 * STOP_GRACE)
        if worker.is_alive():
            raise AnsibleActionFail("ruvacfg did not finish within %d seconds (option timeout), nor stop %d seconds "
                                    "later; it may still run on the host" % (self.timeout, 2 * STOP_GRACE))
        if "error" in done:
            raise done["error"]
        return done["result"]

    def run_json(self, args, data=None):
        """Runs ruvacfg with args; its exit status, its JSON object (None when it printed none) and its
        error stream."""
        if self.program is None:
            self.program = remembered("location", self.host_key, lambda: located_program(
                to_text(self._execute(locate_command(self.shell), None)["stdout"])))
        if self.timeout:
            args = ["--timeout", str(self.timeout)] + list(args)
        cmd, in_data = command_line(self.shell, self.program, args, self.env, data, self.timeout)
        result = self._execute(cmd, in_data)
        if self.timeout and result.get("rc") in STOPPED:
            raise AnsibleActionFail("ruvacfg did not finish within %d seconds and was stopped (option timeout)"
                                    % self.timeout)
        out = result.get("stdout", "")
        try:
            report = json.loads(out) if out.strip() else None
        except ValueError:
            report = None
        if not isinstance(report, dict):
            report = None
        return result.get("rc", 1), report, result.get("stderr", "")

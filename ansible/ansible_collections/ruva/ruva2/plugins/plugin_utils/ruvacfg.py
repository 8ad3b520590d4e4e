# Copyright: RuvasetW developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# Running ruvacfg on a managed host from an action plugin: the command line in the host's own shell
# (a POSIX shell, Windows cmd or PowerShell), the installed ruvacfg.exe on Windows (located once per host
# and play), a time limit that ruvacfg keeps itself on every host (--timeout; on a POSIX host `timeout`
# stands behind it), and ruvacfg's JSON read on the control node, errors included: over SSH with a
# terminal (Ansible's -tt when nothing goes to the standard input) the error stream arrives merged into
# the output, and only ssh's own "Shared connection to ... closed." on the error stream. The
# configuration goes to ruvacfg on its standard input (the file "-"); under PowerShell, which re-encodes
# what it pipes to a program, in a temporary file.

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
import time

from ansible import constants as C
from ansible import context
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
# How long a board transfer that runs when ruvacfg's time limit falls may take to finish or roll back:
# ruvacfg(1) bounds it by its driver requests, at most 20 of at most 10 s each (200 s, reached only when
# every request is answered just before its deadline; about 10 s when the device stops answering), and
# this leaves 10 s more. On a POSIX host `timeout` stops ruvacfg only that long after its own limit, so
# that no save is cut. Tests alone shorten it (RUVA_TEST_TRANSFER_BOUND), to see a stuck ruvacfg stopped.
TRANSFER_BOUND = int(os.environ.get("RUVA_TEST_TRANSFER_BOUND", "210"))
# How long `timeout` waits after its SIGTERM before it kills ruvacfg. The control node waits for the
# limit, the transfer bound and twice this before it gives up on the host.
STOP_GRACE = 10
# The exit status of ruvacfg at its time limit (and of `timeout` for a command it stopped), and of one
# that `timeout` killed after the grace.
STOPPED = (124, 128 + 9)
# The longest time limit ruvacfg takes (--timeout).
MAX_TIMEOUT = 1000000
# How long appending to a file on the control node waits for another program's lock of it.
LOCK_WAIT = 60

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
        # GNU timeout signals the process group unless --foreground (ruvacfg holds every signal until a
        # transfer under way has ended); BusyBox's signals the program alone and has no --foreground.
        # Either stops ruvacfg only once a transfer under way at its own limit has had its time.
        outer = (STOP_GRACE, timeout + TRANSFER_BOUND)
        prefix = ('if timeout --foreground -k 1 1 true 2>/dev/null; then set -- timeout --foreground -k %d %d; '
                  'elif timeout -k 1 1 true 2>/dev/null; then set -- timeout -k %d %d; else set --; fi; %s"$@" '
                  % (outer + outer + (prefix,)))
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


# What ssh adds when a session on a terminal ends.
_SSH_CLOSED = re.compile(r"^(Shared connection|Connection) to \S+ closed\.$")


def last_error_line(text):
    """The last line of ruvacfg's messages, without its kind's prefix (ssh's own closing line skipped)."""
    lines = [line.strip() for line in to_text(text).splitlines() if line.strip()]
    lines = [line for line in lines if not _SSH_CLOSED.match(line)]
    if not lines:
        return None
    return re.sub(r"^(error|warning|note): ", "", lines[-1])


def split_output(out):
    """ruvacfg's JSON object in its output (None when there is no whole one), and the output's other
    text: its messages, where the error stream was merged into the output. The object starts a line;
    its inner lines are indented."""
    text = to_text(out)
    decoder = json.JSONDecoder()
    for match in re.finditer(r"(?m)^\{", text):
        try:
            value, end = decoder.raw_decode(text, match.start())
        except ValueError:
            continue
        if isinstance(value, dict):
            return value, text[:match.start()] + text[end:]
    return None, text


def error_of(report, messages, default):
    """Why a ruvacfg run failed: the Error of its JSON object, else the last line of its messages."""
    return (report or {}).get("Error") or last_error_line(messages) or default


_LOAD_ERROR = re.compile(r"^Error near line (\d+): (.*) \(in Configuration File (.*)\)$", re.S)
_NO_SECTION = re.compile(r"^Configuration File (.*) has no settings for board (\d)\.$", re.S)


def file_message(text):
    """A board command's message about a configuration file in the form `ruvacfg check` gives it
    (site.cfg:31: syntax error), so that it reads the same whether the control node or the host found it."""
    match = _LOAD_ERROR.match(text or "")
    if match:
        return "%s:%s: %s" % (match.group(3), match.group(1), match.group(2))
    match = _NO_SECTION.match(text or "")
    if match:
        return "%s: no settings for board %s" % match.groups()
    return text


def append_lines(path, data):
    """Appends the bytes `data` (whole lines) to the file `path`, made when missing, under an exclusive
    lock of the file (flock), so that runs at once lose nothing and never mix their lines: one append at
    the file's end, whatever its size. A last line left without its end (a run that was cut off) is
    ended first. Waits up to LOCK_WAIT seconds for another program's lock."""
    fd = os.open(path, os.O_RDWR | os.O_APPEND | os.O_CREAT | getattr(os, "O_CLOEXEC", 0), 0o644)
    try:
        deadline = time.monotonic() + LOCK_WAIT
        while True:
            try:
                fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
                break
            except BlockingIOError:
                if time.monotonic() > deadline:
                    raise OSError("another program has kept it locked for %d seconds" % LOCK_WAIT)
                time.sleep(0.05)
        size = os.fstat(fd).st_size
        if size and os.pread(fd, 1, size - 1) != b"\n":
            data = b"\n" + data
        view = memoryview(data)
        while view:
            view = view[os.write(fd, view):]
        os.fsync(fd)
    finally:
        os.close(fd)


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


def operator_folders():
    """Where the operator keeps the files of this run of ansible-playbook: the folder of each playbook it
    was given by its path, and the current folder for one given by its collection name."""
    folders = []
    for playbook in context.CLIARGS.get("args") or ():
        folder = os.path.dirname(os.path.abspath(playbook)) if os.path.isfile(playbook) else os.getcwd()
        if folder not in folders:
            folders.append(folder)
    return folders


class RuvacfgAction(ActionBase):
    """An action plugin that runs ruvacfg: its failures are the task's result, without the traceback
    of an exception that nobody raised."""
    TRANSFERS_FILES = False

    def validated(self, spec, **kwargs):
        """The task's arguments, checked against `spec` and the options that every module shares."""
        _, args = self.validate_argument_spec(spec, **kwargs)
        if not 0 <= args["timeout"] <= MAX_TIMEOUT:
            raise AnsibleActionFail("timeout must be a number of seconds from 1 to %d, or 0 for no limit; not %d"
                                    % (MAX_TIMEOUT, args["timeout"]))
        return args

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
        grace = TRANSFER_BOUND + 2 * STOP_GRACE
        worker.join(self.timeout + grace)
        if worker.is_alive():
            raise AnsibleActionFail("ruvacfg did not finish within %d seconds (option timeout), nor stop %d seconds "
                                    "later; it may still run on the host" % (self.timeout, grace))
        if "error" in done:
            raise done["error"]
        return done["result"]

    def stopped(self):
        return "ruvacfg did not finish within %d seconds and was stopped (option timeout)" % self.timeout

    def run_json(self, args, data=None, result_at_limit=False):
        """Runs ruvacfg with args; its exit status, its JSON object (None when it printed no whole one)
        and its messages. A run that the time limit ended fails, unless `result_at_limit` and it printed
        its whole result."""
        if self.program is None:
            self.program = remembered("location", self.host_key, lambda: located_program(
                to_text(self._execute(locate_command(self.shell), None)["stdout"])))
        if self.timeout:
            args = ["--timeout", str(self.timeout)] + list(args)
        cmd, in_data = command_line(self.shell, self.program, args, self.env, data, self.timeout)
        result = self._execute(cmd, in_data)
        report, messages = split_output(result.get("stdout", ""))
        if self.timeout and result.get("rc") in STOPPED and (report is None or not result_at_limit):
            raise AnsibleActionFail(self.stopped())
        return result.get("rc", 1), report, messages + to_text(result.get("stderr", ""))

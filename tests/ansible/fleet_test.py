#!/usr/bin/env python3
"""The collection ruva.ruva2 under the real ansible-playbook, one scenario on two kinds of hosts, three
of each: Linux hosts on this machine (connection local), each with its own runtime directory and its own
ruva2-sim state, and "Windows hosts", each a Wine prefix of its own (connection wine, shell cmd) where
the program was installed with its installer's /S, on simulated boards of its own (RUVA2_SIMULATOR).

    fleet_test.py --ruvacfg PATH --sim PATH --source DIR [FleetTest|CollectionTest|ShellTest]
    fleet_test.py --setup SETUP.EXE --launcher CMDLINE.EXE --work DIR --sim RUVA2-SIM.EXE --source DIR WineFleetTest
"""

import argparse
import contextlib
import hashlib
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None
HOSTS = ("pc1", "pc2", "pc3")
# Board 1's serial number on each host, and as the serial number dialog shows it.
SERIALS = {"pc1": (0x2345, "9803069"), "pc2": (0x3456, "9904086"), "pc3": (0x4567, "10005103")}
# Where a Windows host's program is installed when not in Program Files: found by the uninstall entry only.
# The folder as words: wine would quote an argument with spaces, and the installer takes /D= unquoted.
INSTALL_FOLDERS = {"pc2": ["/D=C:\\Boards", "&", "Tools\\Ruva"]}
RECAP = re.compile(r"^(\S+)\s*: ok=(\d+)\s+changed=(\d+)\s+unreachable=(\d+)\s+failed=(\d+)", re.M)


COLLECTION = None  # the collection's folder, set with ARGS


def galaxy_version():
    with open(os.path.join(COLLECTION, "galaxy.yml")) as f:
        return re.search(r"(?m)^version: (\S+)", f.read()).group(1)


def board_file(board, values):
    """The fresh simulator's board 0 as a configuration file for `board`, with new values for keys."""
    with open(os.path.join(ARGS.source, "tests", "data", "tools", "sim-board0.cfg"), newline="") as f:
        text = f.read().replace("BOARD 0", "BOARD %d" % board)
    for key, value in values.items():
        text, count = re.subn(r"( %s += )\w+" % key, r"\g<1>" + value, text, count=1)
        assert count == 1, key
    return text


def processes_of(program, variable, value):
    """The processes running `program` (ruvacfg, ruvacfg.exe) whose environment has variable=value."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                argv0 = f.read().split(b"\0")[0].decode(errors="replace")
            with open("/proc/%s/environ" % pid, "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if re.split(r"[/\\]", argv0)[-1].lower() == program and ("%s=%s" % (variable, value)).encode() in environ:
            found.append(int(pid))
    return found


def settings_of(board):
    """Three of a simulated board's settings that the tests' file changes."""
    return board["Clock"], board["BoardInfo"]["HdlcStartAddress"], board["Image"]["Li0"]["T1"]["FrameFormat"]


class Host:
    """One managed host: a directory with its simulated boards' state and its files."""

    def __init__(self, root, name):
        self.name = name
        self.dir = os.path.join(root, name)
        self.state = os.path.join(self.dir, "state.json")
        self.vars = {}
        os.makedirs(self.dir, mode=0o700)

    def read_state(self):
        with open(self.state) as f:
            return f.read()

    def write_state(self, state):
        with open(self.state, "w") as f:
            json.dump(state, f)

    def board(self, index):
        return json.loads(self.read_state())["Boards"][index]

    def change(self, change):
        """The boards as `change` leaves them."""
        state = json.loads(self.read_state())
        change(state["Boards"])
        self.write_state(state)


class SimHost(Host):
    """A Linux host: ruva2-sim in a runtime directory of its own, reached through the device socket."""

    def __init__(self, root, name):
        super().__init__(root, name)
        self.runtime = os.path.join(self.dir, "run")
        self.environment = {"XDG_RUNTIME_DIR": self.runtime}
        self.pid = None
        os.makedirs(self.runtime, mode=0o700)

    def start(self):
        env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        run = subprocess.run([ARGS.sim, "--state", self.state], env=env, capture_output=True, text=True,
                             timeout=30)
        match = re.search(r"running as process (\d+)", run.stdout)
        if run.returncode != 0 or not match:
            raise RuntimeError("%s: ruva2-sim did not start: %s%s" % (self.name, run.stdout, run.stderr))
        self.pid = int(match.group(1))

    def stop(self):
        if self.pid is None:
            return
        os.kill(self.pid, signal.SIGTERM)
        for _ in range(200):
            try:
                os.kill(self.pid, 0)
            except ProcessLookupError:
                break
            time.sleep(0.05)
        self.pid = None

    def change(self, change):
        """The simulator restarted on the state as `change` leaves it."""
        self.stop()
        super().change(change)
        self.start()

    @contextlib.contextmanager
    def without_driver(self):
        self.stop()
        try:
            yield
        finally:
            self.start()

    @contextlib.contextmanager
    def stopped_simulator(self):
        """Its simulator stopped (it answers nothing); the playbook's options for that."""
        os.kill(self.pid, signal.SIGSTOP)
        try:
            yield []
        finally:
            os.kill(self.pid, signal.SIGCONT)

    def ruvacfg_running(self):
        return processes_of("ruvacfg", "XDG_RUNTIME_DIR", self.runtime)


class WineHost(Host):
    """A Windows host: a Wine prefix of its own, a copy of the prepared one, where the installer installs
    the program; ruvacfg.exe runs there on the state file (RUVA2_SIMULATOR) in process."""

    def __init__(self, root, name):
        super().__init__(root, name)
        self.prefix = os.path.join(self.dir, "prefix")
        self.wine_env = dict(os.environ, WINEPREFIX=self.prefix)
        self.vars = {"ansible_wine_prefix": self.prefix}
        self.environment = {"RUVA2_SIMULATOR": "Z:" + self.state.replace("/", "\\")}  # Wine's Z: is /

    def start(self):
        """The host's prefix made, its Wine server started (it stays until 30 s after the host's last
        command), and the installer, silently."""
        return install_in_prefix(self.prefix, wine_prefix(), INSTALL_FOLDERS.get(self.name, []))

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.wine_env)
        subprocess.run(["wineserver", "-w"], env=self.wine_env)

    @contextlib.contextmanager
    def without_driver(self):
        """A folder where the simulated boards' state belongs: they cannot be used (Error #52)."""
        os.rename(self.state, self.state + ".away")
        os.mkdir(self.state)
        try:
            yield
        finally:
            os.rmdir(self.state)
            os.rename(self.state + ".away", self.state)

    @contextlib.contextmanager
    def stopped_simulator(self):
        """The board device of the stand-in driver, served by a ruva2-sim.exe that is stopped (it answers
        nothing), without RUVA2_SIMULATOR: the host for the while a 32-bit Windows (where the 32-bit
        stand-in installs) in a prefix of its own; the playbook's options for that."""
        prefix, log = os.path.join(self.dir, "prefix32"), os.path.join(self.dir, "standin.log")
        env = dict(self.wine_env, WINEPREFIX=prefix)
        install_in_prefix(prefix, wine_prefix("win32")).wait(timeout=300)
        with open(log, "w") as out:
            for command in ([ARGS.sim, "--install-driver"], [ARGS.sim, "--state", "Z:" + self.state.replace("/", "\\")
                                                             + ".standin.json"]):
                subprocess.run(["wine"] + command, env=env, stdin=subprocess.DEVNULL, stdout=out,
                               stderr=subprocess.STDOUT, timeout=120)
        served = processes_of("ruva2-sim.exe", "WINEPREFIX", prefix)
        assert served, open(log).read()
        for pid in served:
            os.kill(pid, signal.SIGSTOP)
        self.ruvacfg_running = lambda: processes_of("ruvacfg.exe", "WINEPREFIX", prefix)
        try:
            yield ["-e", json.dumps({"ruva2_environment": {}, "ansible_wine_prefix": prefix})]
        finally:
            for pid in served:
                os.kill(pid, signal.SIGCONT)
            subprocess.run(["wineserver", "-k"], env=env)


def install_in_prefix(prefix, template, folder=()):
    """Copies the prepared prefix `template` (the Windows system's files, which nothing here writes to, as
    hard links; the rest, registry and settings, as copies), starts its Wine server, which stays until
    30 s after the last command, and the installer, silently: its process."""
    def link_or_copy(source, target):
        if os.path.relpath(source, template).startswith("drive_c/windows/") and not source.endswith(".ini"):
            os.link(source, target)
        else:
            shutil.copy2(source, target)
    shutil.copytree(template, prefix, symlinks=True, copy_function=link_or_copy)
    env = dict(os.environ, WINEPREFIX=prefix)
    subprocess.run(["wineserver", "-p30"], env=env, check=True)
    return subprocess.Popen(["wine", ARGS.setup, "/S"] + list(folder), env=env)


def wine_prefix(arch=None):
    """The prepared Wine prefix (of Wine's default architecture, else `arch`), made once and kept in the
    work folder."""
    prefix = os.path.join(ARGS.work, "wineprefix" + (arch or ""))
    if not os.path.exists(os.path.join(prefix, "ready")):
        shutil.rmtree(prefix, ignore_errors=True)
        env = dict(os.environ, WINEPREFIX=prefix, WINEDLLOVERRIDES="mscoree,mshtml=")  # no .NET, no browser
        if arch:
            env["WINEARCH"] = arch
        subprocess.run(["wine", "wineboot", "-i"], env=env, check=True, capture_output=True, timeout=300)
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=60)
        open(os.path.join(prefix, "ready"), "w").close()
    return prefix


@contextlib.contextmanager
def ssh_server(folder):
    """sshd on 127.0.0.1 at a free port, with a host key, configuration and client key of its own, for root:
    the inventory variables of Ansible's ssh connection to it, as Linux PCs are reached. Afterwards sshd
    and Ansible's shared connections to it end."""
    sshd = "/usr/sbin/sshd"  # by its full path, which it needs to run
    if os.geteuid() != 0 or not os.access(sshd, os.X_OK):
        raise unittest.SkipTest("sshd runs only as root, from %s (Debian's openssh-server)" % sshd)
    at = lambda name: os.path.join(folder, "sshd", name)
    os.makedirs(at("cp"), mode=0o700)
    for name in ("host", "client"):
        subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", at(name)], check=True)
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    with open(at("host.pub")) as key, open(at("known_hosts"), "w") as known, open(at("sshd_config"), "w") as config:
        known.write("[127.0.0.1]:%d %s\n" % (port, " ".join(key.read().split()[:2])))
        config.write("ListenAddress 127.0.0.1:%d\nHostKey %s\nAuthorizedKeysFile %s\nPidFile %s\nUsePAM no\n"
                     "StrictModes no\n" % (port, at("host"), at("client.pub"), at("pid")))
    made = not os.path.isdir("/run/sshd")  # sshd's privilege separation folder
    os.makedirs("/run/sshd", mode=0o755, exist_ok=True)
    with open(at("log"), "w") as log:
        server = subprocess.Popen([sshd, "-D", "-e", "-f", at("sshd_config")], stderr=log)
    try:
        for _ in range(100):
            with socket.socket() as client:
                if server.poll() is not None or client.connect_ex(("127.0.0.1", port)) == 0:
                    break
            time.sleep(0.1)
        assert server.poll() is None, open(at("log")).read()
        yield {"ansible_connection": "ssh", "ansible_host": "127.0.0.1", "ansible_port": port,
               "ansible_user": "root", "ansible_ssh_private_key_file": at("client"), "ansible_control_path_dir": at("cp"),
               "ansible_ssh_common_args": "-F /dev/null -o UserKnownHostsFile=" + at("known_hosts")}
    finally:
        for master in os.listdir(at("cp")):
            subprocess.run(["ssh", "-o", "ControlPath=" + at("cp/" + master), "-O", "exit", "127.0.0.1"],
                           capture_output=True, timeout=30)
        server.terminate()
        server.wait(timeout=30)
        if made:
            shutil.rmtree("/run/sshd", ignore_errors=True)


def ansible_env(root):
    """ansible's environment: its configuration, home and temporary files under root, the collection from
    the source tree, the Wine connection, and the ruvacfg under test first on the PATH."""
    env = dict(os.environ)
    env.update({
        "ANSIBLE_CONFIG": os.path.join(root, "ansible.cfg"),
        "ANSIBLE_HOME": os.path.join(root, "ansible-home"),
        "ANSIBLE_LOCAL_TEMP": os.path.join(root, "ansible-tmp"),
        "ANSIBLE_REMOTE_TEMP": os.path.join(root, "ansible-tmp"),
        "ANSIBLE_COLLECTIONS_PATH": os.path.join(ARGS.source, "ansible"),
        "ANSIBLE_COLLECTIONS_SCAN_SYS_PATH": "false",
        "ANSIBLE_CONNECTION_PLUGINS": os.path.join(ARGS.source, "tests", "ansible", "wine"),
        "ANSIBLE_NOCOLOR": "1",
    })
    if ARGS.ruvacfg:
        env["PATH"] = os.path.dirname(ARGS.ruvacfg) + os.pathsep + os.environ.get("PATH", "")
    env.pop("XDG_RUNTIME_DIR", None)
    with open(env["ANSIBLE_CONFIG"], "w") as f:
        f.write("[defaults]\ninventory = %s\nforks = 3\nretry_files_enabled = False\n"
                % os.path.join(root, "inventory.yml"))
    return env


class Fleet:
    """The scenario on three hosts of one kind: KIND, their Host class, and connection(), their variables."""

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="ruva2-fleet-", dir=ARGS.work)
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.env = ansible_env(self.root)
        self.hosts = {name: self.KIND(self.root, name) for name in HOSTS}
        inventory = {"pcs": {"hosts": {}, "vars": self.connection()}}
        started = []
        for name, host in self.hosts.items():
            serial = SERIALS[name][0]
            host.write_state({"Boards": [{}, {"SerialRecord": {"SerialNumber": serial},
                                              "Image": {"SerialNumber": serial}}],
                              "ErrorTexts": {"7": "Board busy"}})
            self.addCleanup(host.stop)
            started.append(host.start())
            inventory["pcs"]["hosts"][name] = dict(host.vars, ruva2_environment=host.environment,
                                                   facts_file=os.path.join(host.dir, "facts.json"))
        for process in filter(None, started):
            self.assertEqual(process.wait(timeout=300), 0, "the installer failed")
        self.write("inventory.yml", json.dumps(inventory))

    def write(self, name, text):
        path = os.path.join(self.root, name)
        with open(path, "w", newline="") as f:
            f.write(text)
        return path

    def playbook(self, playbook, *options):
        run = subprocess.run(["ansible-playbook", playbook] + list(options), env=self.env, cwd=self.root,
                             capture_output=True, text=True, timeout=300)
        return run, {m.group(1): {"changed": int(m.group(3)), "failed": int(m.group(5))}
                     for m in RECAP.finditer(run.stdout)}

    def adhoc(self, host, module, args, *options, env=None):
        """`ansible HOST -m MODULE -a ARGS`: the run and the task's result."""
        run = subprocess.run(["ansible", host, "-m", module, "-a", json.dumps(args)] + list(options),
                             env=env or self.env, cwd=self.root, capture_output=True, text=True, timeout=300)
        match = re.search(r"=> (\{.*\})", run.stdout, re.S)
        return run, json.loads(match.group(1)) if match else {}

    def states(self):
        return {name: host.read_state() for name, host in self.hosts.items()}

    def test_one_file_to_every_host(self):
        apply = os.path.join(ARGS.source, "tests", "ansible", "apply.yml")
        config = self.write("board1.cfg", board_file(1, {"ClockSource": "LI1", "FrameFormat": "F72",
                                                         "HdlcStartAddress": "0x8800"}))
        backups = os.path.join(self.root, "backups")
        settings = ["-e", "board=1", "-e", "config=" + config, "-e", "backup=true", "-e", "backup_dir=" + backups]
        every = lambda changed: {name: {"changed": changed, "failed": 0} for name in HOSTS}

        # A fault in the file is found once, before any host is touched, on the control node where it has
        # ruvacfg, else on each host; the error names the file as given, and its line.
        bad = self.write("site.cfg", board_file(1, {"TransmitLineCode": "HDB4"}))
        before = self.states()
        run, recap = self.playbook(apply, "-vvv", "-e", "board=1", "-e", "config=" + bad)
        self.assertEqual(recap, {name: {"changed": 0, "failed": 1} for name in HOSTS}, run.stdout + run.stderr)
        self.assertNotIn("An exception occurred", run.stdout)
        self.assertEqual(run.stdout.count('"msg": "%s:31: syntax error"' % bad), 3, run.stdout)
        if shutil.which("ruvacfg", path=self.env["PATH"]):
            self.assertNotIn("EXEC", run.stdout)
        self.assertEqual(self.states(), before)

        # Check mode reports the change, shows the changed lines and writes nothing.
        run, recap = self.playbook(apply, "--check", "--diff", *settings)
        self.assertEqual(recap, every(1), run.stdout + run.stderr)
        self.assertEqual(self.states(), before)
        self.assertFalse(os.path.exists(backups))
        for line in (r"-  ClockSource += INTERNAL", r"\+  ClockSource += LI1",
                     r"-  HdlcStartAddress += 0x9000", r"\+  HdlcStartAddress += 0x8800",
                     r"\+      FrameFormat += F72"):
            self.assertEqual(len(re.findall("^" + line + " *$", run.stdout, re.M)), 3, line)
        self.assertNotRegex(run.stdout, r"(?m)^[-+]\s*BOARD 1")

        # The first run changes every host and keeps one backup per host, the second changes none.
        run, recap = self.playbook(apply, *settings)
        self.assertEqual(recap, every(1), run.stdout + run.stderr)
        for name, host in self.hosts.items():
            self.assertEqual(settings_of(host.board(1)), ("LI1", "0x8800", "F72"), name)
        after = self.states()
        run, recap = self.playbook(apply, *settings)
        self.assertEqual(recap, every(0), run.stdout + run.stderr)
        self.assertEqual(self.states(), after)
        files = sorted(os.listdir(backups))
        self.assertEqual([f.split(".")[0] for f in files], ["%s_board1" % name for name in HOSTS])

        # Applying pc1's backup restores its board's settings.
        run, recap = self.playbook(apply, "--limit", "pc1", "-e", "board=1",
                                   "-e", "config=" + os.path.join(backups, files[0]))
        self.assertEqual(recap, {"pc1": {"changed": 1, "failed": 0}}, run.stdout + run.stderr)
        self.assertEqual(settings_of(self.hosts["pc1"].board(1)), ("INTERNAL", "0x9000", "ESF"))

        # One fixed backup file name for every host: no backup replaces another.
        fixed = os.path.join(self.root, "fixed")
        run, recap = self.playbook(apply, "-e", "board=0", "-e", "config=" + self.write("li0.cfg", board_file(
            0, {"ClockSource": "LI0"})), "-e", "backup=true", "-e", "backup_dir=" + fixed, "-e", "backup_name=before.cfg")
        self.assertEqual(recap, every(1), run.stdout + run.stderr)
        self.assertEqual(sorted(os.listdir(fixed)), ["before-2.cfg", "before-3.cfg", "before.cfg"])

        # A board that holds a value without a word is written all the same, but its settings would not
        # load again: no backup is kept, and the warning says why.
        self.hosts["pc2"].change(lambda boards: boards[1]["Image"]["Li1"]["E1"].update(TransmitLineCode=7))
        run, recap = self.playbook(apply, "--limit", "pc2", *settings)
        self.assertEqual(recap, {"pc2": {"changed": 1, "failed": 0}}, run.stdout + run.stderr)
        self.assertRegex(" ".join((run.stdout + run.stderr).split()),  # Ansible wraps warnings
                         r"WARNING\]: board 1: no backup: .*Transmit Line Code \(E1\)")
        self.assertEqual(len(os.listdir(backups)), len(files))

        # board_info returns every host's boards; pc1's board 1, whose board information cannot be read
        # (once), keeps the serial number that board list read; pc3's blank serial record is a warning.
        self.hosts["pc1"].change(lambda boards: boards[1].update(Faults={"ReadBoardInfo": {"Status": 7, "Count": 1}}))
        for name in ("pc1", "pc3"):  # the same warning for each, printed for each
            self.hosts[name].change(lambda boards: boards[0].update(SerialRecord={"SerialNumber": "0xFFFF"}))
        run, recap = self.playbook(os.path.join(ARGS.source, "tests", "ansible", "info.yml"))
        failed = {name: r["failed"] for name, r in recap.items()}
        self.assertEqual(failed, dict.fromkeys(HOSTS, 0), run.stdout + run.stderr)
        self.assertRegex(run.stdout + run.stderr, r"WARNING\]: board 0: serial record blank, restorable")
        self.assertEqual(sorted(re.findall(r"WARNING\]: board 0: serial record blank, restorable \(host (\w+)\)",
                                           " ".join((run.stdout + run.stderr).split()))), ["pc1", "pc3"])
        for name, host in self.hosts.items():
            with open(os.path.join(host.dir, "facts.json")) as f:
                result = json.load(f)
            self.assertEqual(result["driver"]["number_of_boards"], 2)
            boards = result["boards"]
            self.assertEqual([b["serial_no"] for b in boards], ["9702052", SERIALS[name][1]])
            self.assertEqual(boards[1]["serial_number"], SERIALS[name][0])
            self.assertEqual(boards[1]["problems"], [])
            if name == "pc1":
                self.assertEqual((boards[1]["error"], boards[1]["revisions"]), ("Error #7: Board busy", None))
            else:
                self.assertEqual(boards[1]["resources"]["host_io_window_offset"], 0x340)
                self.assertEqual(boards[1]["revisions"]["RSC"], "1.2.3.4")

        # The inventory playbook writes every host's boards into one CSV file, its folder made; a host
        # without a driver has a line with the reason, and fails.
        csv = os.path.join(self.root, "reports", "boards.csv")
        with self.hosts["pc3"].without_driver():
            run, recap = self.playbook("ruva.ruva2.inventory", "-e", "ruva2_hosts=pcs", "-e", "ruva2_inventory=" + csv)
        self.assertEqual({name: r["failed"] for name, r in recap.items()}, {"pc1": 0, "pc2": 0, "pc3": 1})
        with open(csv) as f:
            lines = f.read().splitlines()
        self.assertEqual(lines[0], "host,board,serial_no,gds_id,version,revisions,problem,error")
        self.assertTrue(lines[1].endswith(',"serial record blank, restorable",""'), lines[1])
        self.assertEqual(lines[4], 'pc2,1,%s,0x72,9,"BAR 1.0; LAD 3.1; SAD 1.3; MAD 2.0; RSC 1.2.3.4; '
                         'Bootstrap Unknown","",""' % SERIALS["pc2"][1])
        self.assertRegex(lines[5], r'^pc3,,,,,,"","Error #52: ')
        self.assertEqual(len(lines), 6)

        # A time limit of one second against a simulator that answers nothing: the task fails at the limit,
        # and ruvacfg has ended on the host.
        host = self.hosts["pc1"]
        with host.stopped_simulator() as options:
            run, recap = self.playbook(apply, "--limit", "pc1", "-e", "board=1", "-e", "config=" + config,
                                       "-e", "timeout=1", *options)
            running = host.ruvacfg_running()
        self.assertEqual(running, [])
        self.assertEqual(recap, {"pc1": {"changed": 0, "failed": 1}}, run.stdout + run.stderr)
        self.assertIn("ruvacfg did not finish within 1 seconds and was stopped", run.stdout)

        # The example playbook writes the file's section to boards 0 and 1. A fault injected on pc2's
        # board 0 fails pc2 alone; the others complete, and pc3's repaired serial record is a warning.
        # The audit log gets one line for each record of a changed board: pc3's repair and write are two.
        self.hosts["pc2"].change(lambda boards: boards[0].update(Faults={"WriteBoardInfo": {"Status": 7}}))
        pc2_board0 = self.hosts["pc2"].board(0)
        # Two PCs at a time, both boards of a PC in one run; the second batch follows a first whose PCs did
        # not fail by more than half.
        audit_log = os.path.join(self.root, "audit.jsonl")
        run, recap = self.playbook("ruva.ruva2.apply_config", "-e", "ruva2_hosts=pcs", "-e", "ruva2_section=1",
                                   "-e", "ruva2_config=" + config, "-e", "ruva2_serial=2",
                                   "-e", "ruva2_max_fail_percentage=50", "-e", "ruva2_audit_log=" + audit_log)
        self.assertEqual(recap, {"pc1": {"changed": 1, "failed": 0}, "pc2": {"changed": 0, "failed": 1},
                                 "pc3": {"changed": 1, "failed": 0}}, run.stdout + run.stderr)
        self.assertEqual(run.stdout.count("TASK [Write the configuration to the boards]"), 2)
        self.assertRegex(run.stdout, r"fatal: \[pc2\]: FAILED!.*board 0: Error #7: Board busy")
        self.assertRegex(run.stdout + run.stderr, r"WARNING\]: .*[Ss]erial")
        self.assertEqual(self.hosts["pc2"].board(0), pc2_board0)
        # Beside the inventory; pc2's refused write left its board as it was: no backup.
        self.assertEqual(len(os.listdir(os.path.join(self.root, "backup"))), 3)
        for name in ("pc1", "pc3"):
            self.assertEqual(self.hosts[name].board(0)["Clock"], "LI1")
            self.assertEqual(self.hosts[name].board(0)["Image"]["SerialNumber"], "0x1234")
        self.assertEqual(sorted(re.findall(r"WARNING\]: board 0: .*?[Ss]erial.*?\(host (\w+)\)",
                                           " ".join((run.stdout + run.stderr).split()))), ["pc1", "pc3"])
        with open(audit_log) as f:
            # In host order; each host's own records in the order they were made, each write's outcome
            # after the record that it has begun. The failed write of pc2 is on record too.
            records = sorted((json.loads(line) for line in f), key=lambda r: (r["InventoryHost"], r["Board"]))
        self.assertEqual([(r["InventoryHost"], r["Board"], r["Kind"]) for r in records],
                         [("pc1", 0, "begun"), ("pc1", 0, "repaired"), ("pc1", 0, "begun"), ("pc1", 0, "written"),
                          ("pc1", 1, "begun"), ("pc1", 1, "written"), ("pc2", 0, "begun"), ("pc2", 0, "failed"),
                          ("pc3", 0, "begun"), ("pc3", 0, "repaired"), ("pc3", 0, "begun"), ("pc3", 0, "written")])
        with open(config, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        self.assertEqual(records[3]["File"], {"Name": config, "Sha256": digest})
        self.assertIn("ClockSource: LI0 → LI1", records[3]["Changes"])
        self.assertEqual((records[1]["File"], records[1]["SerialNumber"]), (None, 0x1234))
        self.assertEqual(records[7]["DriverError"]["Number"], 7)


class FleetTest(Fleet, unittest.TestCase):
    KIND = SimHost

    def connection(self):
        return {"ansible_connection": "local", "ansible_python_interpreter": "{{ ansible_playbook_python }}"}

    def test_time_limit(self):
        """At its time limit ruvacfg finishes a transfer under way, unsignalled, and reports what the boards
        hold: the task fails saying so, with the change, backup and audit record of what was written. One
        that never ends is stopped on the host once a transfer would have had its time."""
        stub = os.path.join(ARGS.source, "tests", "ansible", "stub_ruvacfg.py")
        signals, audit_log = os.path.join(self.root, "signals"), os.path.join(self.root, "audit.jsonl")
        env = dict(self.env, RUVA2_STUB="limit", RUVA2_STUB_SIGNALS=signals)
        held = "board 0 now holds: ClockSource: INTERNAL → LI1; not written: HdlcStartAddress: 0x9000 → 0x8800"
        for boards, told in [([0], held), ([0, 1], held + "; board 1 was not begun")]:
            run, result = self.adhoc("pc1", "ruva.ruva2.board", {
                "boards": boards, "content": board_file(0, {}), "section": "0", "ruvacfg": stub, "timeout": 1,
                "backup": True, "backup_options": {"dir_path": os.path.join(self.root, "backup")},
                "audit_log": audit_log}, env=env)
            self.assertEqual(result.get("msg"), "ruvacfg did not finish within 1 seconds and was stopped (option "
                             "timeout); " + told, run.stdout + run.stderr)
            self.assertTrue(result["changed"])
            self.assertFalse(os.path.exists(signals), "signalled at its own time limit")
        self.assertEqual(len(os.listdir(os.path.join(self.root, "backup"))), 2)
        with open(audit_log) as f:
            self.assertEqual([json.loads(line)["Kind"] for line in f], ["failed", "failed"])

        # The margin left to a transfer shortened from 210 seconds, for the test's sake.
        run, result = self.adhoc("pc1", "ruva.ruva2.board_info", {"ruvacfg": stub, "timeout": 1},
                                 env=dict(env, RUVA2_STUB="stuck", RUVA_TEST_TRANSFER_BOUND="5"))
        self.assertEqual(result.get("msg"), "ruvacfg did not finish within 1 seconds and was stopped (option timeout)")

    def test_audit_log_keeps_every_record(self):
        """Two runs at once append every record to the audit log, identical ones too; a line that an
        earlier run left without its end stays apart."""
        stub = os.path.join(ARGS.source, "tests", "ansible", "stub_ruvacfg.py")
        config, audit_log = self.write("board.cfg", board_file(0, {})), self.write("audit.jsonl", '{"cut')
        runs = [subprocess.Popen(["ansible-playbook", "ruva.ruva2.apply_config", "-e", "ruva2_hosts=pcs",
                                  "-e", "ruva2_config=" + config, "-e", "ruva2_section=0", "-e", "ruva2_ruvacfg=" + stub,
                                  "-e", "ruva2_backup=false", "-e", "ruva2_audit_log=" + audit_log],
                                 env=self.env, cwd=self.root, stdout=subprocess.PIPE, text=True) for _ in range(2)]
        for output, run in [(run.communicate(timeout=300)[0], run) for run in runs]:
            self.assertEqual(run.returncode, 0, output)
        with open(audit_log) as f:
            lines = f.read().splitlines()
        self.assertEqual(lines[0], '{"cut')
        records = sorted((r["InventoryHost"], r["Board"]) for r in map(json.loads, lines[1:]))
        self.assertEqual(records, sorted([(host, board) for host in HOSTS for board in (0, 1)] * 2))

    def test_operator_mistakes_are_named(self):
        """A relative ruva2_config is found where the operator runs the playbook; a folder as src, a negative
        timeout, a byte-order mark, a file's error found on the host and a max_fail_percentage stop say so."""
        os.makedirs(os.path.join(self.root, "files"))
        self.write(os.path.join("files", "site.cfg"), board_file(0, {}))
        run, recap = self.playbook("ruva.ruva2.apply_config", "--check", "-e", "ruva2_hosts=pc1",
                                   "-e", "ruva2_config=site.cfg", "-e", "ruva2_section=0")
        self.assertEqual(recap["pc1"]["failed"], 0, run.stdout + run.stderr)

        elsewhere = dict(self.env, PATH=os.pathsep.join(p for p in self.env["PATH"].split(os.pathsep)
                                                       if not os.path.exists(os.path.join(p, "ruvacfg"))))
        line31 = board_file(1, {"TransmitLineCode": "HDB4"})
        for module, args, env, msg in [
            ("board", {"board": 0, "src": "files"}, None,
             "src files is a folder (%s), not a configuration file" % os.path.join(self.root, "files")),
            ("board_info", {"timeout": -1}, None,
             "timeout must be a number of seconds from 1 to 1000000, or 0 for no limit; not -1"),
            ("board", {"board": 0, "content": "\ufeff" + board_file(0, {})}, None,
             "content:1: syntax error (the file starts with a UTF-8 byte-order mark, which a configuration file "
             "must not have: save it without one)"),
            ("board", {"board": 1, "content": line31, "ruvacfg": ARGS.ruvacfg}, elsewhere, "content:31: syntax error"),
            ("board", {"boards": [0, 1], "content": line31, "section": "1", "ruvacfg": ARGS.ruvacfg}, elsewhere,
             "content:31: syntax error"),
        ]:
            run, result = self.adhoc("pc1", "ruva.ruva2." + module, args, env=env)
            self.assertEqual(result.get("msg"), msg, run.stdout + run.stderr)

        with self.hosts["pc1"].without_driver():
            run, recap = self.playbook("ruva.ruva2.apply_config", "-e", "ruva2_hosts=pcs", "-e", "ruva2_serial=2",
                                       "-e", "ruva2_max_fail_percentage=0", "-e", "ruva2_section=0",
                                       "-e", "ruva2_config=site.cfg")
        self.assertEqual(sorted(recap), ["pc1", "pc2"], run.stdout)
        self.assertIn("Stopping: 1 of 2 PCs of this batch failed, more than ruva2_max_fail_percentage (0 %)", run.stdout)

    def test_errors_over_ssh(self):
        """Over SSH (-tt merges the error stream into the output) failures read as ruvacfg reported them, not
        as ssh's closing line: in the inventory's CSV rows, board_info's warnings and a remote_src write."""
        with ssh_server(self.root) as connection:
            path = os.pathsep.join([os.path.dirname(ARGS.ruvacfg), "/usr/bin", "/bin"])
            hosts = {name: {"ruva2_environment": dict(host.environment, PATH=path)} for name, host in self.hosts.items()}
            inventory = self.write("ssh.yml", json.dumps({"pcs": {"hosts": hosts, "vars": connection}}))
            self.hosts["pc1"].change(lambda b: b[1].update(Faults={"ReadBoardInfo": {"Status": 7, "Count": 1}}))
            csv = os.path.join(self.root, "boards.csv")
            with self.hosts["pc3"].without_driver():
                run, recap = self.playbook("ruva.ruva2.inventory", "-i", inventory, "-e", "ruva2_inventory=" + csv)
            self.assertEqual({name: r["failed"] for name, r in recap.items()}, {"pc1": 0, "pc2": 0, "pc3": 1},
                             run.stdout + run.stderr)
            self.assertRegex(" ".join((run.stdout + run.stderr).split()), r"WARNING\]: board 1: Error #7: Board busy")
            with open(csv) as f:
                lines = f.read().splitlines()
            self.assertTrue(lines[2].startswith("pc1,1,") and lines[2].endswith(',"Error #7: Board busy"'), lines[2])
            self.assertRegex(lines[5], r'^pc3,,,,,,"","Error #52: Failed to open the Ruva-2 driver')

            bad = self.write("site.cfg", board_file(1, {"TransmitLineCode": "HDB4"}))
            run, result = self.adhoc("pc2", "ruva.ruva2.board", {"board": 1, "src": bad, "remote_src": True,
                                                                  "ruvacfg": ARGS.ruvacfg}, "-i", inventory)
            self.assertEqual(result.get("msg"), bad + ":31: syntax error", run.stdout + run.stderr)


class WineFleetTest(Fleet, unittest.TestCase):
    KIND = WineHost

    def connection(self):
        return {"ansible_connection": "wine", "ansible_shell_type": "cmd", "ansible_wine_launcher": ARGS.launcher}

    def setUp(self):
        super().setUp()
        self.assertTrue(os.path.exists(os.path.join(self.hosts["pc2"].prefix, "drive_c", "Boards & Tools", "Ruva",
                                                    "ruvacfg.exe")), "pc2's installer ignored /D")


class CollectionTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="ruva2-collection-")
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.env = ansible_env(self.root)

    def test_documentation_and_build(self):
        for module in ("board", "board_info"):
            run = subprocess.run(["ansible-doc", "ruva.ruva2." + module], env=self.env, capture_output=True,
                                 text=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertIn("RUVA.RUVA2.%s" % module.upper(), run.stdout)
            self.assertIn("EXAMPLES:", run.stdout)
            self.assertIn("RETURN VALUES:", run.stdout)
        run = subprocess.run(["ansible-galaxy", "collection", "build", "--output-path", self.root,
                              os.path.join(ARGS.source, "ansible", "ansible_collections", "ruva", "ruva2")],
                             env=self.env, capture_output=True, text=True, timeout=120)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertTrue(os.path.exists(os.path.join(self.root, "ruva-ruva2-%s.tar.gz" % galaxy_version())))
        # The release notes are reStructuredText without a warning.
        import docutils.core
        with open(os.path.join(COLLECTION, "CHANGELOG.rst")) as f:
            docutils.core.publish_doctree(f.read(), settings_overrides={"halt_level": 2, "report_level": 2,
                                                                         "warning_stream": sys.stderr})

    def test_each_action_plugin_takes_the_options_its_documentation_gives(self):
        """validate-modules cannot see what an action plugin takes: the options of each module's
        documentation (its fragments merged, as ansible-doc shows them) against the plugin's."""
        from ansible.utils.collection_loader._collection_finder import _AnsibleCollectionFinder
        _AnsibleCollectionFinder(paths=[os.path.join(ARGS.source, "ansible")])._install()  # as Ansible loads them

        def normal(options, sub):  # the plugin's options ("options" below), or the documentation's ("suboptions")
            return {name: dict(type=o.get("type", "str"), required=o.get("required", False), default=o.get("default"),
                               choices=o.get("choices"), elements=o.get("elements"),
                               options=normal(o[sub], sub) if sub in o else None)
                    for name, o in options.items()}
        for module in ("board", "board_info"):
            run = subprocess.run(["ansible-doc", "--json", "ruva.ruva2." + module], env=self.env, capture_output=True,
                                 text=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stderr)
            doc = json.loads(run.stdout)["ruva.ruva2." + module]["doc"]
            plugin = __import__("ansible_collections.ruva.ruva2.plugins.action." + module, fromlist=["ARGUMENT_SPEC"])
            self.assertEqual(normal(plugin.ARGUMENT_SPEC, "options"), normal(doc["options"], "suboptions"), module)


    def test_lint_and_offline_sanity(self):
        """ansible-lint and the parts of ansible-test sanity that need no network, run as ansible-test
        would run them where it would have to install them first."""
        collection = COLLECTION
        here = os.path.join(ARGS.source, "tests", "ansible")
        python = sys.executable
        sanity = os.path.join(os.path.dirname(subprocess.run(
            [python, "-c", "import ansible_test; print(ansible_test.__file__)"], capture_output=True, text=True,
            check=True).stdout.strip()), "_util", "controller", "sanity")
        validate = [python, os.path.join(sanity, "validate-modules", "validate.py"), "--format", "json", "--arg-spec",
                    "--collection", "ansible_collections/ruva/ruva2", "--collection-version", galaxy_version()]
        needs_venv = ("ansible-doc", "import", "pep8", "pylint", "runtime-metadata", "validate-modules", "yamllint")
        runs = [
            # Without arguments ansible-lint finds what the collection holds (galaxy.yml, the playbooks, the
            # plugins); given files, it lints those alone, so the test playbooks are a run of their own.
            ["ansible-lint"],
            ["ansible-lint", "-c", os.path.join(collection, ".ansible-lint"), "--project-dir", here,
             os.path.join(here, "apply.yml"), os.path.join(here, "info.yml")],
            ["ansible-test", "sanity", "--local", "--python", "%d.%d" % sys.version_info[:2]]
            + [a for name in needs_venv for a in ("--skip-test", name)],
            validate + ["plugins/modules/board.py", "plugins/modules/board_info.py"],
            [python, "-m", "pycodestyle", "--max-line-length", "160", "--config", "/dev/null",
             "--ignore", "E402,E741,W503,W504", "plugins"],
        ]
        env = dict(self.env, NO_COLOR="1", HOME=self.root)
        for cmd in runs:
            run = subprocess.run(cmd, cwd=collection, env=env, capture_output=True, text=True, timeout=300)
            self.assertEqual(run.returncode, 0, " ".join(cmd) + "\n" + run.stdout + run.stderr)


class ShellTest(unittest.TestCase):
    """The command lines for Windows hosts, whose shells the Linux tests do not run."""

    def test_command_lines(self):
        sys.path.insert(0, os.path.join(ARGS.source, "ansible"))
        from ansible_collections.ruva.ruva2.plugins.plugin_utils import ruvacfg
        program = r"C:\Program Files (x86)\RuvasetW\ruvacfg.exe"
        args = ["board", "write", "0", "-", "--json"]
        env = {"RUVA2_SIMULATOR": r"C:\sim state\s.json"}
        self.assertEqual(ruvacfg.command_line("cmd", program, args, {}, b"x"),
                         ('@"%s" board write 0 - --json' % program, b"x"))
        self.assertEqual(ruvacfg.command_line("cmd", program, ["check", "D:\\a&b %PATH% (1)\\"], env)[0],
                         r'set "RUVA2_SIMULATOR=C:\sim state\s.json"&& "%s" check ^"D:\a^&b ^%%PATH^%% ^(1^)\\^"'
                         % program)
        script, data = ruvacfg.command_line("powershell", program, args, env, b"BOARD 0 {}")
        self.assertIn("$env:RUVA2_SIMULATOR = 'C:\\sim state\\s.json'", script)
        self.assertIn("& '%s' 'board' 'write' '0' $f '--json'" % program, script)
        self.assertEqual(data, b"Qk9BUkQgMCB7fQ==")
        # Where the installer put it: the uninstall entry (XP's reg.exe separates with tabs), else
        # Program Files (x86), else Program Files.
        for output, found in [
            ("! REG.EXE VERSION 3.0\n\nHKEY_LOCAL_MACHINE\\...\n\tInstallLocation\tREG_SZ\tD:\\Tools\\Ruva\n"
             "ProgramFiles(x86)=%ProgramFiles(x86)%\nProgramFiles=C:\\Program Files\n", r"D:\Tools\Ruva\ruvacfg.exe"),
            ("ProgramFiles(x86)=%ProgramFiles(x86)%\nProgramFiles=C:\\Programme\n", r"C:\Programme\RuvasetW\ruvacfg.exe"),
            ("ProgramFiles(x86)=C:\\Program Files (x86)\r\nProgramFiles=C:\\Program Files\r\n", program),
        ]:
            self.assertEqual(ruvacfg.located_program(output), found)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--ruvacfg", help="the Linux hosts' ruvacfg")
    parser.add_argument("--sim", help="the Linux hosts' ruva2-sim, or the Windows hosts' ruva2-sim.exe")
    parser.add_argument("--setup", help="the Windows hosts' installer")
    parser.add_argument("--launcher", help="cmdline.exe, which runs the Wine connection's command lines")
    parser.add_argument("--work", help="the folder for the Windows hosts and the prepared Wine prefix")
    ARGS, rest = parser.parse_known_args()
    COLLECTION = os.path.join(ARGS.source, "ansible", "ansible_collections", "ruva", "ruva2")
    if shutil.which("ansible-playbook") is None:
        sys.exit("ansible-playbook is not installed (scripts/deps installs ansible-core)")
    with open(shutil.which("ansible-playbook")) as f:  # the tests run in the Python that runs Ansible
        python = f.readline()[2:].strip()
    if os.path.realpath(python) != os.path.realpath(sys.executable):
        os.execv(python, [python] + sys.argv)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)

"""The Wine side of the end-to-end tests: a virtual X display, a Wine prefix
with a virtual desktop, a long-lived inspector in that desktop, the program
under test with a relay trace, and a reader for that trace."""

import json
import os
import re
import select
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))

import wine_loaders  # noqa: E402
import wine_prefix  # noqa: E402

# How many times slower than here programs run where the tests run: 1 on
# this machine, more in a virtual machine that emulates its processor
# (scripts/vm.py sets it). Waits for the program grow by it; what the tests
# measure of the program does not.
SLOWDOWN = max(1.0, float(os.environ.get("TARNVEL_SLOWDOWN", "1")))
DESKTOP_NAME = "tarnvel-e2e"
DESKTOP_SIZE = (1024, 768)
# Calls the tests watch in the program's relay trace. Window creation and
# showing are there to order the time-up notice against the session-ending
# call; texts set and timers are what the program showed over time, read
# afterwards rather than raced; the rest are the calls the program is
# expected to make.
RELAY_INCLUDE = ";".join([
    "user32.ExitWindowsEx", "advapi32.OpenProcessToken", "advapi32.LookupPrivilegeValueA",
    "advapi32.AdjustTokenPrivileges", "shell32.ShellExecuteA", "user32.ShowWindow",
    "user32.SetWindowPos", "user32.CreateWindowExA", "user32.CreateWindowExW",
    "user32.MessageBoxA", "user32.MessageBoxW", "user32.DrawTextA", "user32.SetTimer", "user32.KillTimer",
    "user32.SetWindowTextA", "user32.EnableWindow",
])


class SessionEnded(Exception):
    """The Wine session ended (the inspector was ended with it)."""


def wait_until(probe, timeout, what, interval=0.05):
    """Polls probe() until it returns something truthy; returns that value.
    The timeout is for this machine and grows by SLOWDOWN."""
    timeout *= SLOWDOWN
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


class Config:
    def __init__(self, arch, prefix=None):
        """prefix: another Wine prefix than the suite's own (for example one
        per Windows version); it is made on first use like the default one."""
        if arch not in ("i686", "x86_64"):
            raise ValueError(f"unknown architecture {arch!r}")
        self.arch = arch
        self.build = ROOT / "build" / arch
        self.exe = self.build / "tarnvel.exe"
        self.inspector = self.build / "inspector" / "tarnvel_inspect.exe"
        self.prefix = Path(prefix) if prefix else ROOT / "build" / "wine-e2e" / arch
        self.artifacts = ROOT / "build" / "e2e-artifacts" / arch
        self.display = None
        # A Western system (ANSI code page 1252) unless a test asks for another.
        self.lang = "en_US.UTF-8"

    def env(self, **extra):
        env = dict(os.environ)
        env.update(WINEPREFIX=str(self.prefix), WINEARCH="win32" if self.arch == "i686" else "win64",
                   WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=self.display, LANG=self.lang,
                   LC_ALL=self.lang)
        env.update(extra)
        return wine_loaders.wine_env(self.arch, env)

    def wine(self):
        """The Wine loader this architecture's prefixes get on this machine."""
        return wine_loaders.loader(self.arch)


def not_built(config, who):
    """What of the architecture's build is missing, as a line, or None."""
    missing = [needed for needed in (config.exe, config.inspector) if not needed.is_file()]
    return f"{who}: {missing[0]} is missing; build it with scripts/build.sh {config.arch}" if missing else None


def unittest_tally(result, skipped=0):
    """The closing line of a unittest run (a test whose subtests fail counts
    once), and whether the run passed: a run of no test does not."""
    failed = len({getattr(test, "test_case", test).id() for test, _ in result.failures + result.errors})
    failed += len(result.unexpectedSuccesses)
    passed, skipped = result.testsRun - failed - len(result.skipped), skipped + len(result.skipped)
    line = f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else "")
    return line, failed == 0 and result.testsRun > 0


def cannot_run(arch, who):
    """A one-line message when this machine cannot run the ARCH program
    under Wine (see scripts/wine_loaders.py), else None."""
    runs, why = wine_loaders.can_run(arch)
    return None if runs else f"{who}: the {arch} program cannot run here: {why}"


class Xvfb:
    """A display of our own, so the tests neither see nor disturb others.
    Xvfb picks the first free display number itself and writes it to a
    pipe, so suites and runs that start at the same moment never share one."""

    def __init__(self):
        self.process = None
        self.display = None

    def start(self):
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        except FileNotFoundError:
            raise RuntimeError("Xvfb is not installed: install the package xvfb (scripts/setup.sh does)") from None
        finally:
            os.close(write_end)
        said = b""
        with os.fdopen(read_end, "rb") as pipe:
            ready, _, _ = select.select([pipe], [], [], 20 * SLOWDOWN)
            if ready:
                said = pipe.readline()
        if not said.strip().isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = f":{int(said)}"
        return self.display

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)


def wineserver_kill(config):
    subprocess.run(["wineserver", "-k"], env=config.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=30, check=False)
    subprocess.run(["wineserver", "-w"], env=config.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=30, check=False)


def wine_module_names(prefix):
    """The names of the modules Wine may load into a process of the prefix:
    its system folders' files, and the 16-bit modules (krnl386.exe16...)."""
    names = set()
    for folder in ("system32", "syswow64", "system"):
        path = prefix / "drive_c" / "windows" / folder
        if path.is_dir():
            names.update(f.name for f in path.iterdir() if f.is_file())
    names.update(name + "16" for name in list(names) if name.lower().endswith((".exe", ".drv", ".dll")))
    return sorted(names)


def relay_filter(prefix, relay_include, trace_own_calls):
    """The registry lines of the relay filter. For trace_own_calls, every
    function is traced and RelayFromExclude names every module of Wine: that
    drops the calls Wine's DLLs make among themselves (RelayFromInclude set
    to the program alone does not: Wine 8 then still traces many of them),
    and a trace filtered so shows the same functions called from the
    program's image as an unfiltered one. Calls through addresses from
    GetProcAddress are traced whoever makes them: readers tell the program's
    own calls apart by their return address and process."""
    if trace_own_calls:
        return ['"RelayInclude"=-', '"RelayExclude"=""',
                f'"RelayFromExclude"="{";".join(wine_module_names(prefix))}"']
    return [f'"RelayInclude"="{relay_include}"', '"RelayExclude"=""', '"RelayFromExclude"=-']


def prepare_prefix(config, windows_version=None, log_pixels=None, relay_include=RELAY_INCLUDE,
                   trace_own_calls=False, taskbar=False):
    """Makes the prefix from its architecture's template on first use (see
    scripts/wine_prefix.py) and sets the desktop, the relay filter and a
    browser that opens nothing.

    windows_version: Wine's `Version` value (win98, win2k, winxp, win7,
    win10) for the prefix; log_pixels: the DPI setting; trace_own_calls:
    trace every call the program makes into any DLL instead of the
    relay_include list (see relay_filter); taskbar: the desktop shows a
    taskbar with a button per window, as Windows does."""
    wine_prefix.make(config.arch, config.prefix, config.env())
    reg = config.prefix / "drive_c" / "tarnvel-e2e.reg"
    reg.write_text("\r\n".join([
        "REGEDIT4", "",
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", f'"Desktop"="{DESKTOP_NAME}"', "",
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]", f'"{DESKTOP_NAME}"="{DESKTOP_SIZE[0]}x{DESKTOP_SIZE[1]}"',
        "", f"[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\{DESKTOP_NAME}]",
        f'"EnableShell"=dword:{1 if taskbar else 0:08x}', "",
        r"[HKEY_CURRENT_USER\Software\Wine\Debug]", *relay_filter(config.prefix, relay_include, trace_own_calls), "",
        r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]", '"ShowCrashDialog"=dword:00000000', "",
        # Links go to winebrowser, which then runs the harmless `true`.
        r"[HKEY_CURRENT_USER\Software\Wine\WineBrowser]", '"Browsers"="true"', '"Mailers"="true"', ""]
        + ([r"[HKEY_CURRENT_USER\Software\Wine]", f'"Version"="{windows_version}"', ""] if windows_version else [])
        + ([r"[HKEY_CURRENT_USER\Control Panel\Desktop]", f'"LogPixels"=dword:{log_pixels:08x}', "",
            r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]",
            f'"LogPixels"=dword:{log_pixels:08x}', ""] if log_pixels else [])
        + [""]))
    subprocess.run([config.wine(), "regedit", "/S", r"C:\tarnvel-e2e.reg"], env=config.env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120, check=True)
    wineserver_kill(config)


class Inspector:
    """tarnvel_inspect.exe in serve mode: one JSON answer per command line."""

    def __init__(self, config):
        self.process = subprocess.Popen([config.wine(), str(config.inspector), "serve"], env=config.env(),
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.buffer = b""

    def alive(self):
        return self.process.poll() is None

    def ask(self, command, timeout=10):
        try:
            self.process.stdin.write(command.encode("utf-8") + b"\n")
            self.process.stdin.flush()
        except (BrokenPipeError, OSError) as error:
            raise SessionEnded(f"inspector gone ({error})") from None
        deadline = time.monotonic() + timeout * SLOWDOWN
        fd = self.process.stdout.fileno()
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError(f"inspector gave no answer to {command!r} in {timeout} s")
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise SessionEnded("inspector ended")
                self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return json.loads(line.decode("utf-8"))

    def close(self):
        if self.alive():
            try:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.flush()
                self.process.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait(5)


class Session:
    """A Wine session: the virtual desktop, its services and the inspector."""

    def __init__(self, config):
        self.config = config
        self.inspector = None
        self.desktop_xid = None
        self.origin = (0, 0)

    def start(self):
        wineserver_kill(self.config)
        self.inspector = Inspector(self.config)
        self.inspector.ask("windows", timeout=60)
        self.desktop_xid = wait_until(self._find_desktop_window, 20, "the Wine desktop's X window")
        info = subprocess.run(["xwininfo", "-id", self.desktop_xid], env=self.config.env(), capture_output=True,
                              text=True, timeout=10).stdout
        x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
        y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
        self.origin = (x, y)

    def _find_desktop_window(self):
        found = subprocess.run(["xdotool", "search", "--name", f"^{DESKTOP_NAME} - Wine desktop$"],
                               env=self.config.env(), capture_output=True, text=True, timeout=10).stdout.split()
        return found[0] if found else None

    def alive(self):
        return self.inspector is not None and self.inspector.alive()

    def ask(self, command, timeout=10):
        return self.inspector.ask(command, timeout)

    def stop(self):
        if self.inspector:
            self.inspector.close()
        self.inspector = None
        wineserver_kill(self.config)


class Program:
    """tarnvel.exe under Wine with its relay trace in a file of its own.
    The loader execs the program in place, so the process id is the program's."""

    def __init__(self, config, relay_path, allow_session_end, debug_channels=""):
        """debug_channels: more Wine debug channels for the trace, e.g. "+loaddll"."""
        overrides = "mscoree,mshtml=" + ("" if allow_session_end else ";wineboot.exe=d")
        channels = "-all,+timestamp,+relay" + ("," + debug_channels if debug_channels else "")
        env = config.env(WINEDEBUG=channels, WINEDLLOVERRIDES=overrides)
        self.relay_path = relay_path
        self._relay = None  # the trace read so far (relay())
        self.relay_file = open(relay_path, "wb")
        self.process = subprocess.Popen([config.wine(), str(config.exe)], cwd=str(config.build), env=env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.relay_file)

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        try:
            self.process.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def kill(self):
        if self.running():
            os.kill(self.process.pid, signal.SIGKILL)
            self.process.wait(10)
        self.relay_file.close()

    def relay(self):
        """The trace so far, read on from where the last call left off."""
        if self._relay is None:
            self._relay = RelayLog(self.relay_path)
            return self._relay
        return self._relay.update()


# "time:[pid:]tid:" (the pid with the +pid channel), then the call or return.
# The time is padded with blanks to three digits of seconds, as on a machine
# that started less than 100 seconds ago.
CALL_RE = re.compile(r"^\s*(\d+\.\d+):(?:([0-9a-f]+):)?([0-9a-f]+):(Call|Ret)\s+([\w.]+?)\.(\w+)\((.*)\)"
                     r"(?: retval=([0-9a-f]+))? ret=(\w+)$")
PROC_RE = re.compile(r"^\s*(\d+\.\d+):(?:[0-9a-f]+:)?([0-9a-f]+):Call window proc \w+ \(hwnd=([0-9a-fA-F]+),msg=(\w+)")
# A module loaded (the +loaddll channel): its path and base address.
LOADED_RE = re.compile(r'^\s*\d+\.\d+:(?:([0-9a-f]+):)?[0-9a-f]+:trace:loaddll:\w+ Loaded L"(.*)" at ([0-9A-Fa-f]+)')


class RelayEntry:
    def __init__(self, index, time_s, kind, dll, func, args, retval, ret=None, pid=None):
        self.index, self.time, self.kind = index, time_s, kind
        self.dll, self.func, self.args, self.retval = dll, func, args, retval
        self.ret = ret  # the caller's return address, as a number
        self.pid = pid  # the calling process, when the trace has +pid

    def arg(self, n):
        """The n-th argument's raw value: the hex number without any string."""
        return self._parts()[n].split(" ")[0]

    def number(self, n):
        """The n-th argument as a 32-bit value: 64-bit traces show whole
        registers, whose upper half is undefined for 32-bit parameters."""
        return int(self.arg(n), 16) & 0xFFFFFFFF

    def _parts(self):
        parts, current, quoted = [], "", False
        for i, char in enumerate(self.args):
            if char == '"' and (i == 0 or self.args[i - 1] != "\\"):
                quoted = not quoted
            if char == "," and not quoted:
                parts.append(current)
                current = ""
            else:
                current += char
        parts.append(current)
        return parts

    def string(self, n):
        """The n-th argument's string, as the trace quotes it, or None."""
        match = re.search(r'L?"(.*)"$', self._parts()[n])
        return match.group(1) if match else None

    def __repr__(self):
        return f"{self.time:.3f} {self.kind} {self.dll}.{self.func}({self.args}) {self.retval or ''}".strip()


class RelayLog:
    """The calls a Wine relay trace shows, in order, with their returns.
    update() reads only what the program wrote since, so that a test may ask
    the trace again and again while the program runs, at little cost."""

    def __init__(self, path):
        self.path = path
        self.calls, self.messages = [], []
        self.loaded = []  # (pid or None, path, base) of each module loaded, with +loaddll
        self._offset = self._lines = 0  # what was read: bytes, and whole lines
        self.update()

    def update(self):
        with open(self.path, "rb") as log:
            log.seek(self._offset)
            data = log.read()
        whole = data[:data.rfind(b"\n") + 1]  # a line still being written waits for the next read
        self._offset += len(whole)
        for index, line in enumerate(whole.decode("utf-8", "replace").split("\n")[:-1], start=self._lines):
            self._read(index, line.rstrip("\r"))
        self._lines += whole.count(b"\n")
        return self

    def _read(self, index, line):
        match = CALL_RE.match(line)
        if match:
            t, pid, _, kind, dll, func, args, retval, ret = match.groups()
            self.calls.append(RelayEntry(index, float(t), kind, dll, func, args, retval, int(ret, 16), pid))
            return
        match = LOADED_RE.match(line)
        if match:
            pid, module_path, base = match.groups()
            self.loaded.append((pid, module_path.replace("\\\\", "\\"), int(base, 16)))
            return
        match = PROC_RE.match(line)
        if match:
            self.messages.append((index, float(match.group(1)), int(match.group(3), 16), match.group(4)))

    def find(self, func, kind="Call"):
        return [c for c in self.calls if c.func == func and c.kind == kind]

    def returns_of(self, call):
        """The Ret line that belongs to a Call (the next Ret of that name)."""
        for entry in self.calls:
            if entry.index > call.index and entry.kind == "Ret" and entry.func == call.func:
                return entry
        return None

    def windows_created(self, class_name=None, parent=None):
        """(call, hwnd) for every CreateWindowEx of that class name or parent."""
        made = []
        for call in sorted(self.find("CreateWindowExA") + self.find("CreateWindowExW"), key=lambda c: c.index):
            if (class_name is None or call.string(1) == class_name) and \
                    (parent is None or int(call.arg(8), 16) == parent):
                ret = self.returns_of(call)
                made.append((call, int(ret.retval, 16) if ret and ret.retval else 0))
        return made

    def count_start(self, before=None):
        """The program's last SetTimer of 1000 ms (before the call `before`)."""
        started = [c for c in self.find("SetTimer")
                   if c.number(2) == 1000 and (before is None or c.index < before.index)]
        return started[-1] if started else None

    def count_stop(self, start):
        """The KillTimer that stopped the timer a SetTimer started, or None."""
        return next((c for c in self.find("KillTimer") if c.index > start.index and
                     (c.number(0), c.number(1)) == (start.number(0), start.number(1))), None)

    def count_length(self, before):
        """How long, by the program's own clock, the count that ended before
        the call `before` ran: from its SetTimer to its KillTimer."""
        start = self.count_start(before)
        stop = start and self.count_stop(start)
        return stop.time - start.time if stop else None

    def enabled_before(self, hwnd, call):
        """Whether the program's last EnableWindow of a window before a call
        enabled it (None when it made none)."""
        made = [c for c in self.find("EnableWindow") if c.number(0) == hwnd & 0xFFFFFFFF and c.index < call.index]
        return bool(made[-1].number(1)) if made else None

    def texts_set(self, hwnd, after=None, before=None):
        """The SetWindowTextA calls the program made on a window, in order,
        between two calls when given; each call's string(1) is the text."""
        return [c for c in self.find("SetWindowTextA")
                if c.number(0) == hwnd & 0xFFFFFFFF and (after is None or c.index > after.index)
                and (before is None or c.index < before.index)]

    def first_message(self, hwnd, message):
        for index, time_s, target, name in self.messages:
            if target == hwnd and name == message:
                return index, time_s
        return None

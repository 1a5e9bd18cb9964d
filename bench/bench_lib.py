"""What the benchmarks share: a display and a Wine prefix of their own, a
Wine session (virtual desktop, services and the end-to-end tests' window
inspector) in that prefix, programs started with or without a relay trace,
what /proc tells about a process, and small statistics.

The end-to-end harness (tests/e2e) is imported, not changed: its Config,
Session, RelayLog and Desktop serve here with the bench's own prefix
(build/wine-bench/ARCH), desktop name and display."""

import os
import re
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "scripts"))

import wine_loaders  # noqa: E402
import wine_prefix  # noqa: E402
from desktop_input import Desktop  # noqa: E402
from wine_session import Config, RelayLog, Session, wait_until  # noqa: E402
from xprobe import XDisplay  # noqa: E402

DESKTOP_NAME = "tarnvel-bench"
DESKTOP_SIZE = (1024, 768)
# The relay trace keeps the calls that bound a count and the steps of
# start-up, made by the programs themselves: calls from the system's own DLLs
# are left out.
RELAY_INCLUDE = ";".join([
    "user32.SetTimer", "user32.KillTimer", "user32.ExitWindowsEx", "user32.CreateWindowExA",
    "user32.CreateWindowExW", "user32.SetWindowRgn", "user32.ShowWindow", "user32.UpdateWindow",
])
RELAY_FROM_EXCLUDE = ";".join([
    "winex11.drv", "user32", "gdi32", "win32u", "advapi32", "kernel32", "kernelbase", "ntdll", "comctl32",
    "ole32", "combase", "oleaut32", "shell32", "shlwapi", "uxtheme", "imm32", "rpcrt4", "msvcrt", "ucrtbase",
])
# Wine's session-ending call fails while wineboot is disabled: the programs
# then stay, and one session serves every run.
KEEP_SESSION = "mscoree,mshtml=;wineboot.exe=d"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
PAGE_KB = os.sysconf("SC_PAGE_SIZE") // 1024

MAIN_CLASS = "TarnvelMain"
FLOOR_TIMER_CLASS = "TarnvelFloorTimer"
FLOOR_WINDOW_CLASS = "TarnvelFloorWindow"
FLOOR_CONTROLS_CLASS = "TarnvelFloorControls"


def resource_ids():
    """The control identifiers the program is built with (ui/resource.h)."""
    text = (ROOT / "ui" / "resource.h").read_text(encoding="utf-8")
    return {name: int(value) for name, value in re.findall(r"^#define\s+(\w+)\s+(\d+)", text, re.M)}


ID = resource_ids()
FIELD_IDS = (ID["IDC_TEXT1_0"], ID["IDC_TEXT1_1"], ID["IDC_TEXT1_2"])
START_ID = ID["IDC_COMMAND1"]
SKIN_ID = ID["IDC_PIC1"]


def clock():
    """Seconds on the clock that Wine's trace timestamps count on (its tick
    count is the raw monotonic clock in milliseconds)."""
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)


def log(*parts):
    print(*parts, flush=True)


class BenchConfig(Config):
    def __init__(self, arch):
        super().__init__(arch)
        self.prefix = ROOT / "build" / "wine-bench" / arch
        self.artifacts = ROOT / "build" / "bench" / arch
        self.bench = self.build / "bench"
        self.floor_timer = self.bench / "floor_timer.exe"
        self.floor_window = self.bench / "floor_window.exe"
        self.floor_controls = self.bench / "floor_controls.exe"
        self.region_bench = self.bench / "region_bench.exe"

    def loader(self):
        """The Wine loader for this architecture. `wine` starts a 64-bit
        program through start.exe in a second process; the 64-bit loader
        runs it in place, so the process measured is the program's own."""
        if self.arch == "x86_64":
            return wine_loaders.launcher_loaders()["wine64"]
        return wine_loaders.loader(self.arch)


class Xvfb:
    """A display of the bench's own, numbered apart from the displays of the
    test suites (90-289), which may run at the same time."""

    def __init__(self):
        self.process = None
        self.display = None

    def start(self):
        for number in range(300, 350):
            if os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
                continue
            self.process = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and self.process.poll() is None:
                if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                    self.display = f":{number}"
                    return self.display
                time.sleep(0.05)
            self.stop()
        raise RuntimeError("could not start Xvfb on any display from :300 to :349")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)


def wineserver_kill(config):
    """Ends the bench prefix's own wineserver (and so its session); no other."""
    for action in ("-k", "-w"):
        subprocess.run(["wineserver", action], env=config.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30, check=False)


def prepare_prefix(config):
    """The bench prefix, made from the architecture's template on first use,
    with the bench's desktop and relay filter."""
    wine_prefix.make(config.arch, config.prefix, config.env())
    reg = config.prefix / "drive_c" / "tarnvel-bench.reg"
    reg.write_text("\r\n".join([
        "REGEDIT4", "",
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", f'"Desktop"="{DESKTOP_NAME}"', "",
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]",
        f'"{DESKTOP_NAME}"="{DESKTOP_SIZE[0]}x{DESKTOP_SIZE[1]}"', "",
        r"[HKEY_CURRENT_USER\Software\Wine\Debug]", f'"RelayInclude"="{RELAY_INCLUDE}"', '"RelayExclude"=""',
        f'"RelayFromExclude"="{RELAY_FROM_EXCLUDE}"', "",
        r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]", '"ShowCrashDialog"=dword:00000000', "", ""]))
    subprocess.run([config.loader(), "regedit", "/S", r"C:\tarnvel-bench.reg"], env=config.env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120, check=True)
    wineserver_kill(config)


class BenchSession(Session):
    """The e2e Session (desktop, services, inspector) on the bench's desktop."""

    def _find_desktop_window(self):
        found = subprocess.run(["xdotool", "search", "--name", f"^{DESKTOP_NAME} - Wine desktop$"],
                               env=self.config.env(), capture_output=True, text=True, timeout=10).stdout.split()
        return found[0] if found else None


class ProcessStats:
    """What /proc tells about a running process (self.pid)."""

    def _stat_fields(self):
        with open(f"/proc/{self.pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()

    def cpu_ticks(self):
        """utime + stime of all its threads, in clock ticks."""
        fields = self._stat_fields()
        return int(fields[11]) + int(fields[12])

    def status(self):
        values = {}
        with open(f"/proc/{self.pid}/status") as status:
            for line in status:
                key, _, value = line.partition(":")
                parts = value.split()
                if parts and parts[0].isdigit():
                    values[key] = int(parts[0])
        return values

    def context_switches(self):
        """Voluntary and involuntary context switches of all its threads:
        each is a time the process stopped running, woken or preempted."""
        total = 0
        for task in os.listdir(f"/proc/{self.pid}/task"):
            try:
                with open(f"/proc/{self.pid}/task/{task}/status") as status:
                    for line in status:
                        if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                            total += int(line.split()[1])
            except FileNotFoundError:
                pass
        return total

    def threads(self):
        return len(os.listdir(f"/proc/{self.pid}/task"))

    def sample(self):
        """CPU ticks, context switches and the memory figures, at once."""
        status = self.status()
        return {"time": clock(), "cpu_ticks": self.cpu_ticks(), "switches": self.context_switches(),
                "threads": self.threads(), "hwm_kb": status.get("VmHWM", 0), "rss_kb": status.get("VmRSS", 0)}


class Program(ProcessStats):
    """A Windows program under Wine in the bench session, the session-ending
    call disabled, with a relay trace of its own when relay_path is given."""

    def __init__(self, config, exe, args=(), relay_path=None, channels=""):
        """channels: more Wine debug channels for the trace, e.g. ",+loaddll"."""
        env = config.env(WINEDLLOVERRIDES=KEEP_SESSION)
        self.relay_file = None
        if relay_path:
            env["WINEDEBUG"] = "-all,+timestamp,+relay" + channels
            self.relay_file = open(relay_path, "wb")
        self.relay_path = relay_path
        self.exe = Path(exe)
        self.started = clock()
        self.process = subprocess.Popen([config.loader(), str(exe), *map(str, args)], cwd=str(self.exe.parent),
                                        env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.relay_file or subprocess.DEVNULL)
        self.pid = self.process.pid

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            try:
                os.kill(self.pid, signal.SIGCONT)
                os.kill(self.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.process.wait(10)
        if self.relay_file:
            self.relay_file.close()
            self.relay_file = None

    def relay(self):
        return RelayLog(self.relay_path)

    def relay_has(self, function):
        with open(self.relay_path, "rb") as trace:
            return f"Call user32.{function}(".encode() in trace.read()


class NativeProgram(ProcessStats):
    def __init__(self, argv, env):
        self.started = clock()
        self.process = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.pid = self.process.pid

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
        self.process.wait(10)


class ArchBench:
    """One architecture's Wine session on the bench display, and the ways
    the benchmarks look at and drive its windows."""

    def __init__(self, arch, display):
        self.config = BenchConfig(arch)
        self.config.display = display
        self.config.artifacts.mkdir(parents=True, exist_ok=True)
        self.session = BenchSession(self.config)
        self.desktop = Desktop(self.config, self.session)
        self.xd = None

    @property
    def arch(self):
        return self.config.arch

    def start(self):
        missing = [p for p in (self.config.exe, self.config.inspector, self.config.floor_timer,
                               self.config.floor_window, self.config.floor_controls, self.config.region_bench)
                   if not p.is_file()]
        if missing:
            raise RuntimeError("missing: " + ", ".join(str(p.relative_to(ROOT)) for p in missing))
        prepare_prefix(self.config)
        self.session.start()
        self.xd = XDisplay(self.config.display)
        return True

    def stop(self):
        if self.xd:
            self.xd.close()
        self.session.stop()

    def env(self, **extra):
        return self.config.env(**extra)

    # --- windows ----------------------------------------------------------
    def windows(self, cls=None):
        return [w for w in self.session.ask("windows")["windows"] if cls is None or w["class"] == cls]

    def visible_window(self, cls):
        shown = [w for w in self.windows(cls) if w["visible"]]
        return shown[0] if shown else None

    def wait_window(self, cls, timeout=30):
        return wait_until(lambda: self.visible_window(cls), timeout, f"a visible {cls} window")

    def wait_no_window(self, cls, timeout=15):
        wait_until(lambda: not self.windows(cls), timeout, f"no {cls} window left")

    def controls(self, cls):
        tree = self.session.ask(f"tree {cls}")
        if "error" in tree:
            raise RuntimeError(f"cannot read {cls}: {tree['error']}")
        return {c["id"]: c for c in tree["controls"]}

    def to_root(self, x, y):
        return x + self.session.origin[0], y + self.session.origin[1]

    # --- input --------------------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env(), check=True, timeout=15,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def click(self, point):
        """A click at a desktop point; returns the clock when the release is
        sent (xdotool's own start, a few ms, comes after it)."""
        self.desktop.move(*point)
        self.xdotool("mousedown", 1)
        time.sleep(0.03)
        released = clock()
        self.xdotool("mouseup", 1)
        return released

    def set_field(self, cls, control_id, text):
        """Types text into an edit field as a person would: click, select the
        whole text, type."""
        rect = self.controls(cls)[control_id]["rect"]
        self.desktop.click((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
        wait_until(lambda: self.controls(cls)[control_id]["focused"], 5, f"field {control_id} to take the focus")
        field = self.controls(cls)[control_id]
        if field["selection"] != [0, len(field["text"])]:
            self.desktop.key("Home", "shift+End")
        self.desktop.type(text)
        wait_until(lambda: self.controls(cls)[control_id]["text"] == text, 5, f"field {control_id} to read {text!r}")

    def enter_duration(self, seconds):
        """Fills the hours, minutes and seconds fields for a count."""
        hours, rest = divmod(seconds, 3600)
        minutes, secs = divmod(rest, 60)
        for control_id, value in zip(FIELD_IDS, (hours, minutes, secs)):
            if value:
                self.set_field(MAIN_CLASS, control_id, str(value))

    # --- pixels -------------------------------------------------------------
    def image(self, rect):
        """The screen's pixels in a desktop rectangle [left, top, right, bottom]."""
        x, y = self.to_root(rect[0], rect[1])
        return self.xd.image(x, y, rect[2] - rect[0], rect[3] - rect[1])


def centre(rect):
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def median(values):
    return statistics.median(values) if values else float("nan")


def fmt(value, digits=1):
    if value is None or value != value:
        return "n/a"
    return f"{value:.{digits}f}"


def wine_version():
    try:
        return subprocess.run([wine_loaders.loader("x86_64"), "--version"], capture_output=True, text=True, timeout=30).stdout.strip()
    except (OSError, subprocess.SubprocessError):
        return "unknown"


def machine():
    model = "unknown"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return {"nproc": os.cpu_count(), "cpu": model, "wine": wine_version(),
            "load_at_start": os.getloadavg()[0]}

"""The program under the Windows versions Wine can pretend to be: it starts
with its usual window, a short count expires, and the relay trace shows the
calls that version calls for: none of the shutdown-privilege steps on
Windows 98, all three in order on the NT family, then one forced
session-ending request. Under Windows 98 a full use of the program is traced
too, every call its own code makes, and each is checked against what
Windows 98 SE implements: Wine implements the Unicode functions that Windows
98 has only as stubs, so running under Wine's win98 alone proves nothing.
run_matrix.py runs one scenario per version, each in a prefix of its own."""

import sys
import time
from collections import Counter
from pathlib import PureWindowsPath

from tarnvel_case import (ABOUT_WINDOW, DRAWN, FIELDS, MAIN, MINUTES, NOTICE, OPTIONS_WINDOW, RESET, SECONDS, START, ID,
                          TarnvelCase, pixels, size)
from test_windows import MAIN_LAYOUT, MODES
from wine_session import RELAY_INCLUDE, ROOT, wait_until

sys.path.insert(0, str(ROOT / "tests" / "pe"))
from check_imports import Win98Functions, dll_key  # noqa: E402
from pe_file import PeFile  # noqa: E402

# The matrix traces GetVersion too, to see what the program was told.
MATRIX_RELAY_INCLUDE = RELAY_INCLUDE + ";kernel32.GetVersion;kernelbase.GetVersion"
PRIVILEGE_STEPS = ("OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges")
POWER_OFF = (0x0C, 0xFFFFFFFF)  # EWX_POWEROFF | EWX_FORCE, reserved
# What GetVersion reports for each setting: the Windows 95/98/Me bit and
# major.minor. Windows 10 is itself only because the manifest declares it.
REPORTED_VERSION = {"win98": (True, 4, 10), "win2k": (False, 5, 0), "winxp": (False, 5, 1),
                    "win7": (False, 6, 1), "win10": (False, 10, 0)}
WIN98 = Win98Functions.load(ROOT / "tests" / "pe" / "win98se_exports.txt")
LOGPIXELSY = 90  # GetDeviceCaps: the system's DPI
# Client sizes at 96 DPI of the windows with a caption bar.
CLIENT_SIZES = {OPTIONS_WINDOW: (170, 114), ABOUT_WINDOW: (312, 198), NOTICE: (172, 58)}


def decode_version(value):
    """(Windows 95/98/Me bit, major, minor) of a GetVersion value."""
    return bool(value & 0x80000000), value & 0xFF, (value >> 8) & 0xFF


class VersionScenario(TarnvelCase):
    """One version's scenario; run_matrix.py makes a subclass per version
    with windows_version set and runs it in that version's prefix."""

    windows_version = None
    log_pixels = 96
    debug_channels = "+loaddll"

    def scaled(self, length):
        return length * self.log_pixels / 96

    def assertScaled(self, measured, at_96_dpi, what):
        """Each measured length is its 96-DPI length at the setting's DPI, within a pixel."""
        off = [(m, round(self.scaled(w), 1)) for m, w in zip(measured, at_96_dpi) if abs(m - self.scaled(w)) > 1]
        self.assertEqual(off, [], f"{what} at {self.log_pixels} DPI: {list(measured)}, at 96 DPI {list(at_96_dpi)}")

    def test_starts_counts_down_and_asks_for_the_session_end(self):
        self.check_window()
        self.check_reported_version()

        self.start_count("2")
        wait_until(lambda: self.exit_calls(), 10, "the session-ending call after a 2 s count")
        relay = self.program.relay()
        counted = relay.count_length(relay.find("ExitWindowsEx")[0])
        self.wait_texts(START, "Start", 3)
        notice = wait_until(lambda: self.window(NOTICE), 3, "the time-up notice")
        self.assertEqual(notice["title"], "Time's UP!!!")
        self.assertTrue(1.9 < counted < 2.9, f"a 2 s count ran {counted} s by the program's clock")
        self.assertEqual(self.fields(), ("00", "00", "02"), "the started duration was not restored")
        time.sleep(1.0)  # room for a second call, which must not come
        self.assertEqual(self.dialogs(), [], "a message box is open after expiry")
        self.check_trace()

    def check_window(self):
        main = self.main
        self.assertEqual(main["title"], "Tarnvel")
        self.assertScaled(size(main["rect"]), (184, 312), "the main window")
        self.assertTrue(self.ask(f"region {MAIN}")["rects"], "the main window has no window region")
        controls = self.controls()
        for name in ("IDC_TEXT1_0", "IDC_TEXT1_1", "IDC_TEXT1_2", "IDC_COMMAND1", "IDC_COMMAND2", "IDC_COMMAND3",
                     "IDC_BTNOPTION"):
            x, y, w, h, text = MAIN_LAYOUT[name]
            with self.subTest(control=name):
                self.assertScaled(controls[ID[name]]["rect_in_parent"], (x, y, x + w, y + h), name)
                if text is not None:
                    self.assertEqual(controls[ID[name]]["text"], text)
        self.assertTrue(all(controls[f]["enabled"] for f in FIELDS))
        self.screenshot(f"main-{self.windows_version}", main["rect"])

    def own_calls(self, relay, func):
        """The calls of func made by the program's own code (not by the C
        runtime's DLL or by Wine), told apart by their return address."""
        return [c for c in own_calls_of_image(relay, self.config.exe)[1] if c.func == func]

    def check_reported_version(self):
        relay = self.program.relay()
        asked = self.own_calls(relay, "GetVersion")
        self.assertTrue(asked, "the program did not call GetVersion")
        answers = {int(relay.returns_of(call).retval, 16) for call in asked}
        self.assertEqual(len(answers), 1, f"GetVersion gave different answers: {sorted(map(hex, answers))}")
        answer = answers.pop()
        self.assertEqual(decode_version(answer), REPORTED_VERSION[self.windows_version],
                         f"GetVersion returned {answer:#010x} under {self.windows_version}")

    def check_trace(self):
        relay = self.program.relay()
        exits = relay.find("ExitWindowsEx")
        self.assertEqual([(c.number(0), c.number(1)) for c in exits], [POWER_OFF],
                         "expected exactly one forced power-off request")
        exit_call = exits[0]
        self.assertEqual(int(relay.returns_of(exit_call).retval, 16), 0, "the refused request should have failed")

        notices = relay.windows_created(NOTICE)
        self.assertEqual(len(notices), 1, "expected one notice window")
        notice_call, notice_hwnd = notices[0]
        shown = [c for c in relay.find("ShowWindow") if int(c.arg(0), 16) == notice_hwnd and c.number(1) != 0]
        self.assertTrue(shown and shown[0].index < exit_call.index,
                        "the notice was not shown before the session-ending call")

        steps = {func: relay.find(func) for func in PRIVILEGE_STEPS}
        if REPORTED_VERSION[self.windows_version][0]:
            self.assertEqual({f: len(calls) for f, calls in steps.items()}, {f: 0 for f in PRIVILEGE_STEPS},
                             "Windows 98 has no privileges to ask for")
        else:
            for func, calls in steps.items():
                self.assertEqual(len(calls), 1, f"{func} called {len(calls)} times for one expiry")
            order = [steps[f][0].index for f in PRIVILEGE_STEPS]
            self.assertEqual(order, sorted(order), f"privilege steps out of order: {dict(zip(PRIVILEGE_STEPS, order))}")
            self.assertLess(order[-1], exit_call.index, "the privilege was adjusted after the session-ending call")
            self.assertIn('"SeShutdownPrivilege"', steps["LookupPrivilegeValueA"][0].args)
            for func, calls in steps.items():
                self.assertNotEqual(int(relay.returns_of(calls[0]).retval, 16), 0, f"{func} failed under Wine")
        boxes = relay.find("MessageBoxA") + relay.find("MessageBoxW")
        self.assertEqual(boxes, [], "a message box was raised (a privilege step reported a failure?)")


class WineRouting:
    """Where Wine's trace shows a call to a Windows function: Wine's kernel32,
    ole32... forward many exports to kernelbase, ntdll or combase, and the
    trace names the DLL that runs the call. Read from the export tables of
    the prefix's own DLLs."""

    def __init__(self, prefix):
        self.system = prefix / "drive_c" / "windows" / "system32"
        self.tables = {}

    def _exports(self, dll):
        if dll not in self.tables:
            path = self.system / dll
            self.tables[dll] = PeFile.load(path).exports() if path.is_file() else {}
        return self.tables[dll]

    def traced_as(self, dll, function):
        """('module', 'Function') as the trace shows a call of dll!function."""
        dll = dll_key(dll)
        for _ in range(8):
            forwarder = self._exports(dll).get(function)
            if not forwarder:
                break
            module, function = forwarder.rsplit(".", 1)
            dll = dll_key(module)
        return dll[:-len(".dll")], function


def own_calls_of_image(relay, exe_path):
    """Every call the program's own image made, from the +loaddll and +pid
    trace: calls of the process that loaded tarnvel.exe (not of the programs
    it starts), returning into that image."""
    loads = [(pid, base) for pid, path, base in relay.loaded if PureWindowsPath(path).name.lower() == "tarnvel.exe"]
    if len(loads) != 1:
        raise AssertionError(f"expected tarnvel.exe to be loaded once in the trace, saw {len(loads)}")
    pid, base = loads[0]
    end = base + PeFile.load(exe_path).size_of_image
    return pid, [c for c in relay.calls if c.kind == "Call" and c.pid == pid and base <= c.ret < end]


def judge_calls(calls, imports, routing, loaded, win98=WIN98):
    """Checks each call against Windows 98 SE. The functions the program can
    reach are its imports and what it looked up with GetProcAddress (traced
    too); each is mapped to the name the trace gives it. Returns the Counter
    of the functions called and a list of problems."""
    names = {(dll_key(d.name), f.name) for d in imports for f in d.functions if f.name}
    problems = []
    pids = {call.pid for call in calls}
    modules = {base: PureWindowsPath(path).name for pid, path, base in loaded if pid in pids}
    for call in calls:
        if call.func == "GetProcAddress" and call.kind == "Call":
            wanted = call.string(1)
            module = modules.get(int(call.arg(0), 16))
            if wanted and module:
                names.add((dll_key(module), wanted))
                if win98.problem(module, wanted):  # a function of later Windows has no business being sought
                    problems.append(f"{dll_key(module)}!{wanted} looked up: {win98.problem(module, wanted)}")
            elif not wanted:
                problems.append(f"GetProcAddress by ordinal or by an unreadable name: {call}")
    routes = {}
    for name in names:
        routes.setdefault(tuple(x.lower() for x in routing.traced_as(*name)), set()).add(name)
    called = Counter()
    for call in calls:
        reached = routes.get((call.dll.lower(), call.func.lower()))
        if not reached:
            problems.append(f"{call.dll}.{call.func}: neither imported nor looked up by name ({call})")
            continue
        for dll, function in reached:
            called[(dll, function)] += 1
    for (dll, function), count in sorted(called.items()):
        problem = win98.problem(dll, function, called=True)
        if problem:
            problems.append(f"{dll}!{function} ({count} calls): {problem}")
    return called, problems


class Win98CallsScenario(VersionScenario):
    """Windows 98: besides the version scenario, a full use of the program
    with every call its own code makes into any DLL traced, each checked
    against what Windows 98 SE implements (tests/pe/win98se_exports.txt)."""

    debug_channels = "+loaddll,+pid"
    trace_own_calls = True

    def test_full_use_calls_only_what_windows_98_implements(self):
        self.type_into(MINUTES, "1")
        self.type_into(SECONDS, "30")
        self.click_control(START)
        self.wait_texts(START, "Pause", 3)
        self.wait_ticks(1)
        self.click_control(START)
        self.wait_texts(START, "Start", 3)
        self.click_control(RESET)
        wait_until(lambda: self.fields() == ("00", "00", "00"), 3, "Reset to clear the fields")
        self.type_into(MINUTES, "2")

        self.open_window(OPTIONS_WINDOW)
        self.click_control(ID["IDC_OPTIONSHUTDOWN_2"], OPTIONS_WINDOW)
        wait_until(lambda: self.control(ID["IDC_OPTIONSHUTDOWN_2"], OPTIONS_WINDOW)["checked"] == 1, 2, "Reboot")
        self.click_control(ID["IDC_OPTION_CHANGE"], OPTIONS_WINDOW)
        wait_until(lambda: not self.window(OPTIONS_WINDOW), 3, "the Options window to close")

        about = self.open_window(ABOUT_WINDOW)
        # The link is clicked by place, as its label need not be a window of its own.
        x, y, w, h = (pixels(n, self.log_pixels) for n in DRAWN["IDC_LABEL3_2"][2])
        link = (about["client"][0] + x + w // 2, about["client"][1] + y + h // 2)
        self.desktop.move(link[0] - 40, link[1])
        time.sleep(0.3)
        self.desktop.move(*link)
        time.sleep(0.3)
        self.click_at(link, ABOUT_WINDOW)
        wait_until(lambda: self.program.relay().find("ShellExecuteA"), 3, "the link to be opened")
        self.click_at(self.close_point(self.window(ABOUT_WINDOW)), ABOUT_WINDOW)
        wait_until(lambda: not self.window(ABOUT_WINDOW), 3, "the About window to close")

        self.start_count("2", minutes="0")
        wait_until(lambda: self.exit_calls(), 10, "the session-ending call after a 2 s count")
        wait_until(lambda: self.window(NOTICE), 3, "the time-up notice")
        self.wait_texts(START, "Start", 3)
        self.assertEqual([(c.number(0), c.number(1)) for c in self.exit_calls()],
                         [(MODES["IDC_OPTIONSHUTDOWN_2"], 0xFFFFFFFF)], "the mode chosen in Options was not used")

        relay = self.program.relay()
        _, calls = own_calls_of_image(relay, self.config.exe)
        read_dpi = [c for c in calls if c.func == "GetDeviceCaps" and c.number(1) == LOGPIXELSY]
        self.assertTrue(read_dpi, "the program did not read the system's DPI")
        called, problems = judge_calls(calls, PeFile.load(self.config.exe).imports(),
                                       WineRouting(self.config.prefix), relay.loaded)
        print(f"\n   win98 calls: {len(calls)} calls of {len(called)} distinct functions from the program's own "
              f"code checked against Windows 98 SE", flush=True)
        self.assertGreater(len(called), 60, "too few functions traced: is the relay filter hiding the program?")
        self.assertEqual(problems, [], f"{len(problems)} calls Windows 98 SE does not serve:\n  " +
                         "\n  ".join(problems))


class Win98LargeFontsScenario(Win98CallsScenario):
    """Windows 98 set to Large Fonts (120 DPI): the same traced use, and every
    window laid out at 125 % from the system's DPI, the only one Windows 98
    knows."""

    log_pixels = 120

    def test_every_window_is_laid_out_at_the_system_dpi(self):
        self.assertEqual(self.ask("dpi")["logpixelsy"], 120, "the prefix does not run at 120 DPI")
        self.assertScaled(size(self.main["rect"]), (184, 312), "the main window")
        for cls, client in CLIENT_SIZES.items():
            window = self.open_window(cls)
            with self.subTest(window=cls):
                self.assertScaled(size(window["client"]), client, cls)
                self.screenshot(f"win98-dpi120-{cls[len('Tarnvel'):].lower()}", window["rect"])

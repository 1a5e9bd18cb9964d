"""The program under the Windows versions Wine can pretend to be: it starts
with its usual window, a short count expires, and the relay trace shows the
calls that version calls for: none of the shutdown-privilege steps on
Windows 98, all three in order on the NT family, then one forced
session-ending request. run_matrix.py runs one scenario per version, each in
a prefix of its own."""

import re
import struct
import time

from tarnvel_case import FIELDS, MAIN, NOTICE, START, ID, TarnvelCase, size
from test_windows import MAIN_LAYOUT
from wine_session import RELAY_INCLUDE, wait_until

# The matrix traces GetVersion too, to see what the program was told.
MATRIX_RELAY_INCLUDE = RELAY_INCLUDE + ";kernel32.GetVersion;kernelbase.GetVersion"
PRIVILEGE_STEPS = ("OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges")
POWER_OFF = (0x0C, 0xFFFFFFFF)  # EWX_POWEROFF | EWX_FORCE, reserved
# What GetVersion reports for each setting: the Windows 95/98/Me bit and
# major.minor. Windows 10 is itself only because the manifest declares it.
REPORTED_VERSION = {"win98": (True, 4, 10), "win2k": (False, 5, 0), "winxp": (False, 5, 1),
                    "win7": (False, 6, 1), "win10": (False, 10, 0)}
LOADED_RE = re.compile(r'Loaded L"[^"]*\\\\tarnvel\.exe" at ([0-9a-fA-F]+)')


def image_range(relay_path, exe_path):
    """Where the program's own image lies: the base Wine loaded it at (from
    the +loaddll trace) and the image size in its PE header."""
    text = relay_path.read_text(encoding="utf-8", errors="replace")
    match = LOADED_RE.search(text)
    if not match:
        return None
    data = exe_path.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    size_of_image = struct.unpack_from("<I", data, optional + 56)[0]
    base = int(match.group(1), 16)
    return base, base + size_of_image


def decode_version(value):
    """(Windows 95/98/Me bit, major, minor) of a GetVersion value."""
    return bool(value & 0x80000000), value & 0xFF, (value >> 8) & 0xFF


class VersionScenario(TarnvelCase):
    """One version's scenario; run_matrix.py makes a subclass per version
    with windows_version set and runs it in that version's prefix."""

    windows_version = None
    debug_channels = "+loaddll"

    def test_starts_counts_down_and_asks_for_the_session_end(self):
        self.check_window()
        self.check_reported_version()

        started = self.start_count("2")
        wait_until(lambda: self.exit_calls(), 10, "the session-ending call after a 2 s count")
        expired = time.monotonic() - started
        self.wait_texts(START, "Start", 3)
        notice = wait_until(lambda: self.window(NOTICE), 3, "the time-up notice")
        self.assertEqual(notice["title"], "Time's UP!!!")
        self.assertGreater(expired, 1.5, "a 2 s count expired early")
        self.assertEqual(self.fields(), ("00", "00", "02"), "the started duration was not restored")
        time.sleep(1.0)  # room for a second call, which must not come
        self.assertEqual(self.dialogs(), [], "a message box is open after expiry")
        self.check_trace()

    def check_window(self):
        main = self.main
        self.assertEqual(main["title"], "Tarnvel")
        self.assertEqual(size(main["rect"]), (184, 312))
        self.assertTrue(self.ask(f"region {MAIN}")["rects"], "the main window has no window region")
        controls = self.controls()
        for name in ("IDC_TEXT1_0", "IDC_TEXT1_1", "IDC_TEXT1_2", "IDC_COMMAND1", "IDC_COMMAND2", "IDC_COMMAND3",
                     "IDC_BTNOPTION"):
            x, y, w, h, text = MAIN_LAYOUT[name]
            with self.subTest(control=name):
                self.assertEqual(controls[ID[name]]["rect_in_parent"], [x, y, x + w, y + h])
                if text is not None:
                    self.assertEqual(controls[ID[name]]["text"], text)
        self.assertTrue(all(controls[f]["enabled"] for f in FIELDS))
        self.screenshot(f"main-{self.windows_version}", main["rect"])

    def own_calls(self, relay, func):
        """The calls of func made by the program's own code (not by the C
        runtime's DLL or by Wine), told apart by their return address."""
        bounds = image_range(self.program.relay_path, self.config.exe)
        self.assertIsNotNone(bounds, "the trace does not say where tarnvel.exe was loaded")
        return [c for c in relay.find(func) if bounds[0] <= c.ret < bounds[1]]

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

"""The base of every end-to-end scenario: a fresh tarnvel.exe per test in a
shared Wine session (restarted when a test ended it), with helpers to read
its windows, drive its controls and save diagnostics when a check fails."""

import json
import re
import sys
import time
import unittest

from desktop_input import Desktop
from wine_session import ROOT, Program, Session, SessionEnded, wait_until


def load_ids():
    """The control identifiers the program itself is built with."""
    text = (ROOT / "ui" / "resource.h").read_text(encoding="utf-8")
    return {name: int(value) for name, value in re.findall(r"^#define\s+(\w+)\s+(\d+)", text, re.M)}


ID = load_ids()
HOURS, MINUTES, SECONDS = ID["IDC_TEXT1_0"], ID["IDC_TEXT1_1"], ID["IDC_TEXT1_2"]
FIELDS = (HOURS, MINUTES, SECONDS)
START, RESET, ABOUT, OPTION = ID["IDC_COMMAND1"], ID["IDC_COMMAND2"], ID["IDC_COMMAND3"], ID["IDC_BTNOPTION"]
MAIN, OPTIONS_WINDOW, ABOUT_WINDOW, NOTICE = "TarnvelMain", "TarnvelOption", "TarnvelAbout", "TarnvelNotice"
WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x80000, 0x40000
WS_EX_TOOLWINDOW, WS_EX_APPWINDOW = 0x80, 0x40000
WS_MINIMIZE = 0x20000000
TASKBAR = "Shell_TrayWnd"
HTCLOSE = 20
HOME_PAGE = "http://tarnvel.example/"
# The labels and pictures the program draws from its skin: where each lies,
# in twips of the client area it is drawn on (a window, or one of its
# controls), and the text it shows under a Western code page, where the
# full-width colon has an ASCII colon standing in for it.
DRAWN = {
    "IDC_IMAGE1": (MAIN, "IDC_PIC1", (1800, 480, 315, 315), None),
    "IDC_IMAGE2": (MAIN, "IDC_PIC1", (1140, 3960, 480, 480), None),
    "IDC_LABEL1_0": (MAIN, "IDC_PIC1", (600, 2760, 495, 255), "Hour"),
    "IDC_LABEL1_1": (MAIN, "IDC_PIC1", (1253, 2760, 495, 255), "Min"),
    "IDC_LABEL1_2": (MAIN, "IDC_PIC1", (1920, 2760, 495, 255), "Sec"),
    "IDC_LABEL1_3": (MAIN, "IDC_PIC1", (600, 2450, 1815, 375), "Tarnvel"),
    "IDC_LABEL3_0": (ABOUT_WINDOW, None, (240, 1440, 1095, 255), "Date:"),
    "IDC_LABEL3_1": (ABOUT_WINDOW, None, (240, 2040, 1095, 255), "Requirement:"),
    "IDC_LABEL3_2": (ABOUT_WINDOW, None, (2160, 2640, 2295, 255), HOME_PAGE),
    "IDC_LABEL3_3": (ABOUT_WINDOW, None, (240, 240, 1575, 255), "Tarnvel"),
    "IDC_LABEL3_4": (ABOUT_WINDOW, None, (240, 480, 1095, 255), "Ver 1.0"),
    "IDC_LABEL3_5": (ABOUT_WINDOW, None, (240, 2280, 1815, 255), "Window 98/2000/XP"),
    "IDC_LABEL2_0": (ABOUT_WINDOW, None, (240, 1080, 1455, 255), "Tarnvel Team"),
    "IDC_LABEL2_1": (ABOUT_WINDOW, None, (240, 1680, 1455, 255), "12/2004"),
    "IDC_ABOUT_LABEL1": (ABOUT_WINDOW, None, (240, 840, 1215, 255), "Progammer:"),
    "IDC_NOTICE_LABEL1": (NOTICE, None, (120, 240, 2295, 495), "Orlem: Time to terminate your window program! ^_^"),
}


def pixels(twips, dpi=96):
    """Twips in whole pixels at a DPI, the fraction dropped, as the program
    lays its windows out."""
    return twips * dpi // 1440


def drawn_controls_in(cls, controls, client=None, dpi=96):
    """The drawn labels and images of a window laid out at a DPI, shaped as
    the inspector gives controls ({id: {"id", "rect" (screen), "text"}}),
    placed from the window's controls (the inspector's tree) and its client
    rectangle."""
    found = {}
    for name, (owner, holder, place, text) in DRAWN.items():
        if owner != cls:
            continue
        x, y, w, h = (pixels(n, dpi) for n in place)
        origin = controls[ID[holder]]["rect"][:2] if holder else client[:2]
        left, top = origin[0] + x, origin[1] + y
        found[ID[name]] = {"id": ID[name], "rect": [left, top, left + w, top + h], "text": text}
    return found


class Harness:
    """What every scenario shares: the display, the session and the input."""

    def __init__(self, config):
        self.config = config
        self.session = Session(config)
        self.desktop = Desktop(config, self.session)
        # A test that let the program end the session: Wine ends the
        # session's processes, the inspector too, a moment after the program.
        self.session_may_have_ended = False

    def ensure_session(self):
        if self.session_may_have_ended or not self.session.alive():
            self.session.stop()
            self.session.start()
            self.session_may_have_ended = False


HARNESS = None  # set by run_e2e.py


def centre(rect):
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def size(rect):
    return (rect[2] - rect[0], rect[3] - rect[1])


def inside(point, rect, margin=0):
    return rect[0] - margin <= point[0] < rect[2] + margin and rect[1] - margin <= point[1] < rect[3] + margin


def close_button_point(ask, window):
    """A point on the window's title-bar close button, found by hit testing
    through the inspector's ask, or None where none shows."""
    left, top, right, _ = window["rect"]
    for y in range(top + 2, top + 30, 3):
        for x in range(right - 3, right - 40, -2):
            hit = ask(f"at {x} {y}")
            if hit.get("top") == window["hwnd"] and hit.get("hittest") == HTCLOSE:
                return (x, y)
    return None


class TarnvelCase(unittest.TestCase):
    # Tests that let the program end the Wine session set this; the others
    # run with wineboot disabled, so the session-ending call is refused.
    allow_session_end = False
    # More Wine debug channels for the program's trace (e.g. "+loaddll").
    debug_channels = ""

    def setUp(self):
        self._problems_before = self._problems_so_far()
        self.harness = HARNESS
        self.config = HARNESS.config
        self.desktop = HARNESS.desktop
        HARNESS.ensure_session()
        HARNESS.session_may_have_ended = self.allow_session_end
        self.name = self.id().rsplit(".", 1)[-1]
        self.config.artifacts.mkdir(parents=True, exist_ok=True)
        wait_until(lambda: not self.all_windows(MAIN), 10, "no program window left from before")
        self.program = Program(self.config, self.config.artifacts / f"{self.name}.relay.log", self.allow_session_end,
                               self.debug_channels)
        self.addCleanup(self.program.kill)
        wait_until(lambda: self.window(MAIN), 20, "the main window to show")
        self.main = self.window(MAIN)

    def tearDown(self):
        if self._problems_so_far() > self._problems_before:
            self.save_diagnostics()

    def _problems_so_far(self):
        """Failures and errors recorded so far, subtests included (unittest
        keeps them on its private outcome object while a test runs)."""
        outcome = getattr(self, "_outcome", None)
        result = getattr(outcome, "result", None)
        if result is not None and hasattr(result, "failures"):
            return len(result.failures) + len(result.errors)
        return sum(1 for _, problem in getattr(outcome, "errors", []) if problem)

    def save_diagnostics(self):
        """Screen, window list, trees and relay path of a failed test."""
        shot = self.config.artifacts / f"{self.name}.failed.png"
        dump_path = self.config.artifacts / f"{self.name}.failed.json"
        report = [f"--- diagnostics of {self.name}"]
        try:
            self.desktop.screenshot(shot)
            report.append(f"screen: {shot}")
        except Exception as error:  # the display may be what broke
            report.append(f"no screenshot: {error}")
        try:
            dump = {"windows": [w for w in self.all_windows() if w["visible"]],
                    "dialogs": self.ask("msgbox")["dialogs"]}
            for cls in (MAIN, OPTIONS_WINDOW, ABOUT_WINDOW, NOTICE):
                if self.window(cls):
                    dump[cls] = self.ask(f"tree {cls}")
            dump_path.write_text(json.dumps(dump, indent=1, ensure_ascii=False), encoding="utf-8")
            report.append(f"windows: {dump_path}")
            for w in dump["windows"]:
                report.append(f"  {w['class']!r} {w['title']!r} rect={w['rect']} style={w['style']:#x}")
            tree = dump.get(MAIN)
            if tree:
                report.append("  main controls: " + ", ".join(
                    f"{c['id']}={c['text']!r}{'' if c['enabled'] else '(disabled)'}" for c in tree["controls"]))
        except (SessionEnded, AssertionError, OSError) as error:
            report.append(f"no window dump: {error}")
        report.append(f"relay trace: {self.program.relay_path}")
        print("\n".join(report), file=sys.stderr, flush=True)

    # --- reading windows -------------------------------------------------
    def ask(self, command, timeout=10):
        return self.harness.session.ask(command, timeout)

    def all_windows(self, cls=None):
        return [w for w in self.ask("windows")["windows"] if cls is None or w["class"] == cls]

    def window(self, cls):
        """The visible top-level window of the class, or None."""
        shown = [w for w in self.all_windows(cls) if w["visible"]]
        return shown[0] if shown else None

    def controls(self, cls=MAIN):
        tree = self.ask(f"tree {cls}")
        if "error" in tree:
            raise AssertionError(f"cannot read {cls}: {tree['error']}")
        return {c["id"]: c for c in tree["controls"]}

    def control(self, control_id, cls=MAIN):
        return self.controls(cls)[control_id]

    def drawn_controls(self, cls, dpi=96):
        window = self.window(cls)
        return drawn_controls_in(cls, self.controls(cls), window["client"] if window else None, dpi)

    def drawn_rect(self, name):
        return self.drawn_controls(DRAWN[name][0])[ID[name]]["rect"]

    def click_drawn(self, name, button=1):
        self.click_at(centre(self.drawn_rect(name)), DRAWN[name][0], button)

    def drawn_texts(self):
        """Every text the program has drawn with DrawTextA so far."""
        return {call.string(1) for call in self.program.relay().find("DrawTextA")}

    def fields(self):
        controls = self.controls()
        return tuple(controls[f]["text"] for f in FIELDS)

    def text(self, control_id, cls=MAIN):
        return self.control(control_id, cls)["text"]

    def dialogs(self):
        return [d for d in self.ask("msgbox")["dialogs"] if d["visible"]]

    def wait_dialog(self, title, timeout=5):
        return wait_until(lambda: next((d for d in self.dialogs() if d["title"] == title), None), timeout,
                          f"a message box titled {title!r}")

    def exit_calls(self):
        return self.program.relay().find("ExitWindowsEx")

    def ticks(self, until=None, field=SECONDS):
        """The texts the count showed in a field since it last started (up
        to the call `until`), read from the program's trace: every value it
        set, however briefly it stood."""
        relay = self.program.relay()
        start = relay.count_start(until)
        return [c.string(1) for c in relay.texts_set(self.control(field)["hwnd"], start, until)] if start else []

    def wait_ticks(self, count):
        """Waits until the running count has ticked count times."""
        wait_until(lambda: len(self.ticks()) >= count, count + 3, f"{count} ticks of the count")

    # --- driving the program -------------------------------------------
    def click_at(self, point, expect_class=None, button=1):
        """Clicks a screen point after checking what the click would reach."""
        if expect_class:
            hit = self.ask(f"at {point[0]} {point[1]}")
            self.assertEqual(hit.get("top_class"), expect_class,
                             f"the point {point} is covered by {hit.get('top_class')!r} / {hit.get('class')!r}")
        self.desktop.click(*point, button=button)

    def click_control(self, control_id, cls=MAIN, button=1):
        rect = self.control(control_id, cls)["rect"]
        self.click_at(centre(rect), cls, button)

    def open_window(self, cls):
        """Opens Options or About by its button, or lets a count of a second
        run out for the time-up notice; returns the window once it shows."""
        if cls == NOTICE:
            self.start_count("1")
        else:
            self.click_control({OPTIONS_WINDOW: OPTION, ABOUT_WINDOW: ABOUT}[cls])
        return wait_until(lambda: self.window(cls), 5, f"the {cls} window")

    def enter(self, control_id):
        """Enters a field as a person would: by clicking it."""
        self.click_control(control_id)
        wait_until(lambda: self.control(control_id)["focused"], 3, f"field {control_id} to take the focus")

    def type_into(self, control_id, text):
        """Replaces a field's text by typing. Clicking a field that has the
        focus already only moves the caret, so then the text is selected
        with the keyboard first, as a person would."""
        self.select_whole(control_id)
        self.desktop.type(text)

    def select_whole(self, control_id):
        self.enter(control_id)
        field = self.control(control_id)
        if field["selection"] != [0, len(field["text"])]:
            self.desktop.key("Home", "shift+End")
            wait_until(lambda: self.control(control_id)["selection"] == [0, len(field["text"])], 2,
                       f"field {control_id} to be selected whole")

    def start_count(self, seconds, minutes=None, hours=None):
        for field, value in ((HOURS, hours), (MINUTES, minutes), (SECONDS, seconds)):
            if value is not None:
                self.type_into(field, value)
        calls = self.program.relay().calls
        before, start = calls[-1] if calls else None, self.control(START)["hwnd"]
        self.click_control(START)

        def started():  # from the trace: a short count may be over before the window is read again
            relay = self.program.relay()
            timer = relay.count_start()
            return relay if timer and (before is None or timer.index > before.index) else None

        relay = wait_until(started, 3, "the count to start its one-second timer")
        caption = [c.string(1) for c in relay.texts_set(start, after=before)]
        self.assertEqual(caption[:1], ["Pause"], 'the Start button did not read "Pause" as the count started')
        return time.monotonic()

    def wait_texts(self, control_id, text, timeout, cls=MAIN):
        return wait_until(lambda: self.text(control_id, cls) == text, timeout, f"control {control_id} to read {text!r}")

    def press_ok(self, dialog):
        ok = next(b for b in dialog["buttons"] if b["text"].replace("&", "") == "OK")
        self.click_at(centre(ok["rect"]), "#32770")
        wait_until(lambda: not any(d["hwnd"] == dialog["hwnd"] for d in self.dialogs()), 5, "the message box to close")

    def close_point(self, window):
        point = close_button_point(self.ask, window)
        self.assertIsNotNone(point, f"no close button found on {window['class']} {window['rect']}")
        return point

    def leave_for_desktop(self):
        """Clicks the bare desktop, as a person switching to another program
        does, and waits until the program has lost the focus."""
        main = self.window(MAIN)["rect"]
        self.desktop.click(max(main[0] - 60, 10), main[1] + 40)
        wait_until(lambda: not any(c.get("focused") for c in self.controls().values()), 3,
                   "the program to lose the focus to the desktop")

    def taskbar_button(self):
        """The main window's button on the taskbar (whose buttons are drawn
        without a text of their own and carry their window's handle as id)."""
        main = self.all_windows(MAIN)[0]["hwnd"]
        buttons = [c for c in self.controls(TASKBAR).values() if c["id"] == main and c["visible"]]
        self.assertEqual(len(buttons), 1, "the main window has no single taskbar button")
        return buttons[0]

    def minimise_and_restore(self):
        """Minimises the main window from its taskbar button, then restores it
        from there, as a person would."""
        self.click_at(centre(self.taskbar_button()["rect"]), TASKBAR)
        wait_until(lambda: self.all_windows(MAIN)[0]["style"] & WS_MINIMIZE, 3, "the main window to be minimised")
        self.click_at(centre(self.taskbar_button()["rect"]), TASKBAR)
        wait_until(lambda: not self.all_windows(MAIN)[0]["style"] & WS_MINIMIZE, 3, "the main window to be restored")

    def screenshot(self, name, rect=None):
        return self.desktop.screenshot(self.config.artifacts / f"{name}.png", rect)

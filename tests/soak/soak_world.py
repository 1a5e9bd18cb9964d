"""What the soak run sees of the program and what must always hold there.

An observation is one look through the inspector: the program's visible
windows, the main window's controls and which window has the program's
focus. The invariants are checked on observations and on the trace:
the program is alive and has not crashed, every message box is one of the
two "Confirm" boxes, a field that was left holds two digits (at most 59 for
minutes and seconds), and every session-ending call follows one time-up
notice, after the privilege steps, with the flags of the stored mode."""

import re
import subprocess
import time

from tarnvel_case import FIELDS, HOURS, MAIN, OPTIONS_WINDOW, START, TASKBAR, ID, drawn_controls_in
from soak_trace import PRIVILEGE_STEPS

ALLOWED_BOXES = {("Confirm", "No allow Zero Count"), ("Confirm", "Please fill sec / min blank less than 59")}
TWO_DIGITS = re.compile(r"^\d\d$")
FORCE = 4
# The session-ending flags each Options button stands for: its mode with EWX_FORCE.
MODE_OF_RADIO = {ID[f"IDC_OPTIONSHUTDOWN_{i}"]: mode | FORCE for i, mode in enumerate((0, 1, 2, 8))}


class Failure(Exception):
    """An invariant that did not hold."""


class State:
    def __init__(self, windows, pid, tree):
        visible = [w for w in windows if w["visible"]]
        self.mine = [w for w in visible if w["pid"] == pid]
        self.foreign = [w for w in visible if w["pid"] != pid and w["class"] != TASKBAR]
        self.all_mine = [w for w in windows if w["pid"] == pid]
        self.by_class = {}
        for w in self.mine:
            self.by_class.setdefault(w["class"], w)
        self.boxes = [w for w in self.mine if w["class"] == "#32770"]
        self.menus = [w for w in visible if w["class"] == "#32768"]
        self.controls = {c["id"]: c for c in tree.get("controls", [])} if tree else {}
        if self.controls:  # the labels and images the skin draws, placed as controls
            self.controls.update(drawn_controls_in(MAIN, self.controls))
        self.focus = tree.get("focus", 0) if tree else 0
        # The program's modal loops: a window being moved or sized, a menu being tracked.
        self.move_size = tree.get("move_size", 0) if tree else 0
        self.menu_owner = tree.get("menu_owner", 0) if tree else 0

    def window(self, cls):
        return self.by_class.get(cls)

    def class_of(self, hwnd):
        return next((w["class"] for w in self.mine if w["hwnd"] == hwnd), f"window {hwnd:#x}")

    @property
    def main(self):
        return self.window(MAIN)

    def in_main(self, hwnd):
        """Whether the window is the main window or one of its controls."""
        return bool(self.main) and (hwnd == self.main["hwnd"] or
                                    any(c.get("hwnd") == hwnd for c in self.controls.values()))

    def main_style(self):
        return next((w["style"] for w in self.all_mine if w["class"] == MAIN), 0)

    @property
    def counting(self):
        return bool(self.controls) and self.controls[START]["text"] == "Pause"

    @property
    def fields(self):
        return tuple(self.controls[f]["text"] for f in FIELDS) if self.controls else None

    @property
    def idle(self):
        return bool(self.controls) and not self.counting and all(self.controls[f]["enabled"] for f in FIELDS)

    def remaining(self):
        """Seconds left on the count the fields show (hours field first)."""
        try:
            hours, minutes, seconds = (int(t) for t in self.fields)
        except (TypeError, ValueError):
            return 0
        return hours * 3600 + minutes * 60 + seconds

    def focused_field(self):
        for f in FIELDS:
            if self.controls and self.controls[f]["hwnd"] == self.focus:
                return f
        return None


class World:
    """The program as the soak run sees it, and the invariants it keeps."""

    def __init__(self, session, program, trace, windows_98):
        self.session, self.program, self.trace = session, program, trace
        self.windows_98 = windows_98
        self.pid = None
        self.mode = 8 | FORCE  # power off until Change stores another mode
        self.dirty = set()  # fields being edited: entered and not yet left
        self.left = set()  # fields left (focus moved to another window of the program) and not entered since
        self.away = False  # the program lost the focus to another program, and the main window has not had it since
        self.counts_seen = 0  # counts seen running whose expiry is still to come
        self.expiries_checked = 0
        self.options_hwnd = None  # the Options window last checked for the stored mode
        self.last = None
        self.checked = {"left fields": 0, "Options openings": 0}  # how often the state checks found work

    def ask(self, command, timeout=10):
        return self.session.ask(command, timeout)

    def find_pid(self):
        for w in self.ask("windows")["windows"]:
            if w["class"] == MAIN and w["visible"]:
                self.pid = w["pid"]
                return self.pid
        return None

    def observe(self):
        windows = self.ask("windows")["windows"]
        tree = None
        if any(w["class"] == MAIN and w["visible"] and w["pid"] == self.pid for w in windows):
            tree = self.ask(f"tree {MAIN}")
            if "error" in tree:
                tree = None
        state = State(windows, self.pid, tree)
        self.trace.poll()
        return state

    # --- invariants -----------------------------------------------------
    def problems(self, state):
        found = []
        if not self.program.running():
            found.append(f"the program ended (exit code {self.program.process.returncode})")
        if self.trace.crash_lines:
            found.append("crash in the trace: " + " | ".join(self.trace.crash_lines[:3]))
        if state.main is None and self.program.running():
            found.append("the main window is gone")
        if state.foreign:
            found.append("windows of another process: " + ", ".join(
                f"{w['class']!r} {w['title']!r}" for w in state.foreign))
        for caption, text, line in self.trace.boxes:
            if (caption, text) not in ALLOWED_BOXES:
                found.append(f"message box {caption!r}: {text!r} (trace line {line})")
        if state.boxes:
            for box in self.ask("msgbox")["dialogs"]:
                texts = {s["text"] for s in box["statics"] if s["text"]}
                if box["visible"] and not any(box["title"] == c and t in texts for c, t in ALLOWED_BOXES):
                    found.append(f"message box {box['title']!r} {sorted(texts)}")
        if state.idle and not state.boxes:
            for f in self.left:
                text = state.controls[f]["text"]
                self.checked["left fields"] += 1
                if not TWO_DIGITS.match(text) or (f != HOURS and int(text) > 59):
                    found.append(f"field {f} holds {text!r} after it was left")
        options = state.window(OPTIONS_WINDOW)
        if options and options["hwnd"] != self.options_hwnd:
            found += self.options_problems(options)
        found += self.expiry_problems()
        return found

    def options_problems(self, options):
        """A newly opened Options window checks the stored mode's button."""
        checked = [c["id"] for c in self.ask(f"tree {OPTIONS_WINDOW}").get("controls", [])
                   if c["id"] in MODE_OF_RADIO and c.get("checked") == 1]
        self.options_hwnd = options["hwnd"]
        self.checked["Options openings"] += 1
        if [MODE_OF_RADIO[c] for c in checked] != [self.mode]:
            return [f"Options opened with {[MODE_OF_RADIO[c] for c in checked]} checked; the stored mode is "
                    f"{self.mode:#x}"]
        return []

    def expiry_problems(self):
        found = []
        for expiry in self.trace.expiries[self.expiries_checked:]:
            self.expiries_checked += 1
            what = f"session-ending call {expiry.number} (trace line {expiry.line})"
            if (expiry.flags, expiry.reserved) != (self.mode, 0xFFFFFFFF):
                found.append(f"{what}: flags {expiry.flags:#x}, {expiry.reserved:#x}; the stored mode is "
                             f"{self.mode:#x}")
            wanted = [] if self.windows_98 else list(PRIVILEGE_STEPS)
            if expiry.steps != wanted:
                found.append(f"{what}: privilege calls {expiry.steps}, expected {wanted}")
            if expiry.notices_shown != 1:
                found.append(f"{what}: the notice was shown {expiry.notices_shown} times before it")
            if self.counts_seen == 0:
                found.append(f"{what} with no count running")
            self.counts_seen = max(0, self.counts_seen - 1)
        return found

    def settle(self, state, grace=2.5):
        """Checks the invariants, looking again for a while before failing:
        the program reacts to input a moment after it is sent."""
        deadline = time.monotonic() + grace
        while True:
            self.track_focus(state)
            found = self.problems(state)
            if not found:
                self.last = state
                return state
            if time.monotonic() >= deadline or not self.program.running():
                raise Failure("; ".join(found))
            time.sleep(0.15)
            state = self.observe()

    def track_focus(self, state):
        """Moves fields between being edited and left, by where the focus is."""
        if state.counting and not self.last_counting():
            self.counts_seen = max(self.counts_seen, 1)
        if not state.focus:
            # The program lost the focus to another program: not a leaving.
            # The field being edited gets the focus back when the main window
            # is active again, not when another window of the program is.
            self.away = True
            return
        if self.away:
            if not state.in_main(state.focus):
                return
            self.away = False
        field = state.focused_field()
        for f in list(self.dirty):
            if f != field:
                self.dirty.discard(f)
                self.left.add(f)
        if field:
            self.left.discard(field)
            self.dirty.add(field)

    def last_counting(self):
        return self.last is not None and self.last.counting

    def entered(self, field):
        """The driver saw the field take the focus in the middle of an action."""
        self.left.discard(field)
        self.dirty.add(field)


class Pointer:
    """The mouse and keyboard on the Wine desktop, each step one xdotool run."""

    def __init__(self, config, session, log=None):
        self.config, self.session = config, session
        self.last_click = (0, 0, 0.0)
        self.position = (0, 0)  # where the pointer is, in Wine screen coordinates
        self.log = log  # every input sent, for reading a failure afterwards

    def mark(self, text):
        if self.log:
            self.log.write(f"{time.monotonic():.3f} {text}\n")

    def _root(self, x, y):
        return int(round(x)) + self.session.origin[0], int(round(y)) + self.session.origin[1]

    def xdotool(self, *args):
        self.mark("xdotool " + " ".join(map(str, args)))
        subprocess.run(["xdotool", *map(str, args)], env=self.config.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30, check=True)

    def click(self, x, y, button=1, allow_double=False):
        last_x, last_y, last_time = self.last_click
        wait = 0.6 - (time.monotonic() - last_time)
        if not allow_double and wait > 0 and abs(x - last_x) <= 8 and abs(y - last_y) <= 8:
            time.sleep(wait)
        rx, ry = self._root(x, y)
        self.xdotool("mousemove", rx, ry, "sleep", "0.02", "mousedown", button, "sleep", "0.03", "mouseup", button)
        self.last_click = (x, y, time.monotonic())
        self.position = (x, y)

    def drag(self, start, delta, button, steps=4):
        rx, ry = self._root(*start)
        args = ["mousemove", rx, ry, "sleep", "0.02", "mousedown", button, "sleep", "0.06"]
        for step in range(1, steps + 1):
            args += ["mousemove", rx + round(delta[0] * step / steps), ry + round(delta[1] * step / steps),
                     "sleep", "0.02"]
        args += ["sleep", "0.05", "mouseup", button]
        self.xdotool(*args)
        self.last_click = (0, 0, 0.0)
        self.position = (start[0] + delta[0], start[1] + delta[1])

    def move(self, x, y):
        self.xdotool("mousemove", *self._root(x, y))
        self.position = (x, y)

    def keys(self, *names):
        self.xdotool("windowfocus", "--sync", self.session.desktop_xid, "key", "--clearmodifiers", "--delay", "25",
                     *names)

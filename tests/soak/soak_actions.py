"""The random actions of the soak run. Each draws its choices from a random
generator of its own (seeded by the run's seed and the action's index), so
that a run replays with the same seed as long as the program answers the
same way. An action that finds its target covered or gone does nothing and
says so; the invariants are checked after every action either way."""

import time

from tarnvel_case import (FIELDS, HTCLOSE, MAIN, MINUTES, OPTIONS_WINDOW, SECONDS, START, TASKBAR, WS_MINIMIZE, ID,
                          centre, close_button_point, inside)
from soak_world import MODE_OF_RADIO, Failure
from wine_session import DESKTOP_SIZE, wait_until

CHANGE = ID["IDC_OPTION_CHANGE"]
CLOSE_PICTURE = ID["IDC_IMAGE1"]
DESKTOP = "#32769"
SKIN = ID["IDC_PIC1"]
RADIOS = [ID[f"IDC_OPTIONSHUTDOWN_{i}"] for i in range(4)]
WINE_MENU_ROW = 24  # the height of a menu's last row, and a little more
# Where the main window is kept: clear of the notice (centred) and of
# Options and About (top left), so that most clicks reach what they aim at.
MAIN_AREA = (600, 40, DESKTOP_SIZE[0] - 190, DESKTOP_SIZE[1] - 320)
PASTES = ["7", "12", "99", "123", "05", "ab", "1a", " 7", "", "-5", "3.5", "\uff11\uff12", "0"]
DIGIT_KEYS = [str(d) for d in range(10)]
LETTER_KEYS = list("abcdefghijklmnopqrstuvwxyz") + ["A", "Q", "Z"]
EDIT_KEYS = ["BackSpace", "Delete", "Left", "Right", "Home", "End", "shift+End", "shift+Home"]


class Actions:
    def __init__(self, world, pointer, stats):
        self.world, self.pointer, self.stats = world, pointer, stats
        self.close_offsets = {}  # class -> close button point, from the window's top-right corner
        self.skin_points = []
        self.last_noted = None
        self.index = 0  # the action being run, for the records below
        self.drag_misses = []  # drags after which the window was not where the drag put it

    def ask(self, command):
        return self.world.ask(command)

    # --- helpers ----------------------------------------------------------
    def hit(self, point):
        return self.ask(f"at {point[0]} {point[1]}")

    def note(self, what):
        self.stats[what] += 1
        self.last_noted = what

    def click(self, point, button=1, allow_double=False, avoid=()):
        """Clicks after learning what is under the point; returns that, or
        None when the point is the main window's close picture or one of
        the main window's controls to avoid."""
        if not inside(point, (0, 0, *DESKTOP_SIZE)):
            self.note("skipped: point off the screen")  # a window moved partly off the screen
            return None
        target = self.hit(point)
        if target.get("top_class") == MAIN and target.get("id") in (CLOSE_PICTURE, *avoid):
            self.note("skipped: close picture" if target.get("id") == CLOSE_PICTURE else "skipped: avoided control")
            return None
        if target.get("top_class") == OPTIONS_WINDOW and target.get("id") == CHANGE:
            return self.press_change(point, target)
        refusal = False
        if target.get("top_class") == MAIN and target.get("id") == START:
            refusal = self.before_start(self.world.observe()) and button == 1
        self.pointer.click(*point, button=button, allow_double=allow_double)
        if refusal:
            # The box comes a moment after the click; the next action meets
            # it, as a person who sees it would.
            self.wait(lambda: self.world.observe().boxes, 2)
        return target

    def before_start(self, state):
        """Notes a count that may start; True when Start is bound to be
        refused with a box (a zero count, or minutes or seconds over 59)."""
        if not state.idle or state.boxes:
            return False
        if not any(t.strip("0") for t in state.fields):
            return True
        self.world.counts_seen = max(self.world.counts_seen, 1)
        return any(state.controls[f]["text"].isdigit() and int(state.controls[f]["text"]) > 59
                   for f in (MINUTES, SECONDS))

    def press_change(self, point, target, allowed=None):
        """Change stores the checked mode: read it just before the click,
        unless a count may end meanwhile (then the click is left out)."""
        state = self.world.observe()
        if allowed is None:
            allowed = not state.counting or state.remaining() > 3
        if not allowed:
            self.note("skipped: Change near expiry")
            return None
        checked = [c["id"] for c in self.ask(f"tree {OPTIONS_WINDOW}").get("controls", [])
                   if c["id"] in RADIOS and c.get("checked") == 1]
        self.world.trace.poll()  # calls so far belong to the old mode
        if self.click_to_close(point, OPTIONS_WINDOW, state, "its Change button") and len(checked) == 1:
            self.world.mode = MODE_OF_RADIO[checked[0]]
            self.note("mode stored by Change")
        return target

    def click_to_close(self, point, cls, state, what):
        """Clicks what closes a window of the class; True when it closed.
        A message box stops the whole program, so the window stays when a box
        takes the click: one already open, one that an earlier click (Start)
        puts up a moment later, or the box of a field the press moved the
        focus out of. A window that closes behind an open box, or stays with
        no box, is a failure."""
        leaving_field = state.focused_field()
        self.pointer.click(*point)
        if state.boxes:
            if self.wait(lambda: self.world.observe().window(cls) is None, 0.5):
                raise AssertionError(f"{cls} closed behind an open message box when {what} was clicked")
            self.note("click taken by an open box")
            return False
        outcome = self.wait(lambda: self.closing_outcome(cls), 3)
        if outcome == "closed":
            return True
        if outcome == "box":
            self.note("click taken by the left field's box" if leaving_field else "click taken by a box just put up")
            return False
        raise AssertionError(f"{cls} stayed open after {what} was clicked")

    def closing_outcome(self, cls):
        """"closed" once no window of the class shows, "box" while a message
        box is up in front of it, None while neither."""
        state = self.world.observe()
        if state.window(cls) is None:
            return "closed"
        return "box" if state.boxes else None

    def wait(self, probe, timeout):
        try:
            return wait_until(probe, timeout, "", interval=0.05)
        except AssertionError:
            return None

    def control_point(self, rng, rect, margin=1):
        width, height = rect[2] - rect[0], rect[3] - rect[1]
        return (rect[0] + rng.randint(min(margin, width // 2), max(width - 1 - margin, width // 2)),
                rect[1] + rng.randint(min(margin, height // 2), max(height - 1 - margin, height // 2)))

    def enter_field(self, field, state):
        """Clicks into a field and waits for it to take the focus."""
        control = state.controls[field]
        if not control["enabled"]:
            return False
        if self.click(centre(control["rect"])) is None:
            return False
        seen = self.wait(lambda: self.world.observe().focus == control["hwnd"], 1.5)
        if seen:
            self.world.entered(field)
        return bool(seen)

    def close_point(self, window):
        """The title-bar close button of a window, found by hit testing once per class."""
        offset = self.close_offsets.get(window["class"])
        if offset:
            point = (window["rect"][2] - offset[0], window["rect"][1] + offset[1])
            if self.hit(point).get("hittest") == HTCLOSE:
                return point
        point = close_button_point(self.ask, window)
        if point:
            self.close_offsets[window["class"]] = (window["rect"][2] - point[0], point[1] - window["rect"][1])
        return point

    def find_skin_points(self, state):
        """Points of bare skin, relative to the main window, for drags."""
        rects = self.ask(f"region {MAIN}")["rects"]
        main = state.main["rect"]
        controls = [[c["rect"][0] - main[0], c["rect"][1] - main[1], c["rect"][2] - main[0], c["rect"][3] - main[1]]
                    for c in state.controls.values() if c["id"] != SKIN]
        self.skin_points = [(x, y) for y in range(20, 300, 6) for x in range(10, 176, 6)
                            if all(any(inside((x + dx, y + dy), r) for r in rects) for dx in (-5, 5) for dy in (-5, 5))
                            and not any(inside((x, y), c, 6) for c in controls)]

    # --- the actions --------------------------------------------------------
    def click_window(self, rng, state, cls, avoid=()):
        window = state.window(cls)
        if cls == MAIN and rng.random() < 0.5:
            control = rng.choice([c for c in state.controls.values()
                                  if c["id"] not in (SKIN, CLOSE_PICTURE, *avoid)])
            point = self.control_point(rng, control["rect"])
        else:
            point = self.control_point(rng, window["rect"], margin=0)
        if cls == MAIN and inside(point, state.controls[CLOSE_PICTURE]["rect"], 3):
            self.note("skipped: close picture")
            return
        target = self.click(point, allow_double=rng.random() < 0.3, avoid=avoid)
        if target:
            self.note(f"click on {cls}")

    def press_ok(self, rng, state):
        """OK on the open box, after bringing the box forward with a click on a
        part of it that shows when another window covers its button."""
        for box in self.ask("msgbox")["dialogs"]:
            if not box["visible"] or not box["buttons"]:
                continue
            if rng.random() >= 0.8:
                self.click(self.control_point(rng, box["rect"], margin=0))
                self.note("message box: click")
                return
            ok = centre(box["buttons"][0]["rect"])
            if self.hit(ok).get("top") != box["hwnd"]:
                shown = self.visible_point(box)
                if shown is None:
                    self.note("skipped: message box covered")
                    return
                self.click(shown)
                self.wait(lambda: self.hit(ok).get("top") == box["hwnd"], 1)
            self.click(ok)
            self.note("message box: OK")
            return

    def visible_point(self, window):
        """A point of the window's client area that no other window covers."""
        left, top, right, bottom = window["rect"]
        for y in range(top + 30, bottom - 4, 10):
            for x in range(left + 6, right - 6, 12):
                if self.hit((x, y)).get("top") == window["hwnd"]:
                    return (x, y)
        return None

    def menu_choice(self, rng, state):
        menu = state.menus[0]
        if rng.random() < 0.5:
            self.pointer.keys("Escape")
            self.note("menu: Escape")
        else:
            left, top, right, bottom = menu["rect"]
            # Wine ends every system menu with an item of its own, "About
            # Wine", which opens Wine's about box; Windows has no such item.
            # It is the menu's last row, so the bottom row is left out.
            self.click(self.control_point(rng, [left, top, right, max(top + 4, bottom - WINE_MENU_ROW)], margin=2))
            self.note("menu: click")

    def type_keys(self, rng, state):
        field = rng.choice(FIELDS)
        if not self.enter_field(field, state):
            self.note("skipped: field not entered")
            return
        moving = rng.random() < 0.5  # Tab moves on; Return and space could press a button reached by Tab
        pool = DIGIT_KEYS * 3 + LETTER_KEYS + EDIT_KEYS + (["Tab", "shift+Tab"] if moving else
                                                           ["space", "Return", "Escape"])
        self.pointer.keys(*[rng.choice(pool) for _ in range(rng.randint(1, 6))])
        self.note("typing")

    def paste(self, rng, state):
        text = rng.choice(PASTES)
        answer = self.ask(f"setclip {text}")
        if answer.get("clipboard") != text:
            raise AssertionError(f"could not set the clipboard to {text!r}: {answer}")
        field = rng.choice(FIELDS)
        if not self.enter_field(field, state):
            self.note("skipped: field not entered")
            return
        if rng.random() < 0.7:
            self.pointer.keys("shift+Insert")
            self.note("paste: Shift+Insert")
            return
        self.pointer.click(*centre(state.controls[field]["rect"]), button=3)
        menu = self.wait(lambda: self.world.observe().menus, 2)
        if menu:
            self.pointer.keys("p")
            if self.wait(lambda: not self.world.observe().menus, 1) is None:
                self.pointer.keys("Escape")  # Paste was greyed: nothing to paste
        self.note("paste: context menu")

    def drag(self, rng, state):
        if not self.skin_points:
            self.find_skin_points(state)
        main = state.main["rect"]
        point = rng.choice(self.skin_points)
        start = (main[0] + point[0], main[1] + point[1])
        target = self.hit(start)
        if target.get("top_class") != MAIN or target.get("id") != SKIN:
            self.note("skipped: skin covered")
            return
        goal = (rng.randint(MAIN_AREA[0], MAIN_AREA[2]), rng.randint(MAIN_AREA[1], MAIN_AREA[3]))
        delta = (goal[0] - main[0], goal[1] - main[1])
        button = rng.choice((1, 2, 3))
        self.pointer.drag(start, delta, button)
        moved = self.wait(lambda: self.world.observe().main["rect"][:2] == [goal[0], goal[1]], 2)
        if not moved:
            # Not fatal: the run goes on and the misses fail a check of their own.
            where = self.world.observe().main["rect"][:2]
            self.drag_misses.append(f"action {self.index}: button {button} drag by {delta} from {main[:2]} left "
                                    f"the window at {where}")
            self.pointer.click(start[0] + delta[0], start[1] + delta[1])  # ends a move still following the mouse
        self.note(f"drag with button {button}")

    def open_window(self, rng, state, button, cls):
        if state.window(cls):
            self.click_window(rng, state, cls)
            return
        control = state.controls[button]
        if self.click(self.control_point(rng, control["rect"], margin=2)) is None:
            return
        if self.wait(lambda: self.world.observe().window(cls), 3):
            self.note(f"open {cls}")

    def close_window(self, rng, state, cls):
        window = state.window(cls)
        point = self.close_point(window)
        if point is None:
            self.note("skipped: close button covered")
            return
        if self.click_to_close(point, cls, self.world.observe(), "its close button"):
            self.note(f"close {cls} by its title bar")

    def change_mode(self, rng, state):
        radio = rng.choice(RADIOS)
        tree = {c["id"]: c for c in self.ask(f"tree {OPTIONS_WINDOW}").get("controls", [])}
        if radio not in tree or CHANGE not in tree:
            return
        self.click(self.control_point(rng, tree[radio]["rect"], margin=3))
        self.wait(lambda: any(c["id"] == radio and c.get("checked") == 1
                              for c in self.ask(f"tree {OPTIONS_WINDOW}").get("controls", [])), 1)
        change = tree[CHANGE]["rect"]
        point = self.control_point(rng, change, margin=3)
        target = self.hit(point)
        if target.get("top_class") == OPTIONS_WINDOW and target.get("id") == CHANGE:
            self.press_change(point, target)

    def leave_and_return(self, rng, state):
        """Another program takes the focus (a click on the bare desktop); then
        a click somewhere on the main window brings the program back."""
        point = next((p for p in (self.control_point(rng, (0, 0, DESKTOP_SIZE[0], DESKTOP_SIZE[1] - 40))
                                  for _ in range(20)) if self.hit(p).get("class") == DESKTOP), None)
        if point is None:
            self.note("skipped: no bare desktop")
            return
        self.pointer.click(*point)
        self.wait(lambda: not self.world.observe().focus, 1.5)
        self.click_window(rng, self.world.observe(), MAIN)
        self.note("leave for another program and come back")

    def minimise_and_restore(self, state):
        """The main window minimised from its taskbar button and restored from
        it. The taskbar minimises the active window (the button of another
        activates it), so a click on the bare skin makes it active first."""
        if state.boxes or not state.main["enabled"]:
            self.note("skipped: a box stops the program")  # the taskbar leaves a disabled window alone
            return
        main = state.main["hwnd"]
        button = next((c for c in self.ask(f"tree {TASKBAR}").get("controls", [])
                       if c["id"] == main and c["visible"]), None)
        if button is None:
            self.note("skipped: no taskbar button")
            return
        if not self.skin_points:
            self.find_skin_points(state)
        skin = self.skin_points[len(self.skin_points) // 3]
        self.pointer.click(state.main["rect"][0] + skin[0], state.main["rect"][1] + skin[1])
        time.sleep(0.2)
        now = self.world.observe()
        if now.boxes or not now.main["enabled"]:  # put up by an earlier click (Start) meanwhile
            self.note("skipped: a box stops the program")
            return
        for minimised, clicks in ((True, 2), (False, 1)):
            for _ in range(clicks):
                self.pointer.click(*centre(button["rect"]))
                if self.wait(lambda: bool(self.world.observe().main_style() & WS_MINIMIZE) == minimised, 1.5):
                    break
            else:
                raise Failure(f"the taskbar button did not {'minimise' if minimised else 'restore'} the main window")
        self.note("minimise and restore")

    def press_button(self, rng, state, button, name):
        if self.click(self.control_point(rng, state.controls[button]["rect"], margin=2)) is not None:
            self.note(name)

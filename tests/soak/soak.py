#!/usr/bin/env python3
"""A long random run of tarnvel.exe under Wine that checks, after every
action, what must always hold (see soak_world.py). Reproducible: the same
--seed draws the same actions as long as the program answers the same way.

    tests/soak/soak.py [--seed N] [--actions N] [--arch i686|x86_64] [--cycles N] [--windows VERSION]

Phases: random actions (clicks on every window of the program, typing,
pasting, drags with each button, Options and About, Start/Pause/Reset and
short counts that expire, the session-ending call refused); then open/close
cycles of Options and About with the GDI handle count (from Wine's gdi
channel) and the window count before and after; then the close picture,
which must end the program."""

import argparse
import collections
import random
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
sys.path.insert(0, str(HERE))

from soak_actions import CHANGE, CLOSE_PICTURE, MAIN_AREA, Actions  # noqa: E402
from soak_trace import TraceWatcher  # noqa: E402
from soak_world import Failure, Pointer, World  # noqa: E402
from desktop_input import Desktop  # noqa: E402
from tarnvel_case import (ABOUT, ABOUT_WINDOW, FIELDS, MAIN, NOTICE, OPTION, OPTIONS_WINDOW, RESET,  # noqa: E402
                          START, centre)
from wine_session import (ROOT, Config, Program, Session, SessionEnded, Xvfb, cannot_run, not_built,  # noqa: E402
                          prepare_prefix, wait_until, wineserver_kill)

SOAK_RELAY_INCLUDE = ";".join([
    "user32.ExitWindowsEx", "advapi32.OpenProcessToken", "advapi32.LookupPrivilegeValueA",
    "advapi32.AdjustTokenPrivileges", "user32.MessageBoxA", "user32.MessageBoxW", "user32.ShowWindow",
    "user32.CreateWindowExA", "user32.CreateWindowExW", "user32.SetTimer"])


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=None, help="random seed (default: a new one, printed)")
    parser.add_argument("--actions", type=int, default=2000, help="random actions (default 2000)")
    parser.add_argument("--arch", choices=["i686", "x86_64"], default="i686")
    parser.add_argument("--cycles", type=int, default=200, help="Options/About open-close cycles (default 200)")
    parser.add_argument("--windows", default="win10", help="Wine's Windows version for the prefix (default win10)")
    return parser.parse_args()


class Run:
    def __init__(self, args, config, session):
        self.args, self.config, self.session = args, config, session
        self.stats = collections.Counter()
        self.seconds = collections.Counter()  # wall time spent per kind of action
        self.input_log = open(config.artifacts / "soak.input.log", "w", encoding="utf-8")
        self.pointer = Pointer(config, session, self.input_log)
        self.program = self.trace = self.world = self.actions = None
        self.index = 0
        self.phase = "action"  # what index counts: random actions, then cycles
        self.actions_done = 0
        self.final_mode = None
        self.phase_seconds = {}
        self.checked = None  # how often the random phase's state checks had something to check
        self.short_count = None  # (started fields, expiries before, deadline)
        self.restored = 0
        self.stuck_moves = []  # moves by the caption that went on after the button was released
        self.expiries = 0
        self.counts = None  # GDI handles and windows before, halfway through and after the cycles

    def start_program(self, trace_name, debug_channels=""):
        """A new tarnvel.exe (the last one having ended) with a trace of its own."""
        if self.trace:
            self.expiries += len(self.trace.expiries)
        self.program = Program(self.config, self.config.artifacts / trace_name, False, debug_channels)
        self.trace = TraceWatcher(self.program.relay_path)
        self.world = World(self.session, self.program, self.trace, self.args.windows in ("win95", "win98", "winme"))
        # The cycles' own clicks are not counted with the random actions.
        self.actions = Actions(self.world, self.pointer, self.stats if not debug_channels else collections.Counter())
        wait_until(self.world.find_pid, 20, "the main window to show")

    # --- the random phase -------------------------------------------------
    def random_phase(self):
        state = self.world.settle(self.world.observe())
        self.place_main(state)
        began = time.monotonic()
        for self.index in range(self.args.actions):
            rng = random.Random(f"{self.args.seed}-{self.index}")
            state = self.world.last
            self.actions.last_noted = None
            self.actions.index = self.index
            began_action = time.monotonic()
            self.pointer.mark(f"action {self.index}")
            self.act(rng, state)
            self.pointer.mark(f"  was: {self.actions.last_noted}")
            state = self.calm(self.world.settle(self.world.observe()))
            self.time_action(time.monotonic() - began_action)
            self.follow_short_count(state)
            if (self.index + 1) % 250 == 0:
                print(f"soak: {self.index + 1}/{self.args.actions} actions, {len(self.trace.expiries)} expiries, "
                      f"{time.monotonic() - began:.0f} s", flush=True)
        self.index = self.actions_done = self.args.actions
        self.finish_short_count()
        self.final_mode = self.world.mode
        self.checked = dict(self.world.checked)
        self.phase_seconds["random actions"] = time.monotonic() - began

    def calm(self, state):
        """Waits for the program's modal loops to end before the next action:
        a menu closed a moment ago, a window moved by its caption. A move
        still going on long after every button was released is a window
        that follows the mouse on its own, unless a menu's Move started it:
        recorded, and ended with a click."""
        if (self.actions.last_noted or "").startswith("menu"):
            time.sleep(0.3)  # the menu's loop ends a moment after its window goes
        deadline = time.monotonic() + 1.5
        while (state.move_size or (state.menu_owner and not state.menus)) and time.monotonic() < deadline:
            time.sleep(0.1)
            state = self.world.observe()
        if state.menu_owner and not state.menus and not state.move_size:
            # Escape in a system menu's popup leaves the menu loop with the
            # window's icon selected, as on Windows, and the next click
            # anywhere would only end that loop: Escape once more ends it.
            self.pointer.keys("Escape")
            if not self.actions.wait(lambda: not self.world.observe().menu_owner, 2):
                raise Failure(f"the menu loop of {state.class_of(state.menu_owner)} did not end on Escape")
            state = self.world.observe()
        if state.move_size and (self.actions.last_noted or "").startswith("menu"):
            # "Move" or "Size" picked from a system menu: the window follows the
            # mouse until a click, as it should; the click ends it.
            self.pointer.click(*self.pointer.position)
            if not self.actions.wait(lambda: not self.world.observe().move_size, 2):
                raise Failure(f"{state.class_of(state.move_size)} kept moving after a click ended its menu move")
            return self.world.settle(self.world.observe())
        if state.move_size:
            self.stuck_moves.append(f"action {self.index}: {state.class_of(state.move_size)} kept following the "
                                    f"mouse after every button was released")
            self.pointer.click(*self.pointer.position)
            if not self.actions.wait(lambda: not self.world.observe().move_size, 2):
                raise Failure(f"{state.class_of(state.move_size)} keeps following the mouse even after a click")
            state = self.world.observe()
        return self.world.settle(state)

    def time_action(self, elapsed):
        """Adds the action's time, its check included, to the kind it was counted as."""
        self.seconds[self.actions.last_noted or "nothing noted"] += elapsed

    def place_main(self, state):
        """Moves the main window to its own part of the desktop, by the skin."""
        self.actions.find_skin_points(state)
        main = state.main["rect"]
        point = self.actions.skin_points[len(self.actions.skin_points) // 2]
        goal = (MAIN_AREA[2], MAIN_AREA[1] + 60)
        self.pointer.drag((main[0] + point[0], main[1] + point[1]), (goal[0] - main[0], goal[1] - main[1]), 1)
        wait_until(lambda: self.world.observe().main["rect"][:2] == list(goal), 3, "the main window to move")
        self.world.settle(self.world.observe())

    def act(self, rng, state):
        a = self.actions
        if state.boxes and rng.random() < 0.7:
            return a.press_ok(rng, state)
        if state.menus:
            return a.menu_choice(rng, state)
        if self.short_count:
            return self.safe_action(rng, state)
        choices = [("click main", 12), ("type", 12), ("paste", 6), ("drag", 8), ("open options", 5),
                   ("open about", 5), ("start/pause", 5), ("reset", 3), ("short count", 2),
                   ("leave and return", 4), ("minimise and restore", 3)]
        for cls, name, weight in ((OPTIONS_WINDOW, "options", 6), (ABOUT_WINDOW, "about", 5), (NOTICE, "notice", 3)):
            if state.window(cls):
                choices += [(f"click {name}", weight), (f"close {name}", 3 if cls != NOTICE else 0)]
        if state.window(OPTIONS_WINDOW):
            choices.append(("change", 3))
        self.dispatch(rng, state, self.draw(rng, choices))

    def safe_action(self, rng, state):
        """While a short count runs: nothing that touches its fields or buttons."""
        choices = [("drag", 6), ("open options", 4), ("open about", 4), ("click main", 6)]
        for cls, name in ((OPTIONS_WINDOW, "options"), (ABOUT_WINDOW, "about"), (NOTICE, "notice")):
            if state.window(cls):
                choices += [(f"click {name}", 5), (f"close {name}", 3 if cls != NOTICE else 0)]
        self.dispatch(rng, state, self.draw(rng, choices), safe=True)

    @staticmethod
    def draw(rng, choices):
        return rng.choices([c for c, _ in choices], [w for _, w in choices])[0]

    def dispatch(self, rng, state, choice, safe=False):
        a = self.actions
        classes = {"main": MAIN, "options": OPTIONS_WINDOW, "about": ABOUT_WINDOW, "notice": NOTICE}
        verb, _, name = choice.partition(" ")
        # Each choice's action, or a false value where it is not possible now.
        plain = {
            "type": state.idle and (lambda: a.type_keys(rng, state)),
            "paste": state.idle and (lambda: a.paste(rng, state)),
            "drag": state.main["enabled"] and (lambda: a.drag(rng, state)),
            "open options": lambda: a.open_window(rng, state, OPTION, OPTIONS_WINDOW),
            "open about": lambda: a.open_window(rng, state, ABOUT, ABOUT_WINDOW),
            "start/pause": lambda: a.press_button(rng, state, START, "Start/Pause"),
            "reset": lambda: a.press_button(rng, state, RESET, "Reset"),
            "short count": lambda: self.start_short_count(rng, state),
            "change": lambda: a.change_mode(rng, state),
            "leave and return": lambda: a.leave_and_return(rng, state),
            "minimise and restore": lambda: a.minimise_and_restore(state),
        }
        if plain.get(choice):
            plain[choice]()
        elif verb == "click" and safe and name == "options":
            self.click_options_safely(rng, state)
        elif verb == "click":
            # A count may end during the click: then Reset would clear what expiry restored.
            a.click_window(rng, state, classes[name], avoid=(START, RESET) if safe else ())
        elif verb == "close" and state.window(classes[name]):
            a.close_window(rng, state, classes[name])
        else:
            a.note("skipped: not possible now")

    def click_options_safely(self, rng, state):
        """A click on Options during a short count, but never on Change."""
        point = self.actions.control_point(rng, state.window(OPTIONS_WINDOW)["rect"], margin=0)
        target = self.actions.hit(point)
        if target.get("top_class") == OPTIONS_WINDOW and target.get("id") == CHANGE:
            self.actions.note("skipped: Change near expiry")
            return
        self.actions.click(point)
        self.actions.note("click on TarnvelOption")

    # --- short counts -------------------------------------------------------
    def start_short_count(self, rng, state):
        a = self.actions
        for _ in range(3):
            if not state.boxes:
                break
            a.press_ok(random.Random(0), state)
            state = self.world.settle(self.world.observe())
        if state.boxes:
            return
        if state.counting:
            a.click(centre(state.controls[START]["rect"]))
            if not a.wait(lambda: self.world.observe().idle, 3):
                raise Failure("Pause did not stop the count")
            state = self.world.settle(self.world.observe())
        seconds = rng.randint(1, 3)
        texts = {FIELDS[0]: rng.choice(["", "0", "00"]), FIELDS[1]: rng.choice(["", "0", "00"]),
                 FIELDS[2]: rng.choice([str(seconds), f"0{seconds}"])}
        for field, text in texts.items():
            if not a.enter_field(field, state):
                self.actions.note("skipped: short count")
                return
            self.pointer.keys("Home", "shift+End", *(list(text) or ["BackSpace"]))
            state = self.world.observe()
        started = ("00", "00", f"0{seconds}")
        self.world.settle(self.world.observe())
        before, started_before = len(self.trace.expiries), self.trace.counts_started
        if a.click(centre(state.controls[START]["rect"])) is None:
            return
        # From the trace: a count of a second may be over before the window is read.
        if not a.wait(lambda: self.trace.poll() is not None and self.trace.counts_started > started_before, 3):
            raise Failure(f"a {seconds} s count typed as {list(texts.values())} did not start")
        self.world.counts_seen = max(self.world.counts_seen, 1)
        self.short_count = (started, before, time.monotonic() + seconds + 8)
        self.actions.note("short counts")

    def follow_short_count(self, state):
        if not self.short_count:
            return
        started, before, deadline = self.short_count
        if len(self.trace.expiries) > before:
            if not self.actions.wait(lambda: self.idle_state(), 3):
                raise Failure("the count's buttons and fields did not come back after expiry")
            # Read again: one read of the window, control by control, may span
            # the restoring of the fields and see it half done; idle, the
            # program changes nothing more without input.
            done = self.world.observe()
            if done.fields != started:
                raise Failure(f"after expiry the fields show {done.fields}, not the started {started}")
            if len(self.trace.expiries) != before + 1:
                raise Failure(f"{len(self.trace.expiries) - before} session-ending calls for one expiry")
            self.restored += 1
            self.short_count = None
        elif time.monotonic() > deadline:
            raise Failure(f"a count of {started} did not expire")

    def idle_state(self):
        state = self.world.observe()
        return state if state.idle else None

    def finish_short_count(self):
        while self.short_count:
            time.sleep(0.2)
            self.follow_short_count(self.world.settle(self.world.observe()))

    # --- object counts over open/close cycles ---------------------------------
    def quiesce(self):
        """Back to a plain main window: no box, menu, count, Options or About."""
        self.finish_short_count()
        for _ in range(10):
            state = self.world.settle(self.world.observe())
            if state.boxes:
                self.actions.press_ok(random.Random(1), state)
            elif state.menus:
                self.pointer.keys("Escape")
            elif state.counting:
                self.actions.click(centre(state.controls[START]["rect"]))
            elif state.window(OPTIONS_WINDOW) or state.window(ABOUT_WINDOW):
                # Both open at the top left: close the one on top first.
                for cls in (ABOUT_WINDOW, OPTIONS_WINDOW):
                    if state.window(cls) and self.actions.close_point(state.window(cls)):
                        self.actions.close_window(None, state, cls)
                        break
            else:
                return state
            time.sleep(0.2)
        raise Failure("could not bring the program back to its plain main window")

    def cycle(self, number):
        """Opens and closes Options (by the title bar or Change, in turn) and About."""
        a = self.actions
        for button, cls in ((OPTION, OPTIONS_WINDOW), (ABOUT, ABOUT_WINDOW)):
            state = self.world.observe()
            a.click(centre(state.controls[button]["rect"]))
            window = a.wait(lambda: self.world.observe().window(cls), 3)
            if not window:
                raise Failure(f"cycle {number}: {cls} did not open")
            if cls == OPTIONS_WINDOW:
                problems = self.world.options_problems(window)
                if problems:
                    raise Failure(f"cycle {number}: " + "; ".join(problems))
            if cls == OPTIONS_WINDOW and number % 2:
                change = next(c for c in self.world.ask(f"tree {cls}")["controls"] if c["id"] == CHANGE)
                point = centre(change["rect"])
                a.press_change(point, a.hit(point), allowed=True)
            else:
                a.close_window(None, self.world.observe(), cls)
        self.world.settle(self.world.observe())

    def measure(self):
        """The GDI handle count Wine's gdi channel last reported once it has
        stayed put for a second, and the windows the program owns."""
        self.pointer.move(40, 740)  # over the bare desktop, away from every window
        stable_since, last = time.monotonic(), None
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            self.trace.poll()
            current = (self.trace.gdi_count, self.trace.gdi_lines)
            if current != last:
                stable_since, last = time.monotonic(), current
            elif time.monotonic() - stable_since >= 1.0:
                break
            time.sleep(0.1)
        windows = self.world.ask(f"count {self.world.pid}")
        return self.trace.gdi_count, windows["windows"]

    def leak_phase(self):
        began = time.monotonic()
        self.quiesce()
        for number in range(2):  # what the first openings make once is not a leak
            self.cycle(number)
        before = self.measure()
        halfway = None
        for number in range(self.args.cycles):
            self.phase, self.index = "cycle", number
            self.pointer.mark(f"cycle {number}")
            self.cycle(number)
            if number + 1 == self.args.cycles // 2:
                halfway = self.measure()
        self.counts = before, halfway, self.measure()
        self.phase_seconds["cycles"] = time.monotonic() - began

    # --- the end ----------------------------------------------------------
    def close_phase(self):
        state = self.quiesce()
        expiries = len(self.trace.expiries)
        self.pointer.click(*centre(state.controls[CLOSE_PICTURE]["rect"]))
        if not self.program.wait_exit(10):
            raise Failure("the program kept running after its close picture was clicked")
        self.trace.poll()
        if self.trace.crash_lines:
            raise Failure("crash in the trace: " + " | ".join(self.trace.crash_lines[:3]))
        if self.program.process.returncode != 0:
            raise Failure(f"the program ended with exit code {self.program.process.returncode}")
        if len(self.trace.expiries) != expiries:
            raise Failure("closing the program made a session-ending call")


def report_failure(run, error, desktop, seed):
    """What a failing run leaves to go on: the seed and action, the screen, the trace."""
    print(f"soak: FAILED at {run.phase} {run.index} (seed {seed}): {error}", file=sys.stderr, flush=True)
    actions = run.index + 1 if run.phase == "action" else run.args.actions
    print(f"soak: replay with: tests/soak/run_soak.sh --seed {seed} --actions {actions} --arch {run.args.arch} "
          f"--windows {run.args.windows}", file=sys.stderr)
    try:
        shot = desktop.screenshot(run.config.artifacts / "soak.failed.png")
        print(f"soak: screen {shot}", file=sys.stderr)
    except Exception as problem:  # the display may be what broke
        print(f"soak: no screenshot: {problem}", file=sys.stderr)
    print(f"soak: trace {run.program.relay_path}, input {run.input_log.name}", file=sys.stderr, flush=True)
    run.input_log.flush()


def main():
    args = parse_args()
    args.seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1, 1 << 31)
    refused = cannot_run(args.arch, "soak")
    if refused:
        print(refused, file=sys.stderr)
        return 1
    config = Config(args.arch, prefix=ROOT / "build" / "wine-soak" / f"{args.arch}-{args.windows}")
    config.artifacts = ROOT / "build" / "soak-artifacts" / args.arch
    if missing := not_built(config, "soak"):
        print(missing, file=sys.stderr)
        return 2
    config.artifacts.mkdir(parents=True, exist_ok=True)
    for old in config.artifacts.glob("soak.*"):
        old.unlink()
    print(f"soak: seed {args.seed}, {args.actions} actions, {args.cycles} cycles, {args.arch} under {args.windows}",
          flush=True)
    began = time.monotonic()
    xvfb = Xvfb()
    config.display = xvfb.start()
    session = run = None
    results = {}  # check -> True (passed), False (failed) or None (not run)
    try:
        prepare_prefix(config, windows_version=args.windows, relay_include=SOAK_RELAY_INCLUDE, taskbar=True)
        session = Session(config)
        session.start()
        run = Run(args, config, session)
        results = run_phases(run, Desktop(config, session))
        print_summary(run, time.monotonic() - began)
    except Exception as error:  # the run could not be set up or broke outside every check
        print(f"soak: the run broke (seed {args.seed}): {error!r}", file=sys.stderr, flush=True)
        results["the run itself"] = False
    finally:
        if run and run.program:
            run.program.kill()
        if session:
            session.stop()
        wineserver_kill(config)
        xvfb.stop()
    for name, ok in results.items():
        print(f"soak: {'ok  ' if ok else 'FAIL' if ok is False else 'skip'} {name}")
    passed = sum(1 for ok in results.values() if ok)
    failed = sum(1 for ok in results.values() if ok is False)
    skipped = sum(1 for ok in results.values() if ok is None)
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 0 if failed == 0 and passed > 0 else 1


def run_phases(run, desktop):
    """The checks in order; after a failure the rest are not run."""
    results = {}
    checks = [
        ("random actions keep every invariant", lambda: (run.start_program("soak.trace.log"), run.random_phase())),
        ("the close picture ends the program after the random actions", run.close_phase),
        # The gdi channel reports the program's live GDI handle count on every
        # change; it is too talkative for the random phase, so the cycles get
        # a program of their own.
        ("Options/About cycles leave the object counts as they were",
         lambda: (run.start_program("soak-cycles.trace.log", "+gdi"), run.leak_phase())),
        ("the close picture ends the program after the cycles", run.close_phase),
    ]
    for name, phase in checks:
        if False in results.values():
            results[name] = None
            continue
        try:
            phase()
        except (Failure, AssertionError, SessionEnded) as error:
            results[name] = False
            report_failure(run, error, desktop, run.args.seed)
            continue
        results[name] = True
        if name.startswith("random"):
            # Restoring is checked on each short count; this says some were run.
            results["expiries restore the started duration"] = run.restored > 0 if run.stats["short counts"] else None
            drags = sum(n for what, n in run.stats.items() if what.startswith("drag with"))
            results["drags on the skin move the window by the drag"] = not run.actions.drag_misses if drags else None
            for miss in run.actions.drag_misses:
                print(f"soak: FAILED drag (seed {run.args.seed}), {miss}", file=sys.stderr, flush=True)
            results["no window follows the mouse once its button is released"] = not run.stuck_moves
            for stuck in run.stuck_moves:
                print(f"soak: FAILED (seed {run.args.seed}), {stuck}", file=sys.stderr, flush=True)
        if name.startswith("Options/About"):
            (gdi_before, windows_before), _, (gdi_after, windows_after) = run.counts
            if gdi_before is None or (gdi_after, windows_after) != (gdi_before, windows_before):
                results[name] = False
                print(f"soak: FAILED after {run.args.cycles} cycles (seed {run.args.seed}): GDI handles "
                      f"{gdi_before} -> {gdi_after}, windows {windows_before} -> {windows_after}", file=sys.stderr,
                      flush=True)
    return results


def print_summary(run, elapsed):
    expiries = run.expiries + (len(run.trace.expiries) if run.trace else 0)
    phases = ", ".join(f"{name} {seconds:.0f} s" for name, seconds in run.phase_seconds.items())
    print(f"soak: {elapsed:.0f} s in all ({phases})")
    print(f"soak: {run.actions_done} random actions (seed {run.args.seed}); {expiries} "
          f"session-ending calls, all checked; {run.restored} short counts restored their duration; stored mode "
          f"at the end {run.final_mode:#x}" if run.final_mode is not None else "")
    if run.checked:
        print(f"soak: state checks that found work: {run.checked['left fields']} of fields that were left, "
              f"{run.checked['Options openings']} of the stored mode on opening Options")
    if run.counts:
        (gdi_before, windows_before), halfway, (gdi_after, windows_after) = run.counts
        middle = f", after {run.args.cycles // 2}: GDI {halfway[0]}, windows {halfway[1]}" if halfway else ""
        print(f"soak: object counts before {run.args.cycles} Options/About cycles: GDI {gdi_before}, windows "
              f"{windows_before}{middle}; after: GDI {gdi_after}, windows {windows_after}")
    for what, number in sorted(run.stats.items()):
        print(f"soak:   {number:5d}  {what:40s} {run.seconds[what]:6.1f} s")


if __name__ == "__main__":
    sys.exit(main())

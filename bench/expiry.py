"""Expiry accuracy: from the click on Start to the session-ending call, for
tarnvel.exe and for floor_timer.exe, which only counts timer events.

Both programs run at the same time in one Wine session, each with a relay
trace (+relay,+timestamp) kept to SetTimer, KillTimer and ExitWindowsEx as
called by the program itself; wineboot is disabled, so the call fails and the
session stays. Each round: both started, Tarnvel's fields typed in, Start
clicked in Tarnvel and then in the floor (X button press and release with
xdotool). The count of each is timed from its own SetTimer call (the click's
arrival) to its ExitWindowsEx call, both on the trace's clock (Wine's tick
count: the raw monotonic clock in milliseconds); lateness is that minus the
nominal duration.

Disturbed rounds show what happens when timer events come late, as the
count follows the events and not the wall clock:
  drag    the left button held on one program's window (Tarnvel's skin, the
          floor's caption) and moved around for a few seconds: the system's
          move loop runs meanwhile, the other program is the undisturbed twin
  stall   both processes stopped (SIGSTOP) for a few seconds, then resumed"""

import os
import signal
import time

from bench_lib import (FLOOR_TIMER_CLASS, MAIN_CLASS, SKIN_ID, START_ID, Program, centre, clock, fmt, log, median,
                       wait_until)

DRAG_AFTER_S = 1.5
DRAG_FOR_S = 5.0
STALL_AFTER_S = 2.0
STALL_FOR_S = 3.2


class Round:
    def __init__(self, seconds, kind="plain", disturbed=None):
        self.seconds = seconds
        self.kind = kind
        self.disturbed = disturbed  # "tarnvel", "floor", "both" or None


def skin_point(ab, main):
    """A point of the main window where a press reaches the skin itself
    (not a control, not outside the window's region)."""
    rect = main["rect"]
    width, height = rect[2] - rect[0], rect[3] - rect[1]
    for fy in (0.3, 0.35, 0.25, 0.4, 0.2):
        for fx in (0.5, 0.4, 0.6):
            point = (rect[0] + int(width * fx), rect[1] + int(height * fy))
            hit = ab.session.ask(f"at {point[0]} {point[1]}")
            if hit.get("top_class") == MAIN_CLASS and hit.get("id") == SKIN_ID:
                return point
    raise RuntimeError("found no point of the skin to drag")


def drag_around(ab, start, seconds, radius=30):
    """Holds the left button from start and circles around it."""
    ab.desktop.move(*start)
    ab.xdotool("mousedown", 1)
    began = clock()
    step = 0
    try:
        while clock() - began < seconds:
            step += 1
            dx = int(radius * ((step % 16) / 8 - 1))
            dy = int(radius * (((step + 4) % 16) / 8 - 1))
            x, y = ab.to_root(start[0] + dx, start[1] + dy)
            ab.xdotool("mousemove", x, y)
            time.sleep(0.03)
    finally:
        ab.xdotool("mouseup", 1)
    return step


def count_times(program):
    """(SetTimer call, last event of that timer before it, ExitWindowsEx call,
    its arguments, ExitWindowsEx calls) on the trace's clock."""
    relay = program.relay()
    timers = relay.find("SetTimer")
    exits = relay.find("ExitWindowsEx")
    if not timers or not exits:
        return None
    timer, exit_call = timers[0], exits[0]
    ticks = [t for _, t, hwnd, message in relay.messages
             if message == "WM_TIMER" and hwnd & 0xFFFFFFFF == timer.number(0) and timer.time <= t <= exit_call.time]
    last_tick = ticks[-1] if ticks else float("nan")
    return timer.time, last_tick, exit_call.time, (exit_call.number(0), exit_call.number(1)), len(exits)


def run_round(ab, round_, index):
    config = ab.config
    name = f"expiry-{index:02d}-{round_.kind}-{round_.seconds}s"
    tarnvel = Program(config, config.exe, relay_path=config.artifacts / f"{name}-tarnvel.relay.log")
    floor = Program(config, config.floor_timer, [round_.seconds],
                    relay_path=config.artifacts / f"{name}-floor.relay.log")
    try:
        main = ab.wait_window(MAIN_CLASS)
        floor_window = ab.wait_window(FLOOR_TIMER_CLASS)
        ab.enter_duration(round_.seconds)
        start_button = centre(ab.controls(MAIN_CLASS)[START_ID]["rect"])
        floor_button = centre(next(iter(ab.controls(FLOOR_TIMER_CLASS).values()))["rect"])
        timers_before = (tarnvel.relay_has("SetTimer"), floor.relay_has("SetTimer"))
        clicked = {"tarnvel": ab.click(start_button), "floor": ab.click(floor_button)}
        dragged = None

        if round_.kind == "drag":
            time.sleep(max(0.0, DRAG_AFTER_S - (clock() - clicked["tarnvel"])))
            if round_.disturbed == "tarnvel":
                point = skin_point(ab, main)
            else:
                rect = floor_window["rect"]
                point = ((rect[0] + rect[2]) // 2 - 40, rect[1] + 10)  # on the caption, left of the buttons
            cls = MAIN_CLASS if round_.disturbed == "tarnvel" else FLOOR_TIMER_CLASS
            before = ab.visible_window(cls)["rect"]
            moves = drag_around(ab, point, DRAG_FOR_S)
            after = ab.visible_window(cls)["rect"]
            # Proof that the move loop ran: the window went where the pointer left it.
            dragged = {"moves": moves, "window_moved_by": [after[0] - before[0], after[1] - before[1]]}
        elif round_.kind == "stall":
            time.sleep(max(0.0, STALL_AFTER_S - (clock() - clicked["tarnvel"])))
            for program in (tarnvel, floor):
                os.kill(program.pid, signal.SIGSTOP)
            time.sleep(STALL_FOR_S)
            for program in (tarnvel, floor):
                os.kill(program.pid, signal.SIGCONT)

        limit = round_.seconds + 15 + (STALL_FOR_S if round_.kind == "stall" else 0)
        wait_until(lambda: tarnvel.relay_has("ExitWindowsEx") and floor.relay_has("ExitWindowsEx"),
                   max(1.0, clicked["tarnvel"] + limit - clock()), "both session-ending calls", interval=0.1)
        time.sleep(0.2)  # the Ret lines
        figures = {}
        for who, program in (("tarnvel", tarnvel), ("floor", floor)):
            times = count_times(program)
            if not times:
                raise RuntimeError(f"{name}: no SetTimer/ExitWindowsEx pair in {program.relay_path}")
            set_at, last_tick_at, exit_at, arguments, exit_calls = times
            figures[who] = {
                "lateness_ms": (exit_at - set_at - round_.seconds) * 1000,
                "last_tick_ms": (last_tick_at - set_at - round_.seconds) * 1000,
                "expiry_work_ms": (exit_at - last_tick_at) * 1000,
                "lateness_from_click_ms": (exit_at - clicked[who] - round_.seconds) * 1000,
                "click_to_timer_ms": (set_at - clicked[who]) * 1000,
                "exit_arguments": [f"{arguments[0]:#x}", f"{arguments[1]:#x}"],
                "exit_calls": exit_calls,
                "timer_before_click": timers_before[0 if who == "tarnvel" else 1],
            }
        figures["dragged"] = dragged
        return figures
    finally:
        tarnvel.kill()
        floor.kill()
        ab.wait_no_window(MAIN_CLASS)
        ab.wait_no_window(FLOOR_TIMER_CLASS)


def plan(long_runs):
    rounds = [Round(3), Round(10), Round(3), Round(10), Round(3)]
    rounds += [Round(60) for _ in range(long_runs)]
    rounds += [Round(10, "drag", "tarnvel"), Round(10, "drag", "floor"), Round(10, "stall", "both")]
    return rounds


def fit(points):
    """Least squares of lateness (ms) over the nominal duration (s): the
    fixed part in ms, the drift in ms per hour of counting, and the drift's
    standard error in ms per hour."""
    nan = float("nan")
    n = len(points)
    if len({s for s, _ in points}) < 2:
        return nan, nan, nan
    mean_s = sum(s for s, _ in points) / n
    mean_l = sum(l for _, l in points) / n
    sxx = sum((s - mean_s) ** 2 for s, _ in points)
    slope = sum((s - mean_s) * (l - mean_l) for s, l in points) / sxx
    fixed = mean_l - slope * mean_s
    if n < 3:
        return fixed, slope * 3600, nan
    residual = sum((l - fixed - slope * s) ** 2 for s, l in points)
    return fixed, slope * 3600, (residual / (n - 2) / sxx) ** 0.5 * 3600


def run(ab, long_runs=1, rounds=None):
    rounds = rounds or plan(long_runs)
    done = []
    for index, round_ in enumerate(rounds):
        figures = run_round(ab, round_, index)
        done.append((round_, figures))
        what = round_.kind + (f" ({round_.disturbed})" if round_.disturbed else "")
        log(f"    {round_.seconds:3d} s {what:16s} lateness tarnvel {fmt(figures['tarnvel']['lateness_ms'])} ms, "
            f"floor {fmt(figures['floor']['lateness_ms'])} ms; click to SetTimer "
            f"{fmt(figures['tarnvel']['click_to_timer_ms'])} / {fmt(figures['floor']['click_to_timer_ms'])} ms")

    out = {"rounds": [], "by_duration": {}, "disturbed": []}
    for round_, figures in done:
        out["rounds"].append({"seconds": round_.seconds, "kind": round_.kind, "disturbed": round_.disturbed,
                              **{who: figures[who] for who in ("tarnvel", "floor")}})
    plain = [(r, f) for r, f in done if r.kind == "plain"]
    for seconds in sorted({r.seconds for r, _ in plain}):
        entry = {"runs": 0}
        for who in ("tarnvel", "floor"):
            late = [f[who]["lateness_ms"] for r, f in plain if r.seconds == seconds]
            from_click = [f[who]["lateness_from_click_ms"] for r, f in plain if r.seconds == seconds]
            entry["runs"] = len(late)
            ticks = [f[who]["last_tick_ms"] for r, f in plain if r.seconds == seconds]
            work = [f[who]["expiry_work_ms"] for r, f in plain if r.seconds == seconds]
            entry[who] = {"median_ms": median(late), "worst_ms": max(late), "best_ms": min(late),
                          "last_tick_median_ms": median(ticks), "expiry_work_median_ms": median(work),
                          "from_click_median_ms": median(from_click), "from_click_worst_ms": max(from_click),
                          "scaled_ms_per_hour": median(late) / seconds * 3600}
        out["by_duration"][str(seconds)] = entry
    for who in ("tarnvel", "floor"):
        fixed, drift, error = fit([(r.seconds, f[who]["lateness_ms"]) for r, f in plain])
        out[f"{who}_fixed_ms"] = fixed
        out[f"{who}_drift_fit_ms_per_hour"] = drift
        out[f"{who}_drift_error_ms_per_hour"] = error
        # The timer's own drift: the last timer event against its nominal time.
        fixed, drift, error = fit([(r.seconds, f[who]["last_tick_ms"]) for r, f in plain])
        out[f"{who}_tick_fixed_ms"] = fixed
        out[f"{who}_tick_drift_fit_ms_per_hour"] = drift
        out[f"{who}_tick_drift_error_ms_per_hour"] = error
        out[f"{who}_click_to_timer_median_ms"] = median([f[who]["click_to_timer_ms"] for _, f in done])
        out[f"{who}_timer_before_click"] = any(f[who]["timer_before_click"] for _, f in done)
        out[f"{who}_exit_arguments"] = sorted({tuple(f[who]["exit_arguments"]) for _, f in done})
    for round_, figures in done:
        if round_.kind != "plain":
            out["disturbed"].append({"seconds": round_.seconds, "kind": round_.kind, "disturbed": round_.disturbed,
                                     "tarnvel_ms": figures["tarnvel"]["lateness_ms"],
                                     "floor_ms": figures["floor"]["lateness_ms"], "dragged": figures["dragged"]})

    log("  lateness against the nominal duration, median / worst in ms, from SetTimer (from the click):")
    for seconds, entry in out["by_duration"].items():
        t, f = entry["tarnvel"], entry["floor"]
        log(f"    {seconds:>3s} s x{entry['runs']}: tarnvel {fmt(t['median_ms'])} / {fmt(t['worst_ms'])} "
            f"({fmt(t['from_click_median_ms'])} / {fmt(t['from_click_worst_ms'])}), floor {fmt(f['median_ms'])} / "
            f"{fmt(f['worst_ms'])} ({fmt(f['from_click_median_ms'])} / {fmt(f['from_click_worst_ms'])}); "
            f"difference of medians {fmt(t['median_ms'] - f['median_ms'])}")
    log(f"    lateness fitted as fixed part + drift x duration: tarnvel {fmt(out['tarnvel_fixed_ms'])} ms, "
        f"{fmt(out['tarnvel_drift_fit_ms_per_hour'], 0)} +- {fmt(out['tarnvel_drift_error_ms_per_hour'], 0)} ms/h; "
        f"floor {fmt(out['floor_fixed_ms'])} ms, {fmt(out['floor_drift_fit_ms_per_hour'], 0)} +- "
        f"{fmt(out['floor_drift_error_ms_per_hour'], 0)} ms/h")
    log(f"    the last timer event fitted the same way: tarnvel {fmt(out['tarnvel_tick_fixed_ms'])} ms, "
        f"{fmt(out['tarnvel_tick_drift_fit_ms_per_hour'], 0)} +- "
        f"{fmt(out['tarnvel_tick_drift_error_ms_per_hour'], 0)} ms/h; floor {fmt(out['floor_tick_fixed_ms'])} ms, "
        f"{fmt(out['floor_tick_drift_fit_ms_per_hour'], 0)} +- "
        f"{fmt(out['floor_tick_drift_error_ms_per_hour'], 0)} ms/h")
    for entry in out["disturbed"]:
        note = ""
        if entry["dragged"]:
            note = (f" ({entry['dragged']['moves']} pointer moves; the window ended "
                    f"{entry['dragged']['window_moved_by'][0]:+d},{entry['dragged']['window_moved_by'][1]:+d} px away)")
        log(f"    {entry['kind']} of {entry['disturbed']} during a {entry['seconds']} s count: lateness tarnvel "
            f"{fmt(entry['tarnvel_ms'])} ms, floor {fmt(entry['floor_ms'])} ms{note}")
    return out

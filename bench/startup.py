"""Start-up: from the start of the process to its window on the screen,
painted as it then stays, seen from outside by reading the screen's pixels
(X GetImage every few milliseconds over the window's rectangle).

For each program a first, untimed start gives the window's rectangle and its
settled look: the pixels that differ from the empty desktop and hold still
(a blinking caret does not). A timed start then counts from just before the
process is spawned to:
  drawn    the first moment 1% of those pixels have changed (anything shows)
  painted  the first moment 99.5% of them equal the settled look
The programs take turns, so that a slow moment of the machine falls on all
of them alike. After each start the process is ended and the desktop is
awaited to be empty again.

Then one more start each, left 3 s after it has painted, gives the memory the
process holds once started (VmHWM and VmRSS from /proc).

Where the time goes: a few more starts of each Wine program with a relay
trace of its own start-up calls and the DLL loads (+loaddll), each step timed
on the trace's clock from the moment its image was loaded. Tracing slows
every traced call, so these are shares of the start-up, not its length."""

import os
import re
import subprocess
import time

from bench_lib import (FLOOR_CONTROLS_CLASS, FLOOR_WINDOW_CLASS, MAIN_CLASS, ROOT, NativeProgram, Program, RelayLog, clock, fmt, log, median,
                       wait_until)
from xprobe import Comparison, differing

DRAWN_SHARE = 0.01
PAINTED_SHARE = 0.995
POLL_S = 0.003
TIMEOUT_S = 30


class Subject:
    """A program to start and the rectangle (root coordinates) it paints."""

    def __init__(self, name, launch, find_rect):
        self.name = name
        self.launch = launch
        self.find_rect = find_rect
        self.rect = None
        self.baseline = None
        self.settled = None
        self.mask = None
        self.drawn_ms = []
        self.painted_ms = []
        self.memory = None


def quantile(ordered, share):
    """Linear interpolation between the closest ranks of sorted values."""
    position = share * (len(ordered) - 1)
    low = int(position)
    high = min(low + 1, len(ordered) - 1)
    return ordered[low] + (ordered[high] - ordered[low]) * (position - low)


def grab(xd, rect):
    return xd.image(rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1])


def learn(xd, subject, settle_s=2.0):
    """The untimed start: the rectangle, the empty look and the settled look."""
    program = subject.launch()
    try:
        subject.rect = wait_until(subject.find_rect, TIMEOUT_S, f"the window of {subject.name}")
        time.sleep(settle_s)
        first = grab(xd, subject.rect)
        time.sleep(0.7)
        second = grab(xd, subject.rect)
    finally:
        program.kill()
    unstable = set(differing(first, second))
    # The empty look: what is there once the window has gone again, the
    # same in two reads in a row.
    gone = wait_until(lambda: _still_empty(xd, subject.rect, second), 15, f"the window of {subject.name} to go")
    subject.baseline = gone
    subject.settled = second
    subject.mask = [i for i in differing(gone, second) if i not in unstable]
    if not subject.mask:
        raise RuntimeError(f"{subject.name}: its window looks like the empty desktop")


def _still_empty(xd, rect, window_look):
    before = grab(xd, rect)
    time.sleep(0.2)
    after = grab(xd, rect)
    if before != after or len(differing(after, window_look)) < 0.2 * len(after) // 4:
        return None
    return after


def timed_start(xd, subject):
    empty = Comparison(subject.baseline, subject.mask)
    settled = Comparison(subject.settled, subject.mask)
    wait_until(lambda: empty.share(grab(xd, subject.rect)) >= 0.999, 15, f"the desktop to be empty of {subject.name}")
    program = subject.launch()
    drawn = painted = None
    try:
        while clock() - program.started < TIMEOUT_S:
            pixels = grab(xd, subject.rect)
            seen = clock()
            if drawn is None and empty.share(pixels) <= 1 - DRAWN_SHARE:
                drawn = seen
            if settled.share(pixels) >= PAINTED_SHARE:
                painted = seen
                break
            time.sleep(POLL_S)
    finally:
        program.kill()
    if painted is None:
        raise RuntimeError(f"{subject.name} did not paint its window within {TIMEOUT_S} s")
    subject.drawn_ms.append((drawn - program.started) * 1000)
    subject.painted_ms.append((painted - program.started) * 1000)


def memory_after_start(xd, subject, hold_s=3.0):
    settled = Comparison(subject.settled, subject.mask)
    program = subject.launch()
    try:
        wait_until(lambda: settled.share(grab(xd, subject.rect)) >= PAINTED_SHARE, TIMEOUT_S,
                   f"{subject.name} to paint")
        time.sleep(hold_s)
        subject.memory = program.sample()
    finally:
        program.kill()


STEPS = [("runtime and system DLLs, up to the first window", "loaded", "first window"),
         ("the main window made", "first window", "main made"),
         ("the controls made", "main made", "controls made"),
         ("pictures, region and the rest of the load", "controls made", "region set"),
         ("the window shown", "region set", "shown"),
         ("the first paint", "shown", "painted")]
LOADED_RE = re.compile(r"^\s*(\d+\.\d+):[0-9a-f]+:trace:loaddll:\w+ Loaded L\"[^\"]*\\\\([^\\\"]+\.exe)\"")


def start_steps(relay_path, exe_name):
    """The moments of one traced start, in seconds of the trace's clock: the
    image loaded, the first CreateWindowEx, the main window made, the last
    control made before the region (or the show), the region set, the
    window shown and painted. None when the trace lacks a step."""
    loaded = None
    with open(relay_path, "r", encoding="utf-8", errors="replace") as trace:
        for line in trace:
            match = LOADED_RE.match(line)
            if match and match.group(2).lower() == exe_name.lower():
                loaded = float(match.group(1))
                break
    relay = RelayLog(relay_path)
    made = sorted(relay.find("CreateWindowExA") + relay.find("CreateWindowExW"), key=lambda c: c.index)
    shows = relay.find("ShowWindow")
    paints = relay.find("UpdateWindow")
    if loaded is None or not made or not shows or not paints:
        return None
    shown = relay.returns_of(shows[0])
    painted = relay.returns_of(paints[0])
    regions = [relay.returns_of(c) for c in relay.find("SetWindowRgn")]
    before_show = [relay.returns_of(c) for c in made if c.index < shows[0].index]
    main_made = relay.returns_of(made[0])
    controls_made = before_show[-1] if len(before_show) > 1 else main_made
    region_set = regions[0] if regions and regions[0] and regions[0].index < shows[0].index else controls_made
    moments = {"loaded": loaded, "first window": made[0].time, "main made": main_made.time,
               "controls made": controls_made.time, "region set": region_set.time, "shown": shown.time,
               "painted": painted.time}
    return moments


def breakdown(ab, runs=7):
    """Median milliseconds of each start-up step of Tarnvel and of the floor,
    from traced starts (see the module's notes)."""
    config = ab.config
    result = {}
    for name, exe, cls in ((f"tarnvel.exe ({ab.arch})", config.exe, MAIN_CLASS),
                           (f"floor_window.exe ({ab.arch})", config.floor_window, FLOOR_WINDOW_CLASS),
                           (f"floor_controls.exe ({ab.arch})", config.floor_controls, FLOOR_CONTROLS_CLASS)):
        steps = {step: [] for step, _, _ in STEPS}
        totals = []
        for run in range(runs):
            trace = config.artifacts / f"startup-steps-{exe.stem}-{run}.relay.log"
            program = Program(config, exe, relay_path=trace, channels=",+loaddll")
            try:
                wait_until(lambda: ab.visible_window(cls), TIMEOUT_S, f"the window of {name}")
                time.sleep(0.5)
            finally:
                program.kill()
            ab.wait_no_window(cls)
            moments = start_steps(trace, exe.name)
            if moments is None:
                raise RuntimeError(f"{name}: a step of start-up is missing from {trace}")
            for step, begin, end in STEPS:
                steps[step].append((moments[end] - moments[begin]) * 1000)
            totals.append((moments["painted"] - moments["loaded"]) * 1000)
        result[name] = {"steps": {step: median(values) for step, values in steps.items()},
                        "total_ms": median(totals), "runs": runs}
    log("  start-up steps, traced (median ms from the image loaded):")
    for name, figures in result.items():
        log(f"    {name:28s} " + ", ".join(f"{step} {fmt(ms)}" for step, ms in figures["steps"].items())
            + f"; in all {fmt(figures['total_ms'])}")
    return result


def wine_subjects(ab):
    """Tarnvel and the empty-window floor, in the arch's Wine session."""
    config = ab.config

    def rect_of(cls):
        def find():
            window = ab.visible_window(cls)
            if not window:
                return None
            left, top = ab.to_root(window["rect"][0], window["rect"][1])
            right, bottom = ab.to_root(window["rect"][2], window["rect"][3])
            return [left, top, right, bottom]
        return find

    tarnvel = Subject(f"tarnvel.exe ({ab.arch})", lambda: Program(config, config.exe), rect_of(MAIN_CLASS))
    floor = Subject(f"floor_window.exe ({ab.arch})", lambda: Program(config, config.floor_window),
                    rect_of(FLOOR_WINDOW_CLASS))
    controls = Subject(f"floor_controls.exe ({ab.arch})", lambda: Program(config, config.floor_controls),
                       rect_of(FLOOR_CONTROLS_CLASS))
    return tarnvel, floor, controls


class PeerSession:
    """What the peer needs on the bench display: a home of its own and a
    session bus, as a desktop session has one."""

    def __init__(self, display):
        self.home = ROOT / "build" / "bench" / "peer-home"
        runtime = self.home / "run"
        runtime.mkdir(parents=True, exist_ok=True)
        os.chmod(runtime, 0o700)
        self.env = dict(os.environ, DISPLAY=display, HOME=str(self.home), XDG_RUNTIME_DIR=str(runtime),
                        QT_QPA_PLATFORM="xcb")
        for name in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "DBUS_SESSION_BUS_ADDRESS",
                     "DESKTOP_SESSION", "XDG_CURRENT_DESKTOP"):
            self.env.pop(name, None)
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                    text=True)
        self.address = self.bus.stdout.readline().strip()
        if not self.address:
            raise RuntimeError("dbus-daemon gave no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.address

    def stop(self):
        """Ends the services the bus started for the peer, then the bus."""
        for pid in os.listdir("/proc"):
            if not pid.isdigit() or int(pid) == self.bus.pid:
                continue
            try:
                with open(f"/proc/{pid}/environ", "rb") as environ:
                    if f"DBUS_STARTER_ADDRESS={self.address}".encode() in environ.read().split(b"\0"):
                        os.kill(int(pid), 15)
            except (OSError, ValueError):
                pass
        self.bus.terminate()
        self.bus.wait(10)


def peer_subject(peer):
    def find():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "^kshutdown$"], env=peer.env,
                               capture_output=True, text=True, timeout=10).stdout.split()
        if not found:
            return None
        info = subprocess.run(["xwininfo", "-id", found[0]], env=peer.env, capture_output=True, text=True,
                              timeout=10).stdout
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        try:
            left = int(values["Absolute upper-left X"])
            top = int(values["Absolute upper-left Y"])
            return [left, top, left + int(values["Width"]), top + int(values["Height"])]
        except (KeyError, ValueError):
            return None

    return Subject("kshutdown", lambda: NativeProgram(["kshutdown"], peer.env), find)


def run(ab, runs, peer=None, before=None):
    """Start-up of Tarnvel against its floor (and another build of Tarnvel,
    and the peer, when given), in turns; returns the figures."""
    xd = ab.xd
    subjects = list(wine_subjects(ab))
    if before:
        subjects.append(Subject(f"tarnvel.exe before ({ab.arch})", lambda: Program(ab.config, before),
                                subjects[0].find_rect))
    if peer:
        subjects.append(peer_subject(peer))
    for subject in subjects:
        learn(xd, subject)
    for _ in range(runs):
        for subject in subjects:
            timed_start(xd, subject)
    for subject in subjects:
        memory_after_start(xd, subject)

    results = {}
    for subject in subjects:
        results[subject.name] = {
            "runs": len(subject.painted_ms),
            "painted_ms": subject.painted_ms, "drawn_ms": subject.drawn_ms,
            "painted_median_ms": median(subject.painted_ms), "drawn_median_ms": median(subject.drawn_ms),
            "window": [subject.rect[2] - subject.rect[0], subject.rect[3] - subject.rect[1]],
            "window_pixels": len(subject.mask), "memory": subject.memory,
        }
    tarnvel, floor, controls = subjects[0].name, subjects[1].name, subjects[2].name
    ratio = results[tarnvel]["painted_median_ms"] / results[floor]["painted_median_ms"]
    # What the seven visual-style controls cost by themselves, and what the
    # program adds to them.
    controls_ratio = results[controls]["painted_median_ms"] / results[floor]["painted_median_ms"]
    over_controls = results[tarnvel]["painted_median_ms"] / results[controls]["painted_median_ms"]
    # The starts were made in turns: each of Tarnvel's against the floor's
    # next to it, which a slow minute of the machine hits alike.
    paired = sorted(t / f for t, f in zip(subjects[0].painted_ms, subjects[1].painted_ms))
    out = {"subjects": results, "tarnvel": tarnvel, "floor": floor, "ratio": ratio, "controls": controls,
           "controls_ratio": controls_ratio, "over_controls_ratio": over_controls,
           "paired_ratio_median": median(paired), "paired_ratio_quartiles": [quantile(paired, 0.25),
                                                                             quantile(paired, 0.75)],
           "peer": subjects[-1].name if peer else None}
    log(f"  start-up to painted, median of {runs} (min..max), drawn = first pixels:")
    for subject in subjects:
        figures = results[subject.name]
        log(f"    {subject.name:28s} painted {fmt(figures['painted_median_ms'])} ms "
            f"({fmt(min(subject.painted_ms))}..{fmt(max(subject.painted_ms))}), "
            f"drawn {fmt(figures['drawn_median_ms'])} ms; window {figures['window'][0]}x{figures['window'][1]}; "
            f"after start VmHWM {subject.memory['hwm_kb'] / 1024:.1f} MiB, "
            f"VmRSS {subject.memory['rss_kb'] / 1024:.1f} MiB")
    log(f"    ratio tarnvel/floor {ratio:.2f} of the medians, {out['paired_ratio_median']:.2f} the median of the "
        f"paired starts (quartiles {out['paired_ratio_quartiles'][0]:.2f}..{out['paired_ratio_quartiles'][1]:.2f}); "
        f"target at most 1.25")
    log(f"    the controls' floor against the empty one {controls_ratio:.2f}; tarnvel against the controls' floor "
        f"{over_controls:.2f}")
    if before:
        earlier = subjects[3]
        out["before_ratio"] = results[earlier.name]["painted_median_ms"] / results[floor]["painted_median_ms"]
        out["before_paired_ratio_median"] = median(sorted(
            b / f for b, f in zip(earlier.painted_ms, subjects[1].painted_ms)))
        log(f"    before: ratio to the floor {out['before_ratio']:.2f} of the medians, "
            f"{out['before_paired_ratio_median']:.2f} the median of the paired starts; now {ratio:.2f} and "
            f"{out['paired_ratio_median']:.2f}")
    if peer:
        peer_ratio = results[subjects[-1].name]["painted_median_ms"] / results[tarnvel]["painted_median_ms"]
        out["peer_ratio"] = peer_ratio
        log(f"    ratio kshutdown/tarnvel {peer_ratio:.2f}")
    return out

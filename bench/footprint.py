"""Footprint: the executables' sizes, and what the running processes cost,
read from /proc of the Wine process that runs each program (no trace on):
  VmHWM    peak resident memory, idle and then counting
  CPU      utime + stime over an idle period and over a counting period
  wake-ups context switches of all the process's threads over those periods
           (each one is a time the process was woken, or preempted)
tarnvel.exe and floor_timer.exe run side by side in one Wine session. Idle
is measured twice for Tarnvel: as it starts, with the caret in a field, and
with the focus moved to a button by the keyboard (no caret). Counting is a
10-minute count in Tarnvel and a long one in the floor, measured for the
same period.

USER objects: the windows each program owns, counted by the e2e inspector
(top-level windows of its process id and their descendants); that is the
USER objects a program makes most of, not all of them. GDI objects: Wine
answers GetGuiResources for another process with 0, so they are asked and
shown as Wine answers, not counted."""

import time

from bench_lib import (CLOCK_TICKS, FIELD_IDS, FLOOR_TIMER_CLASS, MAIN_CLASS, START_ID, Program, centre, fmt, log,
                       wait_until)

KB = 1024
SIZE_TARGET = 512 * KB  # each program with its pictures for every display scale


def sizes(configs):
    out = {}
    for config in configs:
        for label, path in (("tarnvel.exe", config.exe), ("floor_timer.exe", config.floor_timer),
                            ("floor_window.exe", config.floor_window), ("region_bench.exe", config.region_bench)):
            if path.is_file():
                out[f"{config.arch}/{label}"] = path.stat().st_size
    log("  executable sizes (KiB):")
    for name, size in out.items():
        mark = ""
        if name.endswith("/tarnvel.exe"):
            mark = f"  (target at most {SIZE_TARGET // KB} KiB: " + ("met" if size <= SIZE_TARGET else "NOT met") + ")"
        log(f"    {name:28s} {size / KB:7.1f}{mark}")
    return out


def period(programs, seconds):
    before = {name: program.sample() for name, program in programs.items()}
    time.sleep(seconds)
    after = {name: program.sample() for name, program in programs.items()}
    out = {}
    for name in programs:
        a, b = before[name], after[name]
        elapsed = b["time"] - a["time"]
        cpu_ms = (b["cpu_ticks"] - a["cpu_ticks"]) * 1000 / CLOCK_TICKS
        out[name] = {"seconds": elapsed, "cpu_ms": cpu_ms, "cpu_percent": cpu_ms / 10 / elapsed,
                     "wakeups": b["switches"] - a["switches"],
                     "wakeups_per_s": (b["switches"] - a["switches"]) / elapsed,
                     "hwm_kb": b["hwm_kb"], "rss_kb": b["rss_kb"], "threads": b["threads"]}
    return out


def windows_of(ab, windows_pid):
    """Top-level windows of a process (by its Windows process id), and
    descendants of the ones whose class is unique enough to ask for."""
    tops = [w for w in ab.windows() if w["pid"] == windows_pid]
    children = 0
    for cls in {w["class"] for w in tops}:
        if sum(1 for w in ab.windows(cls)) == 1:
            tree = ab.session.ask(f"tree {cls}")
            children += len(tree.get("controls", []))
    return {"top_level": len(tops), "children": children, "total": len(tops) + children,
            "classes": sorted({w["class"] for w in tops})}


def run(ab, idle_s, count_s):
    config = ab.config
    programs = {"tarnvel": Program(config, config.exe), "floor": Program(config, config.floor_timer, [100000])}
    try:
        main = ab.wait_window(MAIN_CLASS)
        floor_window = ab.wait_window(FLOOR_TIMER_CLASS)
        ab.enter_duration(600)
        # Back to how the program starts: the caret in the hours field.
        ab.desktop.key("shift+Tab")
        wait_until(lambda: ab.controls(MAIN_CLASS)[FIELD_IDS[0]]["focused"], 5, "the hours field to take the focus")
        time.sleep(2)
        idle = period(programs, idle_s)
        # The focus to the Start button, by the keyboard: no caret blinks.
        ab.desktop.key("Tab", "Tab", "Tab")
        wait_until(lambda: ab.controls(MAIN_CLASS)[START_ID]["focused"], 5, "the Start button to take the focus")
        time.sleep(1)
        idle_button = period({"tarnvel": programs["tarnvel"]}, max(5.0, idle_s / 2))
        objects_idle = {"tarnvel": windows_of(ab, main["pid"]), "floor": windows_of(ab, floor_window["pid"])}
        gui = {name: ab.session.ask(f"guires {w['pid']}") for name, w in (("tarnvel", main), ("floor", floor_window))}

        ab.click(centre(ab.controls(MAIN_CLASS)[START_ID]["rect"]))
        ab.click(centre(next(iter(ab.controls(FLOOR_TIMER_CLASS).values()))["rect"]))
        wait_until(lambda: ab.controls(MAIN_CLASS)[START_ID]["text"] == "Pause", 5, "Tarnvel to count")
        time.sleep(1)
        counting = period(programs, count_s)
        counting_text = [ab.controls(MAIN_CLASS)[i]["text"] for i in FIELD_IDS]
        objects_counting = {"tarnvel": windows_of(ab, main["pid"]), "floor": windows_of(ab, floor_window["pid"])}
    finally:
        for program in programs.values():
            program.kill()
        ab.wait_no_window(MAIN_CLASS)
        ab.wait_no_window(FLOOR_TIMER_CLASS)

    out = {"idle": idle, "idle_focus_on_button": idle_button, "counting": counting,
           "fields_while_counting": counting_text, "windows_idle": objects_idle, "windows_counting": objects_counting,
           "guiresources": gui, "idle_s": idle_s, "count_s": count_s}
    log(f"  running costs, tarnvel / floor_timer ({ab.arch}):")
    for label, figures in (("idle, caret in a field", idle), ("counting", counting)):
        t, f = figures["tarnvel"], figures["floor"]
        log(f"    {label:24s} over {t['seconds']:.0f} s: CPU {fmt(t['cpu_ms'], 0)} / {fmt(f['cpu_ms'], 0)} ms "
            f"({t['cpu_percent']:.3f} / {f['cpu_percent']:.3f} % of a core); wake-ups "
            f"{fmt(t['wakeups_per_s'], 2)} / {fmt(f['wakeups_per_s'], 2)} per s; VmHWM "
            f"{t['hwm_kb'] / KB:.1f} / {f['hwm_kb'] / KB:.1f} MiB; threads {t['threads']} / {f['threads']}")
    t = idle_button["tarnvel"]
    log(f"    {'idle, focus on a button':24s} over {t['seconds']:.0f} s: CPU {fmt(t['cpu_ms'], 0)} ms; wake-ups "
        f"{fmt(t['wakeups_per_s'], 2)} per s (tarnvel only)")
    log(f"    windows owned (USER objects of the window kind): tarnvel {objects_idle['tarnvel']['total']} "
        f"({objects_idle['tarnvel']['top_level']} top-level), floor {objects_idle['floor']['total']}; "
        f"while counting: tarnvel {objects_counting['tarnvel']['total']}")
    log(f"    GetGuiResources from another process under Wine: tarnvel {gui['tarnvel']}, floor {gui['floor']}")
    return out

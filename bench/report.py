"""Turns the figures of one run (build/bench/results.json) into the summary
printed at the end and into BENCHMARKS.md."""

KIB = 1024
MIB = 1024 * 1024


def f(value, digits=1):
    if value is None or value != value:
        return "n/a"
    return f"{value:.{digits}f}"


def met(flag):
    return "n/a" if flag is None else ("met" if flag else "**not met**")


def drift(e, who, of=""):
    """The fitted drift with its standard error, e.g. "-12 +- 40 ms per hour";
    of="tick_" for that of the last timer event."""
    value = e.get(f"{who}_{of}drift_fit_ms_per_hour", float("nan"))
    error = e.get(f"{who}_{of}drift_error_ms_per_hour")
    text = f"{value:+.0f}".replace("+0", "0").replace("-0", "0") if value == value else "n/a"
    return text + (f" ± {error:.0f}" if error is not None and error == error else "") + " ms per hour"


def _get(data, *keys):
    for key in keys:
        if data is None:
            return None
        data = data.get(key) if isinstance(data, dict) else None
    return data


def targets(results):
    """(what, figures, met) for every target."""
    rows = []
    arch = results["arch"]
    arches = [a for a in (results["arch"], results.get("also")) if a]
    long = _get(results, arch, "expiry", "by_duration", "60")
    if long:
        t, fl = long["tarnvel"], long["floor"]
        rows.append((f"Expiry, 60 s count ({arch}): median lateness within 20 ms of the floor's",
                     f"{f(t['median_ms'])} ms against {f(fl['median_ms'])} ms "
                     f"(+{f(t['median_ms'] - fl['median_ms'])} ms)",
                     t["median_ms"] - fl["median_ms"] <= 20))
        rows.append((f"Expiry, 60 s count ({arch}): worst lateness within 50 ms of the floor's worst",
                     f"{f(t['worst_ms'])} ms against {f(fl['worst_ms'])} ms "
                     f"(+{f(t['worst_ms'] - fl['worst_ms'])} ms; {long['runs']} round(s))",
                     t["worst_ms"] - fl["worst_ms"] <= 50))
    for a in arches:
        s = _get(results, a, "startup")
        if s:
            t, fl = s["subjects"][s["tarnvel"]], s["subjects"][s["floor"]]
            rows.append((f"Start-up ({a}) at most 1.25 x the floor (both the ratio of the medians and the median "
                          f"of the paired starts' ratios)",
                         f"{f(t['painted_median_ms'])} ms against {f(fl['painted_median_ms'])} ms: "
                         f"x{s['ratio']:.2f}; paired x{s['paired_ratio_median']:.2f} (quartiles "
                         f"{s['paired_ratio_quartiles'][0]:.2f}..{s['paired_ratio_quartiles'][1]:.2f}); the "
                         f"seven visual-style controls alone take x{s['controls_ratio']:.2f} the floor, and "
                         f"Tarnvel x{s['over_controls_ratio']:.2f} of that",
                         s["ratio"] <= 1.25 and s["paired_ratio_median"] <= 1.25))
    for a in arches:
        r = _get(results, a, "region")
        s = _get(results, a, "startup")
        if r:
            share = r["builder_median_ms"] / s["subjects"][s["tarnvel"]]["painted_median_ms"] if s else None
            rows.append((f"Region build ({a}): ratio to the floor reported; at most 10% of start-up",
                         f"{f(r['builder_median_ms'], 2)} ms against {f(r['floor_median_ms'], 2)} ms: "
                         f"x{r['ratio']:.1f}; {f(share * 100 if share is not None else None)}% of start-up",
                         None if share is None else share <= 0.10))
    e = _get(results, arch, "expiry")
    if e:
        rows.append(("Idle: no timer of the program's own before Start",
                     "SetTimer calls before the click in the relay traces: "
                     + ("some" if e["tarnvel_timer_before_click"] else "none"),
                     not e["tarnvel_timer_before_click"]))
    for a in arches:
        fp = _get(results, a, "footprint")
        if fp:
            t = fp["idle"]["tarnvel"]
            b = fp["idle_focus_on_button"]["tarnvel"]
            rows.append((f"Idle ({a}): CPU time about 0 (at most 0.1% of a core)",
                         f"{f(t['cpu_ms'], 0)} ms over {f(t['seconds'], 0)} s ({t['cpu_percent']:.3f}%)",
                         t["cpu_percent"] <= 0.1))
            rows.append((f"Idle ({a}): no wake-ups",
                         f"{f(t['wakeups_per_s'], 2)} context switches/s with the caret in a field, "
                         f"{f(b['wakeups_per_s'], 2)}/s with the focus on a button",
                         t["wakeups"] == 0 and b["wakeups"] == 0))
    sizes = results.get("sizes") or {}
    for name, size in sizes.items():
        if name.endswith("/tarnvel.exe"):
            rows.append((f"{name} at most 512 KB", f"{size} bytes ({size / KIB:.1f} KiB)", size <= 512 * KIB))
    return rows


def summary(results):
    lines = ["== summary: every figure next to its floor (same run)"]
    arch = results["arch"]
    arches = [a for a in (results["arch"], results.get("also")) if a]
    e = _get(results, arch, "expiry")
    if e:
        lines.append(f"expiry ({arch}), lateness median / worst, tarnvel vs floor:")
        for seconds, entry in e["by_duration"].items():
            t, fl = entry["tarnvel"], entry["floor"]
            lines.append(f"  {seconds:>3s} s x{entry['runs']}: {f(t['median_ms'])} / {f(t['worst_ms'])} ms vs "
                         f"{f(fl['median_ms'])} / {f(fl['worst_ms'])} ms (from the click: "
                         f"{f(t['from_click_median_ms'])} / {f(t['from_click_worst_ms'])} vs "
                         f"{f(fl['from_click_median_ms'])} / {f(fl['from_click_worst_ms'])} ms)")
        lines.append(f"  drift (fitted slope) {drift(e, 'tarnvel')} vs {drift(e, 'floor')}; fixed part "
                     f"{f(e['tarnvel_fixed_ms'])} vs {f(e['floor_fixed_ms'])} ms")
        lines.append(f"  drift of the last timer event {drift(e, 'tarnvel', 'tick_')} vs {drift(e, 'floor', 'tick_')}")
        for d in e["disturbed"]:
            lines.append(f"  {d['kind']} ({d['disturbed']}) in a {d['seconds']} s count: {f(d['tarnvel_ms'])} vs "
                         f"{f(d['floor_ms'])} ms")
    for a in arches:
        s = _get(results, a, "startup")
        if s:
            t, fl = s["subjects"][s["tarnvel"]], s["subjects"][s["floor"]]
            lines.append(f"start-up ({a}), median to painted: {f(t['painted_median_ms'])} vs "
                         f"{f(fl['painted_median_ms'])} ms, ratio {s['ratio']:.2f} (paired "
                         f"{s['paired_ratio_median']:.2f})")
            if s.get("peer"):
                p = s["subjects"][s["peer"]]
                lines.append(f"  peer kshutdown: {f(p['painted_median_ms'])} ms, {s['peer_ratio']:.2f} x tarnvel; "
                             f"VmHWM after start {p['memory']['hwm_kb'] / KIB:.1f} vs "
                             f"{t['memory']['hwm_kb'] / KIB:.1f} MiB")
        r = _get(results, a, "region")
        if r:
            lines.append(f"region build ({a}): {f(r['builder_median_ms'], 3)} vs {f(r['floor_median_ms'], 3)} ms, "
                         f"ratio {r['ratio']:.1f}")
        fp = _get(results, a, "footprint")
        if fp:
            for label in ("idle", "counting"):
                t, fl = fp[label]["tarnvel"], fp[label]["floor"]
                lines.append(f"{label} ({a}) over {f(t['seconds'], 0)} s: CPU {f(t['cpu_ms'], 0)} vs "
                             f"{f(fl['cpu_ms'], 0)} ms, {f(t['wakeups_per_s'], 2)} vs {f(fl['wakeups_per_s'], 2)} "
                             f"switches/s, VmHWM {t['hwm_kb'] / KIB:.1f} vs {fl['hwm_kb'] / KIB:.1f} MiB")
    lines.append("targets:")
    for what, figures, flag in targets(results):
        lines.append(f"  [{met(flag).replace('*', '')}] {what}: {figures}")
    return "\n".join(lines)


# How start-up changed when the program stopped loading OLE, oleaut32 and
# shell32 to show its window (the skin and close pictures decoded by the
# program, the About picture and the link's shell loaded when first used) and
# drew its labels and images itself instead of giving each a window. Measured
# once, against the version before (commit 88bd5bb), with the start-up
# benchmark pointed at each executable in one session, 21 starts each.
START_UP_HISTORY = [
    "**Before and after.** The version before this one loaded ole32, oleaut32 and shell32 and decoded its skin and "
    "close pictures through OLE before its first window, and gave each of its eleven labels and images a window of "
    "its own (17 windows in all, against 9 now: the main window, the skin box, three fields and four buttons). In "
    "one session, 21 starts each, screen-measured as above: x86_64 79.7 ms against the floor's 47.8 ms (x1.67, "
    "paired x1.67) before, 70.7 ms against 50.7 ms (x1.39, paired x1.38) after; i686 83.8 ms against 55.9 ms "
    "(x1.50, paired x1.58) before, 81.9 ms against 58.1 ms (x1.41, paired x1.44) after. The steps of the version "
    "before, traced as in the table above (medians of 7): x86_64 101 ms up to the first window (the pictures "
    "decoded through OLE among it), 7 ms the main window, 19 ms its 16 other windows, 3 ms the region and the rest "
    "of the load, 27 ms shown, 9 ms the first paint; i686 108, 6, 19, 3, 27 and 10 ms.",
    "**What stands in the way of x1.25.** The seven visual-style controls themselves: the controls' floor above, "
    "which makes just them the way the program does, takes a good part of the margin on its own (loading the "
    "common controls and the theme, making and painting the controls; between x1.06 and x1.32 the empty window in "
    "the runs recorded so far). Tarnvel adds to it its skin (decoded by the program in about 0.2 ms), the window "
    "region, its drawn labels and pictures and its fonts (the step \"pictures, region and the rest of the load\" "
    "above), plus the erasing of its fields and buttons while the window is shown, which a window that clips its "
    "children (the skin box and the main window do) does at once rather than with the first paint. In-process "
    "timings of one x86_64 build, made once while this version was written (not part of the program), put the "
    "window's showing at about 22 ms against the controls' floor's 12 ms, and the whole start-up from WinMain at "
    "about 63 ms against 49 ms.",
]


def markdown(results):
    m = results["machine"]
    arch = results["arch"]
    arches = [a for a in (results["arch"], results.get("also")) if a]
    st = results["settings"]
    out = []
    w = out.append
    w("# Benchmarks")
    w("")
    w("Figures of one run of `bench/run_bench.sh` on the development machine. Every figure is measured on the "
      "real `tarnvel.exe` under Wine on Xvfb, next to its floor (a minimal program of ours doing only the part "
      "measured) in the same run, the two taking turns or running side by side, as the machine is shared and "
      "its speed varies from minute to minute. `bench/run_bench.sh` writes this file again with `--record`; "
      "`bench/` holds the programs and the scripts.")
    w("")
    w(f"- Command: `{results['command']}` (with `--record` to write this file)")
    w(f"- Wall time: {results['wall_seconds']:.0f} s"
      + (", the incremental build included" if results.get("built") else ""))
    w(f"- Machine: {m['nproc']} cores (`nproc`), {m['cpu']}; {m['wine']}; Xvfb 1280x1024x24 with a Wine virtual "
      f"desktop of 1024x768; load average {m['load_at_start']:.2f} at the start (other Wine runs may share the "
      "machine)")
    w(f"- Date: {results['date']}; full set on {arch}"
      + (f", start-up, region build and footprint also on {results['also']}" if results.get("also") else ""))
    if results["failures"]:
        w("- Could not run: " + "; ".join(results["failures"]))
    w("")
    w("## Targets")
    w("")
    w("| target | figures | |")
    w("|---|---|---|")
    for what, figures, flag in targets(results):
        w(f"| {what} | {figures} | {met(flag)} |")
    w("")

    e = _get(results, arch, "expiry")
    w("## 1. Expiry accuracy")
    w("")
    w("Tarnvel and `bench/floor_timer.exe` (one button: its click sets a 1000 ms timer, the Nth timer event "
      "calls `ExitWindowsEx(12, 0xffffffff)`; no fields, no notice, no privilege) run at the same time in one "
      "Wine session, each with a relay trace (`+relay,+timestamp`, kept to `SetTimer`, `KillTimer` and "
      "`ExitWindowsEx` as called by the program itself). Start is clicked in both with xdotool (press, "
      "release). A count is timed from the program's own `SetTimer` call (the click's arrival) to its "
      "`ExitWindowsEx` call, both on the trace's clock (Wine's tick count, the raw monotonic clock in ms, so "
      "figures come in whole milliseconds). Lateness is that time less the nominal duration. `wineboot.exe` "
      "is disabled, so the call fails and the session stays for the next round. Rounds: 3 s and 10 s "
      "alternating, then the 60 s count(s), then the disturbed rounds below.")
    w("")
    if e:
        w("| count | rounds | Tarnvel median / worst | floor median / worst | Tarnvel less floor (medians) "
          "| from the click: Tarnvel / floor (medians) |")
        w("|---|---|---|---|---|---|")
        for seconds, entry in e["by_duration"].items():
            t, fl = entry["tarnvel"], entry["floor"]
            w(f"| {seconds} s | {entry['runs']} | {f(t['median_ms'])} / {f(t['worst_ms'])} ms "
              f"| {f(fl['median_ms'])} / {f(fl['worst_ms'])} ms | {f(t['median_ms'] - fl['median_ms'])} ms "
              f"| {f(t['from_click_median_ms'])} / {f(fl['from_click_median_ms'])} ms |")
        w("")
        long = _get(e, "by_duration", "60")
        w(f"**Drift.** Lateness fitted over all plain rounds as a fixed part plus a drift proportional to the "
          f"duration (± the drift's standard error): Tarnvel {f(e['tarnvel_fixed_ms'])} ms and "
          f"{drift(e, 'tarnvel')}, floor {f(e['floor_fixed_ms'])} ms and {drift(e, 'floor')}. With counts of at "
          f"most 60 s and the trace's 1 ms steps, a drift within two standard errors of zero is not told apart "
          f"from none: the lateness is then a fixed cost at expiry, not growing with the count."
          + (f" Taking the whole lateness of the 60 s count as drift, which overstates it, gives at most "
             f"{f(long['tarnvel']['scaled_ms_per_hour'], 0)} ms per hour (floor "
             f"{f(long['floor']['scaled_ms_per_hour'], 0)})." if long else ""))
        w("")
        if "tarnvel_tick_drift_fit_ms_per_hour" in e:
            w("**The timer events and the expiry work.** The lateness has two parts: how late the count's last "
              "timer event comes (the program's `WM_TIMER` in the trace), and the work from that event to the "
              "session-ending call (Tarnvel: the fields, the privilege, the notice shown; the floor: none). "
              "Medians by count, Tarnvel / floor: " + "; ".join(
                  f"{seconds} s: last event {f(entry['tarnvel']['last_tick_median_ms'])} / "
                  f"{f(entry['floor']['last_tick_median_ms'])} ms late, then "
                  f"{f(entry['tarnvel']['expiry_work_median_ms'])} / {f(entry['floor']['expiry_work_median_ms'])} ms "
                  f"of work"
                  for seconds, entry in e["by_duration"].items()) +
              f". The last timer event fitted as above: Tarnvel {drift(e, 'tarnvel', 'tick_')}, floor "
              f"{drift(e, 'floor', 'tick_')}; a slope of the whole lateness that the timer events do not share "
              f"comes from the expiry work, not from the count.")
            w("")
        w(f"**From the click.** It counts from the moment xdotool is started to send the button's release, so it "
          f"includes xdotool's own start (a few ms: most of the floor's figure). From there to `SetTimer`: median "
          f"{f(e['tarnvel_click_to_timer_median_ms'])} ms in Tarnvel (it relabels the button and disables the "
          f"fields before it sets the timer), {f(e['floor_click_to_timer_median_ms'])} ms in the floor. "
          f"Session-ending calls seen: "
          f"{', '.join('(' + ', '.join(a) + ')' for a in e['tarnvel_exit_arguments'])} from Tarnvel, once per "
          f"round, and no `SetTimer` before the click.")
        w("")
        w("Every round, in the order run (lateness from `SetTimer`, Tarnvel / floor): " + "; ".join(
            f"{r['seconds']} s {r['kind'] + (' ' + r['disturbed'] if r['disturbed'] else '')} "
            f"{f(r['tarnvel']['lateness_ms'], 0)} / {f(r['floor']['lateness_ms'], 0)} ms" for r in e["rounds"]) + ".")
        w("")
        w("**When timer events come late.** The count follows timer events, not the wall clock: each event takes "
          "one second off. Disturbed 10 s rounds:")
        w("")
        w("| disturbance | Tarnvel lateness | floor lateness |")
        w("|---|---|---|")
        for d in e["disturbed"]:
            if d["kind"] == "drag":
                moved = d["dragged"]["window_moved_by"] if d["dragged"] else None
                place = "skin of Tarnvel" if d["disturbed"] == "tarnvel" else "floor caption"
                what = (f"left button held on the {place}"
                        f" and moved for 5 s (system move loop; {d['dragged']['moves'] if d['dragged'] else '?'} "
                        f"pointer moves, window left {moved[0]:+d},{moved[1]:+d} px away)" if moved else "drag")
            else:
                what = "both processes stopped (SIGSTOP) for 3.2 s, then resumed"
            w(f"| {what} | {f(d['tarnvel_ms'])} ms | {f(d['floor_ms'])} ms |")
        w("")
        drags = [d for d in e["disturbed"] if d["kind"] == "drag"]
        stall = next((d for d in e["disturbed"] if d["kind"] == "stall"), None)
        plain10 = _get(e, "by_duration", "10")
        if drags and plain10:
            worst_drag = max(d["tarnvel_ms"] for d in drags if d["disturbed"] == "tarnvel")
            grew = worst_drag - plain10["tarnvel"]["worst_ms"]
            w(f"During the drag the system's move loop goes on dispatching the timer: the dragged Tarnvel ended "
              f"{f(worst_drag)} ms late, against {f(plain10['tarnvel']['worst_ms'])} ms at worst undisturbed "
              f"({'+' if grew >= 0 else ''}{f(grew)} ms).")
            w("")
        if stall:
            w(f"A stopped process gets no timer events, and the ones it missed do not come afterwards (one pending "
              f"WM_TIMER is delivered, not one per missed period): after a 3.2 s stop both "
              f"counts ended {f(stall['tarnvel_ms'] / 1000, 2)} s (Tarnvel) and {f(stall['floor_ms'] / 1000, 2)} s "
              f"(floor) late, the whole seconds missed. A count held up that way ends late by that much.")
        w("")

    w("## 2. Start-up")
    w("")
    w("From just before the process is spawned (`wine` or `wine64` with the program) to its window painted as it "
      "then stays, seen from outside: the bench reads the window's rectangle off the X screen (GetImage over "
      "the display's socket) every few milliseconds. An untimed start first gives each program's settled look "
      "(the pixels that differ from the empty desktop and hold still); *painted* is the first moment 99.5% of "
      "those pixels show it, *drawn* the first moment 1% have changed. The floor, `bench/floor_window.exe`, "
      "shows one empty window of the main window's size and place. The programs take turns; each is ended "
      "after it has painted. The session (desktop, services) is running already, as it is for a user.")
    w("")
    w("| arch | program | runs | painted, median (min..max) | drawn, median | ratio to the floor |")
    w("|---|---|---|---|---|---|")
    for a in arches:
        s = _get(results, a, "startup")
        if not s:
            continue
        floor_ms = s["subjects"][s["floor"]]["painted_median_ms"]
        for name, fig in s["subjects"].items():
            ms = fig["painted_ms"]
            w(f"| {a} | {name} | {fig['runs']} | {f(fig['painted_median_ms'])} ms ({f(min(ms))}..{f(max(ms))}) "
              f"| {f(fig['drawn_median_ms'])} ms | {fig['painted_median_ms'] / floor_ms:.2f} |")
    w("")
    for a in arches:
        s = _get(results, a, "startup")
        if s:
            w(f"Paired ({a}): each of Tarnvel's starts against the floor's started next to it, the median of those "
              f"ratios is {s['paired_ratio_median']:.2f} (quartiles {s['paired_ratio_quartiles'][0]:.2f} to "
              f"{s['paired_ratio_quartiles'][1]:.2f}). ")
    w("")
    for a in arches:
        s = _get(results, a, "startup")
        if s and "controls_ratio" in s:
            w(f"The controls' floor ({a}), `bench/floor_controls.exe`: the empty window with the main window's "
              f"three edit fields and four push buttons at their places, made as the program makes them (the same "
              f"manifest, so the same visual-style controls): x{s['controls_ratio']:.2f} the empty window. "
              f"Tarnvel, which adds its skin, its window region, its drawn labels and pictures and its fonts to "
              f"those controls, takes x{s['over_controls_ratio']:.2f} the controls' floor.")
    w("")
    w(f"Timed starts per program: {st['startup_runs']}. Single starts spread widely on this machine (see "
      f"min..max); the ratios are what to read.")
    w("")
    w("**Where the time goes.** More starts of each program with a relay trace of its own start-up calls "
      "(`CreateWindowEx`, `SetWindowRgn`, `ShowWindow`, `UpdateWindow`) and of the DLL loads (`+loaddll`), each "
      "step timed on the trace's clock from the moment the program's image was loaded (the median of the "
      "traced starts). Tracing slows every traced call and Wine's own start-up comes before the image is "
      "loaded, so read the steps as shares, next to the floor's.")
    w("")
    steps = [(a, _get(results, a, "startup_steps")) for a in arches]
    steps = [(a, s_) for a, s_ in steps if s_]
    if steps:
        names = list(next(iter(steps[0][1].values()))["steps"])
        w("| arch | program | " + " | ".join(names) + " | in all |")
        w("|---|---|" + "---|" * (len(names) + 1))
        for a, s_ in steps:
            for program, fig in s_.items():
                w(f"| {a} | {program} | " + " | ".join(f"{f(fig['steps'][n])} ms" for n in names)
                  + f" | {f(fig['total_ms'])} ms |")
        w("")
    for paragraph in START_UP_HISTORY:
        w(paragraph)
        w("")

    w("## 3. Region build")
    w("")
    w("`bench/region_bench.exe` decodes the skin from the same GIF resource with `ui/pictures/gif_picture.cpp`, draws it "
      "into a memory image as the skin box does, and times in-process (QueryPerformanceCounter), "
      f"alternately, {st['region_runs']} times each: the program's `CreatePictureRegionFromImage` (the pixels "
      "read in place from the image's bits, CreateRectRgn per run, CombineRgn into the first) and the floor: "
      "one `GetDIBits` of the memory image's own bitmap, the same scan over that memory, one "
      "`ExtCreateRegion`. Both regions are compared with `EqualRgn`.")
    w("")
    w("| arch | builder, median (min, p90) | floor, median (min, p90) | ratio | same region | rectangles "
      "| share of start-up |")
    w("|---|---|---|---|---|---|---|")
    for a in arches:
        r = _get(results, a, "region")
        s = _get(results, a, "startup")
        if not r:
            continue
        share = r["builder_median_ms"] / s["subjects"][s["tarnvel"]]["painted_median_ms"] * 100 if s else None
        w(f"| {a} | {f(r['builder_median_ms'], 3)} ms ({f(r['builder_min_ms'], 3)}, {f(r['builder_p90_ms'], 3)}) "
          f"| {f(r['floor_median_ms'], 3)} ms ({f(r['floor_min_ms'], 3)}, {f(r['floor_p90_ms'], 3)}) "
          f"| {r['ratio']:.1f} | {'yes' if r['same_region'] else 'no'} | {r['builder_rects']} "
          f"| {f(share)}% |")
    w("")
    shares, over = [], []
    for a in arches:
        r, s = _get(results, a, "region"), _get(results, a, "startup")
        if r and s:
            share = r["builder_median_ms"] / s["subjects"][s["tarnvel"]]["painted_median_ms"]
            shares.append(f"{f(share * 100)}% ({a})")
            if share > 0.10:
                over.append(a)
    if shares:
        w("Share of the start-up median of the same run: " + ", ".join(shares) + ". "
          + (f"The region build costs more than 10% of start-up on {' and '.join(over)}." if over else
             "Under 10% in this run."))
        w("")

    w("## 4. Footprint")
    w("")
    sizes = results.get("sizes") or {}
    if sizes:
        w("| executable | bytes | KiB |")
        w("|---|---|---|")
        for name, size in sizes.items():
            w(f"| {name} | {size} | {size / KIB:.1f} |")
        w("")
    w(f"`tarnvel.exe` and `floor_timer.exe` run side by side, without trace, read from `/proc/<pid>` of the "
      f"Wine process running each (`wine64` runs a 64-bit program in its own process, `wine` a 32-bit one): "
      f"CPU time is utime + stime; wake-ups are counted as the context switches of all its threads (every time "
      f"one stopped running: to wait for an event or for a reply of the wineserver, or preempted), so they are "
      f"an upper bound of the times it was woken; VmHWM is the peak resident memory so far, Wine's own DLLs in "
      f"the process included. Idle: {st['idle_seconds']:g} s with the caret in the hours field, as the program starts, "
      f"then Tarnvel alone with the focus moved to the Start button by the keyboard. Counting: "
      f"{st['count_seconds']:g} s of a 10-minute count in Tarnvel and of a long one in the floor (periods "
      f"shortened from 60 s to keep the whole run under 10 minutes).")
    w("")
    w("| arch | period | Tarnvel CPU | floor CPU | Tarnvel wake-ups | floor wake-ups | Tarnvel VmHWM "
      "| floor VmHWM |")
    w("|---|---|---|---|---|---|---|---|")
    for a in arches:
        fp = _get(results, a, "footprint")
        if not fp:
            continue
        for label, key in (("idle, caret in a field", "idle"), ("counting", "counting")):
            t, fl = fp[key]["tarnvel"], fp[key]["floor"]
            w(f"| {a} | {label}, {f(t['seconds'], 0)} s | {f(t['cpu_ms'], 0)} ms | {f(fl['cpu_ms'], 0)} ms "
              f"| {f(t['wakeups_per_s'], 2)}/s | {f(fl['wakeups_per_s'], 2)}/s | {t['hwm_kb'] / KIB:.1f} MiB "
              f"| {fl['hwm_kb'] / KIB:.1f} MiB |")
        b = fp["idle_focus_on_button"]["tarnvel"]
        w(f"| {a} | idle, focus on a button, {f(b['seconds'], 0)} s | {f(b['cpu_ms'], 0)} ms | | "
          f"{f(b['wakeups_per_s'], 2)}/s | | {b['hwm_kb'] / KIB:.1f} MiB | |")
    w("")
    w("CPU time is counted in clock ticks of 10 ms, so 0 means less than one tick.")
    fp = _get(results, arch, "footprint")
    if fp:
        t = fp["idle"]["tarnvel"]
        b = fp["idle_focus_on_button"]["tarnvel"]
        if t["wakeups"] and not b["wakeups"]:
            w(f"The idle wake-ups come with the caret: with the caret blinking in the focused field the process "
              f"stopped running {f(t['wakeups_per_s'], 2)} times a second, with the focus moved to a button not "
              f"once. The blink is the system's (the edit control's caret timer), not a timer of the program's "
              f"own, which sets none before Start (section 1).")
        wo = fp["windows_idle"]
        w("")
        w(f"USER objects: the windows each program owns, counted through the e2e inspector (top-level windows of "
          f"its process id and their descendants): Tarnvel {wo['tarnvel']['total']} "
          f"({wo['tarnvel']['top_level']} top-level: {', '.join(wo['tarnvel']['classes'])}), floor "
          f"{wo['floor']['total']}; Tarnvel while counting {fp['windows_counting']['tarnvel']['total']}. That is "
          f"the kind of USER object a program makes most of, not all of them (menus, cursors and icons are not "
          f"counted). GDI objects could not be measured honestly: under Wine `GetGuiResources` for another "
          f"process answers {fp['guiresources']['tarnvel'].get('gdi')} GDI and "
          f"{fp['guiresources']['tarnvel'].get('user')} USER objects for both programs.")
    w("")

    s = _get(results, arch, "startup")
    w("## 5. A peer: kshutdown")
    w("")
    if s and s.get("peer"):
        p = s["subjects"][s["peer"]]
        t = s["subjects"][s["tarnvel"]]
        fl = s["subjects"][s["floor"]]
        w("What a Linux user would pick instead: `kshutdown` from Debian's packages, a Qt/KDE program, started "
          "on the same Xvfb (outside Wine, with a session bus of its own started once before, as a desktop "
          "session has) in turn with Tarnvel and the floor, timed the same way to its window painted. Memory: "
          "VmHWM and VmRSS of each process 3 s after it painted.")
        w("")
        w("| program | start-up, median to painted | ratio to Tarnvel | VmHWM after start | VmRSS after start |")
        w("|---|---|---|---|---|")
        for name, fig in ((s["tarnvel"], t), (s["floor"], fl), (s["peer"], p)):
            w(f"| {name} | {f(fig['painted_median_ms'])} ms | {fig['painted_median_ms'] / t['painted_median_ms']:.2f} "
              f"| {fig['memory']['hwm_kb'] / KIB:.1f} MiB | {fig['memory']['rss_kb'] / KIB:.1f} MiB |")
        w("")
        w("kshutdown's figures are of its own process; the services its session bus starts for it "
          "(kglobalaccel) and the bus are not counted, as the Wine programs' figures leave out the wineserver and "
          "the Wine desktop.")
    else:
        w("Not measured in this run.")
    w("")
    w("## Reading the figures")
    w("")
    w("- The machine has two cores and is shared; medians and the floor of the same run are what to compare, "
      "not one figure with another run's.")
    w("- The relay trace writes a line for every window-procedure call of a traced program, so Tarnvel, "
      "with more windows and messages than the floor, pays a little more of that cost in its expiry figures.")
    w("- Start-up includes starting a Wine process (loader, system DLLs), which the floor pays too; the ratio is "
      "what the program adds to that.")
    w("")
    return "\n".join(out)

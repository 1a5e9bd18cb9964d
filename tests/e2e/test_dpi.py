"""The program at 96, 120, 144 and 192 DPI. It lays every window out at the
display's DPI (README, "How it behaves on different displays"): at each
setting every window and control is its 96-DPI size times s = DPI / 96
(within a pixel of rounding), the window region s squared times its area,
every caption whole inside its control, and the skin on screen exactly the
picture the program derives for that scale from its artwork, so that no
stretching at run time can pass. A window told its DPI changed (as Windows
does when it moves to another monitor) lays itself out again at the new
one. run_matrix.py runs one scenario per setting, 96 first, each in a prefix
of its own; the other settings are compared with what the 96-DPI run
measured."""

import os
import shutil
import subprocess
from collections import Counter
from functools import lru_cache

from desktop_input import read_pixels
from tarnvel_case import ABOUT_WINDOW, MAIN, NOTICE, OPTIONS_WINDOW, ID, TarnvelCase, size
from wine_session import ROOT

MARGIN = 8  # desktop around the window in the screenshot
# Whose captions are judged, and how the caption is told from the face:
# "face" where a caption sits on a plain face (the most common colour inside
# the frame), "light" for the white captions drawn straight on the skin.
CAPTIONS = {
    "IDC_COMMAND1": "face", "IDC_COMMAND2": "face", "IDC_COMMAND3": "face", "IDC_BTNOPTION": "face",
    "IDC_TEXT1_0": "face", "IDC_TEXT1_1": "face", "IDC_TEXT1_2": "face",
    "IDC_LABEL1_0": "light", "IDC_LABEL1_1": "light", "IDC_LABEL1_2": "light", "IDC_LABEL1_3": "light",
}
FRAME = 1  # push buttons and edits have a one-pixel frame under Wine's default look
SKIN_SIZE = (184, 312)  # at 96 DPI
AREA_TOLERANCE = 0.02
# Every window at 96 DPI as it looks to a mouse user, pixel for pixel
# (tests/e2e/reference; TARNVEL_UPDATE_REFERENCES=1 writes them anew).
REFERENCES = ROOT / "tests" / "e2e" / "reference"
# What the 96-DPI run measured, per architecture, for the other settings.
REFERENCE = {}


class Picture:
    """An RGB screenshot with (x, y) access."""

    def __init__(self, path):
        self.width, self.height, self.rgb = read_pixels(path)

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]


def covered(rects, x0, x1, y):
    """Whether the row y from x0 to x1 (exclusive) lies wholly in the rects."""
    spans = sorted((r[0], r[2]) for r in rects if r[1] <= y < r[3])
    reach = x0
    for left, right in spans:
        if left > reach:
            break
        reach = max(reach, right)
    return reach >= x1


def distance(a, b):
    return sum(abs(p - q) for p, q in zip(a, b))


def ink_box(picture, box, kind, ignore):
    """The bounding box [l, t, r, b] (inclusive) of the caption's pixels
    inside box, and how many there are, skipping the points in ignore."""
    points = [(x, y) for y in range(box[1], box[3]) for x in range(box[0], box[2])
              if not any(r[0] <= x < r[2] and r[1] <= y < r[3] for r in ignore)]
    if kind == "face":
        face = Counter(picture.at(x, y) for x, y in points).most_common(1)[0][0]
        ink = [(x, y) for x, y in points if distance(picture.at(x, y), face) > 120]
    else:
        ink = [(x, y) for x, y in points if min(picture.at(x, y)) >= 150]
    if not ink:
        return None, 0
    xs, ys = [x for x, _ in ink], [y for _, y in ink]
    return [min(xs), min(ys), max(xs), max(ys)], len(ink)


def gif_pixels(path):
    """(width, height, [(r, g, b) or None for transparent]) of a GIF, read
    through ImageMagick."""
    width, height = map(int, subprocess.run(["identify", "-format", "%w %h", str(path)], capture_output=True,
                                            text=True, timeout=30, check=True).stdout.split())
    data = subprocess.run(["convert", str(path), "-depth", "8", "rgba:-"], capture_output=True, timeout=30,
                          check=True).stdout
    return width, height, [tuple(data[i:i + 3]) if data[i + 3] else None for i in range(0, len(data), 4)]


def axis_weights(source, result):
    """Per result cell, its first source cell and the overlaps from there
    on, in 1/result of a source cell: result cell r spans
    [r * source, (r + 1) * source), source cell c spans [c * result, (c + 1) * result)."""
    cells = []
    for r in range(result):
        begin, end = r * source, (r + 1) * source
        first = begin // result
        weights = []
        c = first
        while c < source and c * result < end:
            weights.append(min(end, (c + 1) * result) - max(begin, c * result))
            c += 1
        cells.append((first, weights))
    return cells


def area_averaged(width, height, pixels, new_width, new_height):
    """The picture resized by area averaging, as the program resizes its
    artwork: a pixel is opaque when at least half its area is, and takes the
    rounded average of the opaque part."""
    across, down = axis_weights(width, new_width), axis_weights(height, new_height)
    # Across each source row first: (covered, red, green, blue) sums per result column.
    rows = []
    for y in range(height):
        row = pixels[y * width:(y + 1) * width]
        sums = []
        for first, weights in across:
            total = [0, 0, 0, 0]
            for i, w in enumerate(weights):
                p = row[first + i]
                if p:
                    total[0] += w
                    total[1] += w * p[0]
                    total[2] += w * p[1]
                    total[3] += w * p[2]
            sums.append(total)
        rows.append(sums)
    cell = width * height
    result = []
    for first, weights in down:
        for x in range(new_width):
            total = [0, 0, 0, 0]
            for j, w in enumerate(weights):
                part = rows[first + j][x]
                for k in range(4):
                    total[k] += w * part[k]
            c = total[0]
            result.append(tuple((s + c // 2) // c for s in total[1:]) if 2 * c >= cell else None)
    return result


@lru_cache(maxsize=None)
def skin_at(dpi):
    """The skin the program shows at a DPI: the 100 % artwork at 96 DPI,
    else the 200 % artwork area-averaged to the scale's size."""
    if dpi == 96:
        return gif_pixels(ROOT / "res" / "skin.gif")
    width, height, pixels = gif_pixels(ROOT / "res" / "skin-200.gif")
    new_width, new_height = SKIN_SIZE[0] * dpi // 96, SKIN_SIZE[1] * dpi // 96
    return new_width, new_height, area_averaged(width, height, pixels, new_width, new_height)


def relative(rect, origin):
    return [rect[0] - origin[0], rect[1] - origin[1], rect[2] - origin[0], rect[3] - origin[1]]


def region_area(rects):
    return sum((r[2] - r[0]) * (r[3] - r[1]) for r in rects)


class DpiScenario(TarnvelCase):
    """One setting's scenario; run_matrix.py makes a subclass per setting
    with log_pixels set and runs it in that setting's prefix."""

    log_pixels = None

    def shared_artifact(self, name):
        """The architecture's artifact folder, beside the other suites' screenshots."""
        return ROOT / "build" / "e2e-artifacts" / self.config.arch / name

    def assertLikeReference(self, shot, name):
        """At 96 DPI the screenshot is the reference picture, pixel for pixel."""
        if self.log_pixels != 96:
            return
        reference = REFERENCES / f"{name}.png"
        if os.environ.get("TARNVEL_UPDATE_REFERENCES") == "1":
            shutil.copy(shot, reference)
        compared = subprocess.run(["compare", "-metric", "AE", str(reference), str(shot), "null:"],
                                  capture_output=True, text=True, timeout=60)
        self.assertEqual(compared.stderr.strip(), "0",
                         f"{shot} differs from {reference} ({compared.stderr.strip()} pixels)")

    def reference(self):
        found = REFERENCE.get(self.config.arch)
        if found is None:
            self.skipTest("no 96-DPI run in this matrix run to compare the sizes with")
        return found

    def test_windows_scale_with_the_setting(self):
        reported = self.ask("dpi")
        self.assertEqual(reported["logpixelsy"], self.log_pixels,
                         f"the prefix does not run at {self.log_pixels} DPI: {reported}")
        dpi = self.log_pixels
        main = self.measure_main()
        if dpi == 96:
            REFERENCE[self.config.arch] = {"main": main}
        self.check_scaled("main", main, dpi)
        self.check_main_on_screen(dpi, f"dpi-{dpi}.png")

        # Told that its DPI changed, the window lays itself out again at the
        # new one, pictures and region included, and back.
        other = 144 if dpi == 96 else 96
        for new in (other, dpi):
            self.assertTrue(self.ask(f"dpichanged {MAIN} {new}")["answered"], "WM_DPICHANGED not answered")
            with self.subTest(dpi_changed_to=new):
                self.check_scaled("main", self.measure_main(), new)
                self.check_main_on_screen(new, f"dpi-{dpi}-changed-to-{new}.png", captions=False)

        self.check_secondary_windows(dpi, other)

    def measure_main(self):
        window = self.window(MAIN)
        origin = window["rect"][:2]
        controls = {c["id"]: relative(c["rect"], origin) for c in self.controls().values()
                    if c["id"] != ID["IDC_PIC1"]}
        region = self.ask(f"region {MAIN}")["rects"]
        self.assertTrue(region, "the main window has no window region")
        return {"size": size(window["rect"]), "controls": controls, "area": region_area(region)}

    def measure_client(self, cls):
        window = self.window(cls)
        client = window["client"]
        controls = {c["id"]: relative(c["rect"], client[:2]) for c in self.controls(cls).values()}
        return {"size": size(client), "controls": controls}

    def check_scaled(self, name, measured, dpi):
        """The measured sizes are the 96-DPI ones times s, within a pixel;
        the region's area s squared times its 96-DPI area, within 2 %."""
        reference = self.reference()[name]
        s = dpi / 96

        def off(got, wanted):
            return [g for g, w in zip(got, wanted) if abs(g - w * s) > 1]
        self.assertEqual(off(measured["size"], reference["size"]), [],
                         f"{name} at {dpi} DPI: size {measured['size']}, at 96 DPI {reference['size']}")
        self.assertEqual(measured["controls"].keys(), reference["controls"].keys())
        for cid, rect in measured["controls"].items():
            self.assertEqual(off(rect, reference["controls"][cid]), [],
                             f"{name} control {cid} at {dpi} DPI: {rect}, at 96 DPI {reference['controls'][cid]}")
        if "area" in reference:
            ratio = measured["area"] / (reference["area"] * s * s)
            self.assertLess(abs(ratio - 1), AREA_TOLERANCE,
                            f"{name}'s region at {dpi} DPI: {measured['area']} pixels, "
                            f"{ratio:.3f} times s squared the 96-DPI area")

    def check_main_on_screen(self, dpi, shot_name, captions=True):
        """The controls lie on the figure and inside the region, their
        captions whole inside them, and the skin between them is the picture
        for the scale, pixel for pixel."""
        main = self.window(MAIN)
        left, top = main["rect"][:2]
        width, height = size(main["rect"])
        controls = {c["id"]: c for c in self.controls().values() if c["id"] != ID["IDC_PIC1"]}
        controls.update(self.drawn_controls(MAIN, dpi))
        rects = {cid: relative(c["rect"], (left, top)) for cid, c in controls.items()}
        region = self.ask(f"region {MAIN}")["rects"]
        names = {ID[name]: name for name in ID}
        for cid, r in rects.items():
            outside = [y for y in range(r[1], r[3]) if not covered(region, r[0], r[2], y)]
            self.assertEqual(outside, [], f"{names.get(cid, cid)} {r} has rows outside the window region")
        self.assertFalse(covered(region, 0, 1, 0), "the window's corner is not outside its region")

        self.leave_for_desktop()  # deactivated, no field shows a caret or a selection
        shot = self.desktop.screenshot(self.shared_artifact(shot_name),
                                       [left - MARGIN, top - MARGIN, left + width + MARGIN, top + height + MARGIN])
        if captions:
            self.assertLikeReference(shot, "main")
        picture = Picture(shot)

        def window_point(x, y):
            return x + MARGIN, y + MARGIN

        if captions:
            for name, kind in CAPTIONS.items():
                with self.subTest(caption=name):
                    self.check_caption_fits(picture, name, kind, rects, window_point)
        self.check_skin_drawn(picture, dpi, (width, height), rects.values(), window_point)

    def check_skin_drawn(self, picture, dpi, window_size, control_rects, window_point):
        skin_width, skin_height, skin = skin_at(dpi)
        self.assertEqual(window_size, (skin_width, skin_height), f"the window is not the skin's size at {dpi} DPI")
        differ, compared = [], 0
        for y in range(skin_height):
            for x in range(skin_width):
                wanted = skin[y * skin_width + x]
                if wanted is None or any(r[0] <= x < r[2] and r[1] <= y < r[3] for r in control_rects):
                    continue
                compared += 1
                if picture.at(*window_point(x, y)) != wanted:
                    differ.append((x, y))
        self.assertGreater(compared, skin_width * skin_height // 3, "too little of the skin left to compare")
        self.assertEqual(differ[:10], [], f"{len(differ)} of {compared} skin pixels at {dpi} DPI are not the "
                                          "picture for the scale")

    def check_caption_fits(self, picture, name, kind, rects, window_point):
        r = rects[ID[name]]
        inset = FRAME if kind == "face" else 0
        inner = [*window_point(r[0] + inset, r[1] + inset), *window_point(r[2] - inset, r[3] - inset)]
        # Siblings made earlier lie on top of this control where they overlap it.
        ignore = []
        for cid, other in rects.items():
            if cid != ID[name] and other[0] < r[2] and r[0] < other[2] and other[1] < r[3] and r[1] < other[3]:
                ignore.append([*window_point(other[0], other[1]), *window_point(other[2], other[3])])
        box, count = ink_box(picture, inner, kind, ignore)
        self.assertIsNotNone(box, f"no caption drawn in {name}")
        self.assertGreater(count, 6, f"{name}: only {count} caption pixels")
        # Captions are clipped at the control's edge: a caption that reaches
        # an edge where its alignment leaves room was cut off. Labels start
        # at their left and top edges; buttons and edits centre theirs.
        gaps = {"right": inner[2] - 1 - box[2], "bottom": inner[3] - 1 - box[3]}
        if kind == "face":
            gaps.update(left=box[0] - inner[0], top=box[1] - inner[1])
        cut = {side: gap for side, gap in gaps.items() if gap < 1}
        self.assertEqual(cut, {}, f"{name}'s caption touches its {', '.join(cut)} edge: "
                                  f"caption pixels {box}, inside {inner}")

    def check_secondary_windows(self, dpi, other):
        """Options, About and the time-up notice: client sizes and control
        places at the setting, and again after a change of DPI."""
        reference = REFERENCE[self.config.arch]
        for cls in (OPTIONS_WINDOW, ABOUT_WINDOW, NOTICE):
            self.open_window(cls)
            with self.subTest(window=cls):
                measured = self.measure_client(cls)
                if dpi == 96:
                    reference[cls] = measured
                self.check_scaled(cls, measured, dpi)
                name = cls[len('Tarnvel'):].lower()
                shot = self.desktop.screenshot(self.shared_artifact(f"dpi-{dpi}-{name}.png"), self.window(cls)["rect"])
                self.assertLikeReference(shot, name)
        for cls in (OPTIONS_WINDOW, ABOUT_WINDOW, NOTICE):
            with self.subTest(window=cls, dpi_changed_to=other):
                self.assertTrue(self.ask(f"dpichanged {cls} {other}")["answered"])
                self.check_scaled(cls, self.measure_client(cls), other)

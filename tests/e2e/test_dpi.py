"""The program at 96, 120 and 144 DPI. It is DPI-unaware on purpose (README,
"How it behaves on different displays"): laid out in 96-DPI pixels with
fonts sized for 96 DPI, so under Wine, which does not scale such windows,
the main window must look the same at every setting: every control inside
the window region and on the figure, every caption whole inside its
control, and the same pixels as at 96 DPI. run_matrix.py runs one scenario
per setting, each in a prefix of its own."""

from collections import Counter

from desktop_input import read_pixels
from tarnvel_case import ABOUT, ABOUT_WINDOW, MAIN, OPTION, OPTIONS_WINDOW, ID, TarnvelCase, size
from wine_session import ROOT, wait_until

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
# Screenshots at 96 DPI, kept for comparing the other settings with.
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


class DpiScenario(TarnvelCase):
    """One setting's scenario; run_matrix.py makes a subclass per setting
    with log_pixels set and runs it in that setting's prefix."""

    log_pixels = None

    def shared_artifact(self, name):
        """The architecture's artifact folder, beside the other suites' screenshots."""
        return ROOT / "build" / "e2e-artifacts" / self.config.arch / name

    def test_main_window_keeps_its_figure_and_captions_fit(self):
        reported = self.ask("dpi")
        self.assertEqual(reported["logpixelsy"], self.log_pixels,
                         f"the prefix does not run at {self.log_pixels} DPI: {reported}")
        main = self.main
        self.assertEqual(size(main["rect"]), (184, 312), f"main window size at {self.log_pixels} DPI")
        left, top = main["rect"][:2]
        controls = {c["id"]: c for c in self.controls().values() if c["id"] != ID["IDC_PIC1"]}
        controls.update(self.drawn_controls(MAIN))
        rects = {cid: [c["rect"][0] - left, c["rect"][1] - top, c["rect"][2] - left, c["rect"][3] - top]
                 for cid, c in controls.items()}
        region = self.ask(f"region {MAIN}")["rects"]
        self.assertTrue(region, "the main window has no window region")
        names = {ID[name]: name for name in ID}
        for cid, r in rects.items():
            outside = [y for y in range(r[1], r[3]) if not covered(region, r[0], r[2], y)]
            self.assertEqual(outside, [], f"{names.get(cid, cid)} {r} has rows outside the window region")

        # Deactivated, no field shows a caret or a selection: the picture is
        # then the same whenever it is taken.
        self.desktop.click(left - 40, top + 40)
        wait_until(lambda: not any(c["focused"] for c in self.controls().values()), 3,
                   "the program to lose the focus to the desktop")
        shot = self.desktop.screenshot(self.shared_artifact(f"dpi-{self.log_pixels}.png"),
                                       [left - MARGIN, top - MARGIN, left + 184 + MARGIN, top + 312 + MARGIN])
        picture = Picture(shot)
        desktop = picture.at(1, 1)
        self.assertFalse(covered(region, 0, 1, 0), "the window's corner is not outside its region")

        def window_point(x, y):
            return x + MARGIN, y + MARGIN

        for cid, r in rects.items():
            ring = [(x, y) for d in (1, 2) for x in range(r[0] - d, r[2] + d) for y in (r[1] - d, r[3] - 1 + d)]
            ring += [(x, y) for d in (1, 2) for y in range(r[1] - d, r[3] + d) for x in (r[0] - d, r[2] - 1 + d)]
            bare = [p for p in ring if distance(picture.at(*window_point(*p)), desktop) <= 12]
            self.assertEqual(bare, [], f"{names.get(cid, cid)} is not on the figure: desktop colour around it")

        for name, kind in CAPTIONS.items():
            with self.subTest(caption=name):
                self.check_caption_fits(picture, name, kind, rects, window_point)

        self.compare_with_96(picture)
        self.check_secondary_windows()

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

    def compare_with_96(self, picture):
        if self.log_pixels == 96:
            REFERENCE[self.config.arch] = picture
            return
        reference = REFERENCE.get(self.config.arch)
        if reference is None:
            self.skipTest("no 96-DPI screenshot of this run to compare with")
        self.assertEqual((picture.width, picture.height), (reference.width, reference.height))
        differ = sum(1 for i in range(0, len(picture.rgb), 3) if picture.rgb[i:i + 3] != reference.rgb[i:i + 3])
        self.assertLessEqual(differ / (picture.width * picture.height), 0.005,
                             f"{differ} pixels differ from the window at 96 DPI: fonts or pictures were scaled")

    def check_secondary_windows(self):
        """Options and About keep their 96-DPI client sizes; only their
        caption bars (drawn by Wine) follow the setting."""
        for button, cls, client in ((OPTION, OPTIONS_WINDOW, (170, 114)), (ABOUT, ABOUT_WINDOW, (312, 198))):
            self.click_control(button)
            window = wait_until(lambda: self.window(cls), 3, f"the {cls} window")
            self.assertEqual(size(window["client"]), client, f"{cls} client size at {self.log_pixels} DPI")
            for control in self.controls(cls).values():
                r, c = control["rect"], window["client"]
                self.assertTrue(c[0] <= r[0] and r[2] <= c[2] and c[1] <= r[1] and r[3] <= c[3],
                                f"{cls} control {control['id']} {r} sticks out of the client area {c}")
            name = f"dpi-{self.log_pixels}-{cls[len('Tarnvel'):].lower()}.png"
            self.desktop.screenshot(self.shared_artifact(name), window["rect"])

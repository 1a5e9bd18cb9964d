#!/usr/bin/env python3
"""Screenshots of every window of the program on a Traditional Chinese
Windows (code page 950, with a Ming face installed for the Chinese face
names the program asks for) and on a Western one (1252, with no Chinese
face), and checks of what they show:

- the About window draws "Progammer" through an ANSI call followed by the
  full-width colon in the system's code page: the Big5 bytes A1 47 under 950,
  an ASCII ':' under 1252 (from the relay trace of the drawing calls);
- the time fields look different with and without the Ming face.

    tests/screens/code_pages.py [ARCH]      (default i686)

Wine takes the code page from LANG. Screens: build/e2e-artifacts/ARCH/
codepage-950/ and codepage-1252/ (main, confirm, options, about, notice and
the whole desktop). Ends with "N passed, N failed"; exits non-zero on failure.
"""

import re
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import tarnvel_case  # noqa: E402
from desktop_input import read_pixels  # noqa: E402
from tarnvel_case import ABOUT_WINDOW, MINUTES, NOTICE, OPTIONS_WINDOW, TarnvelCase  # noqa: E402
from wine_session import DESKTOP_SIZE, ROOT, Config, Xvfb, cannot_run, prepare_prefix, wait_until, wineserver_kill  # noqa: E402

# Every call that could draw the About labels' text, in either character set.
DRAWING = [f"{dll}.{name}{cs}" for dll, name in [("user32", "DrawText"), ("user32", "DrawTextEx"),
                                                   ("gdi32", "ExtTextOut"), ("gdi32", "TextOut")] for cs in "AW"]
MING_FACES = ("新細明體", "PMingLiU")
MING_REPLACEMENT = "AR PL UMing TW"  # Debian's fonts-arphic-uming
# name: LANG, whether the Ming face is installed, what follows "Progammer" in ANSI
LOCALES = {"950": ("zh_TW.UTF-8", True, b"\xa1\x47"), "1252": ("en_US.UTF-8", False, b":")}
FIELDS_AREA = (32, 200, 153, 225)  # the three time fields, in the main window
# Wine's trace escapes a byte of an ANSI string as \xNN, a character of a
# Unicode one as \NNNN.
ESCAPES = {False: re.compile(r"\\(x[0-9a-f]{2}|.)"), True: re.compile(r"\\([0-9a-f]{4}|.)")}


def traced_text(text, wide):
    """The string of a relay trace argument as the program passed it: bytes
    for an ANSI call, characters for a Unicode one."""
    def unescape(match):
        code = match.group(1)
        if len(code) > 1:
            return chr(int(code.lstrip("x"), 16))
        return {"n": "\n", "r": "\r", "t": "\t"}.get(code, code)
    plain = ESCAPES[wide].sub(unescape, text)
    return plain if wide else plain.encode("latin-1")


class CodePageScreens(TarnvelCase):
    """One locale's run; main() sets code_page and the harness per locale."""

    code_page = None

    def shoot(self, name, rect):
        return self.screenshot(f"{self.code_page}-{name}", rect)

    def test_every_window_and_the_about_text(self):
        self.shoot("main", self.main["rect"])

        self.type_into(MINUTES, "75")
        self.desktop.key("Tab")
        box = self.wait_dialog("Confirm")
        time.sleep(0.3)
        self.shoot("confirm", box["rect"])
        # A Chinese Windows labels the box's button in Chinese: press its only button.
        self.assertEqual(len(box["buttons"]), 1, box)
        self.click_at(tarnvel_case.centre(box["buttons"][0]["rect"]), "#32770")
        wait_until(lambda: not any(d["hwnd"] == box["hwnd"] for d in self.dialogs()), 5, "the Confirm box to close")

        options = self.open_window(OPTIONS_WINDOW)
        time.sleep(0.3)
        self.shoot("options", options["rect"])
        self.click_at(self.close_point(options), options["class"])
        wait_until(lambda: not self.window(options["class"]), 3, "the Options window to close")

        about = self.open_window(ABOUT_WINDOW)
        time.sleep(0.5)
        self.shoot("about", about["rect"])
        self.shoot("desktop", [0, 0, *DESKTOP_SIZE])
        drawn = self.about_texts()
        self.click_at(self.close_point(about), ABOUT_WINDOW)
        wait_until(lambda: not self.window(ABOUT_WINDOW), 3, "the About window to close")

        self.start_count("2", minutes="0", hours="0")
        notice = wait_until(lambda: self.window(NOTICE), 8, "the time-up notice")
        time.sleep(0.3)
        self.shoot("notice", notice["rect"])

        self.check_about_text(drawn)

    def about_texts(self):
        """(function, text) of every drawing call whose text starts "Progammer"."""
        found = []
        for call in self.program.relay().calls:
            if call.kind == "Call" and f"{call.dll.lower()}.{call.func}" in DRAWING:
                match = re.search(r'L?"(.*)"', call.args)
                wide = call.func.endswith("W")
                text = traced_text(match.group(1), wide) if match else None
                if text and text.startswith("Progammer" if wide else b"Progammer"):
                    found.append((call.func, text))
        return found

    def check_about_text(self, drawn):
        expected = LOCALES[self.code_page][2]
        ansi = {text for func, text in drawn if isinstance(text, bytes)}
        self.assertTrue(ansi, f"code page {self.code_page}: no ANSI call drew the Programmer label; "
                              f"drawn: {drawn or 'nothing traced'}")
        self.assertEqual(ansi, {b"Progammer" + expected},
                         f"code page {self.code_page}: the label's bytes are not the colon of this code page")


def fields_differ(first, second):
    """Pixels that differ in the time fields between two main-window shots."""
    left, top, right, bottom = FIELDS_AREA
    a = read_pixels(first, FIELDS_AREA)
    b = read_pixels(second, FIELDS_AREA)
    assert a[:2] == b[:2] == (right - left, bottom - top), (a[:2], b[:2])
    return sum(1 for i in range(0, len(a[2]), 3) if a[2][i:i + 3] != b[2][i:i + 3])


def prepare(config, ming):
    # With the calls by which a test sees a count start (TarnvelCase.start_count).
    prepare_prefix(config, relay_include=";".join(DRAWING + ["user32.SetTimer", "user32.SetWindowTextA"]))
    replacements = r"HKCU\Software\Wine\Fonts\Replacements"
    for face in MING_FACES:
        args = ["add", replacements, "/v", face, "/d", MING_REPLACEMENT, "/f"] if ming else \
            ["delete", replacements, "/v", face, "/f"]
        subprocess.run([config.wine(), "reg", *args], env=config.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=ming)
    wineserver_kill(config)


def main():
    arch = sys.argv[1] if len(sys.argv) > 1 else "i686"
    refused = cannot_run(arch, "code pages")
    if refused:
        print(refused, file=sys.stderr)
        return 1
    xvfb = Xvfb()
    display = xvfb.start()
    result = unittest.TextTestResult(unittest.runner._WritelnDecorator(sys.stdout), True, 2)
    mains = {}
    try:
        for code_page, (lang, ming, _) in LOCALES.items():
            config = Config(arch, prefix=ROOT / "build" / "wine-fonts" / f"{arch}-{'cjk' if ming else 'fallback'}")
            config.display = display
            config.artifacts = ROOT / "build" / "e2e-artifacts" / arch / f"codepage-{code_page}"
            config.artifacts.mkdir(parents=True, exist_ok=True)
            for old in config.artifacts.glob("*"):
                old.unlink()
            config.lang = lang
            print(f"== code page {code_page} ({lang}, {'a Ming face' if ming else 'no Chinese face'}), "
                  f"screens in {config.artifacts}", flush=True)
            prepare(config, ming)
            tarnvel_case.HARNESS = tarnvel_case.Harness(config)
            case = type(f"CodePage{code_page}", (CodePageScreens,), {"code_page": code_page})
            try:
                unittest.defaultTestLoader.loadTestsFromTestCase(case).run(result)
            finally:
                tarnvel_case.HARNESS.session.stop()
                tarnvel_case.HARNESS = None
            mains[code_page] = config.artifacts / f"{code_page}-main.png"
    finally:
        xvfb.stop()
    result.printErrors()
    failed = len({getattr(t, "test_case", t).id() for t, _ in result.failures + result.errors})
    passed = result.testsRun - failed
    if all(path.is_file() for path in mains.values()) and len(mains) == 2:
        differing = fields_differ(*mains.values())
        print(f"pixels differing in the time fields with and without the Ming face: {differing}")
        if differing > 0:
            passed += 1
        else:
            print("FAIL the time fields look the same with and without the Ming face")
            failed += 1
    else:
        print("FAIL no main-window screenshot of both code pages to compare")
        failed += 1
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())

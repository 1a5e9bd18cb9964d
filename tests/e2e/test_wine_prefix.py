#!/usr/bin/env python3
"""scripts/wine_prefix.py on a small stand-in template, without Wine: what a
prefix shares with its template, that writing in a prefix leaves the
template alone, when a prefix is reused or remade, and that verify sees a
template that was written to."""

import contextlib
import io
import json
import os
import shutil
import sys
import tempfile
import time
import unittest
from pathlib import Path
from unittest import mock

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))

import wine_prefix  # noqa: E402

BIG = b"MZ" + bytes(wine_prefix.SHARED_MIN_SIZE)
TEMPLATE_FILES = {"system.reg": BIG, "user.reg": b"[Software]\n", ".update-timestamp": b"1\n",
                  "drive_c/windows/system32/kernel32.dll": BIG, "drive_c/windows/Fonts/tahoma.ttf": BIG,
                  "drive_c/windows/win.ini": b"[fonts]\n", "drive_c/windows/inf/input.pnf": b"pnf"}


class PrefixFromTemplate(unittest.TestCase):
    def setUp(self):
        self.templates = Path(tempfile.mkdtemp(prefix="tarnvel-prefix-test-"))
        self.addCleanup(shutil.rmtree, self.templates)
        self.template, self.prefix = self.templates / "i686", self.templates / "prefixes" / "i686-win10"
        an_hour_ago = time.time_ns() - 3600 * 10**9  # so that a write now changes the time
        for name, content in TEMPLATE_FILES.items():
            (self.template / name).parent.mkdir(parents=True, exist_ok=True)
            (self.template / name).write_bytes(content)
            os.utime(self.template / name, ns=(an_hour_ago, an_hour_ago))
        (self.template / "drive_c" / "users" / "Temp").mkdir(parents=True)
        (self.template / "dosdevices").mkdir()
        (self.template / "dosdevices" / "c:").symlink_to("../drive_c")
        self.set_template("wine-8.0", made=1)
        patch = mock.patch.object(wine_prefix, "wine_version", return_value="wine-8.0")
        self.wine_version = patch.start()
        self.addCleanup(patch.stop)

    def set_template(self, wine, made):
        (self.templates / "i686.json").write_text(json.dumps(
            {"wine": wine, "made": made, "files": wine_prefix.file_list(self.template)}))

    def make(self):
        with mock.patch.object(wine_prefix, "make_template") as make_template, \
                contextlib.redirect_stdout(io.StringIO()):
            made = wine_prefix.make("i686", self.prefix, {}, self.templates)
        return made, make_template.called

    def test_prefix_shares_only_the_big_files_below_the_top(self):
        self.assertEqual(self.make(), (True, False))
        for name in TEMPLATE_FILES:
            shared = os.path.samefile(self.template / name, self.prefix / name)
            self.assertEqual(shared, name.endswith((".dll", ".ttf")), name)
            self.assertEqual((self.prefix / name).read_bytes(), TEMPLATE_FILES[name], name)
        self.assertEqual(os.readlink(self.prefix / "dosdevices" / "c:"), "../drive_c")
        self.assertTrue((self.prefix / "drive_c" / "users" / "Temp").is_dir())
        for name in ("system.reg", "drive_c/windows/win.ini", "drive_c/windows/inf/input.pnf"):
            with open(self.prefix / name, "r+b") as written:  # in place, as Wine writes them
                written.write(b"changed")
        self.assertEqual(wine_prefix.verify(self.templates), [])

    def test_prefix_is_reused_until_its_template_is_remade(self):
        self.make()
        (self.prefix / "drive_c" / "run.log").write_text("from the first run")
        self.assertEqual(self.make(), (False, False))
        self.assertTrue((self.prefix / "drive_c" / "run.log").exists())
        self.set_template("wine-8.0", made=2)
        self.assertEqual(self.make(), (True, False))
        self.assertFalse((self.prefix / "drive_c" / "run.log").exists())
        self.wine_version.return_value = "wine-9.0"
        self.assertTrue(self.make()[1], "a template that another Wine made is remade")

    def test_verify_reports_a_template_written_through_a_prefix(self):
        self.make()
        with open(self.prefix / "drive_c/windows/system32/kernel32.dll", "r+b") as dll:
            dll.write(b"ZM")
        os.link(self.template / "user.reg", self.templates / "user.reg.shared")
        problems = wine_prefix.verify(self.templates)
        self.assertEqual(len(problems), 2, problems)
        self.assertIn("i686/drive_c/windows/system32/kernel32.dll: made as", problems[0])
        self.assertIn("i686/user.reg: shared", problems[1])


if __name__ == "__main__":
    unittest.main()

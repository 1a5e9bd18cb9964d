#!/usr/bin/env python3
"""The choice of Wine loaders (scripts/wine_loaders.py) and what follows from
it, without Wine: how the 32-bit loader is tried, that the answer is kept for
the run, which loader each prefix gets, which suites of the test command run
and which are skipped, that a prefix that cannot be made says so in one
line naming the command, and that the runner's deadlines fire on silent
suites and machines and leave no process behind. HangingGuest boots the real
virtual machine and is run by name where the test command uses it."""

import io
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path
from unittest import mock

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))

import test_suites  # noqa: E402
import vm  # noqa: E402
import wine_loaders  # noqa: E402
import wine_prefix  # noqa: E402


def alive(pid):
    """Whether a process runs (a zombie, ended and not yet reaped, does not)."""
    try:
        return Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False

LOADERS = {"wine32": "/opt/wine/wine", "wine64": "/opt/wine/wine64"}
RUNS = {wine_loaders.DECISION: "runs", wine_loaders.DECISION_WHY: ""}
FAILS = {wine_loaders.DECISION: "fails", wine_loaders.DECISION_WHY: "this machine cannot run 32-bit programs (x)"}


class TryingTheLoader(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="tarnvel-loader-test-"))
        self.addCleanup(shutil.rmtree, self.folder)

    def program(self, name, content):
        path = self.folder / name
        path.write_bytes(content)
        path.chmod(path.stat().st_mode | stat.S_IXUSR)
        return str(path)

    def test_a_loader_that_runs_one_that_cannot_and_one_that_is_missing(self):
        self.assertEqual(wine_loaders.try_loader(self.program("ok", b"#!/bin/sh\necho wine-8.0\n")), (True, ""))
        # Bytes the kernel cannot execute fail as a 32-bit loader does on a
        # kernel without 32-bit emulation.
        runs, why = wine_loaders.try_loader(self.program("foreign", b"\x7fELF\x01\x01\x01" + bytes(64)))
        self.assertFalse(runs)
        self.assertIn("Exec format error", why)
        runs, why = wine_loaders.try_loader(str(self.folder / "absent"))
        self.assertEqual((runs, why), (False, f"{self.folder / 'absent'} is not installed"))
        runs, why = wine_loaders.try_loader(self.program("fails", b"#!/bin/sh\necho broken >&2\nexit 3\n"))
        self.assertEqual((runs, why.endswith("exited 3: broken")), (False, True))

    def test_the_loaders_are_read_from_the_launcher(self):
        launcher = self.program("wine", b"#!/bin/sh\nwine32=/x/wine\nwine64=/x/wine64\nexec $wine\n")
        self.assertEqual(wine_loaders.launcher_loaders(launcher), {"wine32": "/x/wine", "wine64": "/x/wine64"})
        self.assertEqual(wine_loaders.launcher_loaders(str(self.folder / "none")), wine_loaders.DEFAULT_LOADERS)


class TheDecision(unittest.TestCase):
    def test_tried_once_and_kept_for_the_programs_the_run_starts(self):
        env = {}
        with mock.patch.dict(os.environ, {}, clear=True), \
                mock.patch.object(wine_loaders, "try_loader", return_value=(False, "Exec format error")) as tried:
            self.assertEqual(wine_loaders.decide(env, LOADERS),
                             (False, "this machine cannot run 32-bit programs (Exec format error)"))
            self.assertEqual(os.environ[wine_loaders.DECISION], "fails")
            wine_loaders.decide(env, LOADERS)
            wine_loaders.decide(None, LOADERS)
        self.assertEqual(tried.call_count, 1)
        tried.assert_called_with("/opt/wine/wine")
        self.assertEqual(env[wine_loaders.DECISION], "fails")

    def test_forced_for_one_run_without_trying_the_loader(self):
        env = {wine_loaders.FORCED: "1"}
        with mock.patch.dict(os.environ, {}, clear=True), \
                mock.patch.object(wine_loaders, "try_loader", return_value=(True, "")) as tried:
            runs, why = wine_loaders.decide(env, LOADERS)
        self.assertFalse(runs)
        self.assertIn("TARNVEL_NO_WINE32=1", why)
        tried.assert_not_called()
        self.assertEqual(env[wine_loaders.DECISION], "fails")

    def test_each_answer_gives_each_prefix_its_loader(self):
        for decision, i686, x86_64, loader_set in [(RUNS, "wine", "wine", False),
                                                   (FAILS, "wine", "/opt/wine/wine64", True)]:
            with self.subTest(decision[wine_loaders.DECISION]):
                env = dict(decision)
                self.assertEqual(wine_loaders.loader("i686", env, LOADERS), i686)
                self.assertEqual(wine_loaders.loader("x86_64", env, LOADERS), x86_64)
                self.assertEqual(wine_loaders.can_run("i686", env)[0], decision is RUNS)
                self.assertEqual(wine_loaders.can_run("x86_64", env), (True, ""))
                with mock.patch.object(wine_loaders, "launcher_loaders", return_value=LOADERS):
                    made = wine_loaders.wine_env("x86_64", dict(env))
                self.assertEqual(made.get("WINELOADER"), "/opt/wine/wine64" if loader_set else None)


class TheSuites(unittest.TestCase):
    def test_a_machine_that_runs_32_bit_programs_skips_nothing(self):
        suites = test_suites.plan(True)
        self.assertEqual([s.name for s in suites if s.skipped], [])
        names = [s.name for s in suites]
        for wanted in ("end-to-end (i686)", "unit tests under Wine (i686)", "DPI settings (i686)",
                       "soak: 2,000 random actions and 100 Options/About cycles (i686)", "code pages 950 and 1252 (i686)",
                       "Windows 98, 2000 and XP (i686), every call checked under Windows 98"):
            self.assertIn(wanted, names)

    def test_without_32_bit_programs_the_i686_suites_run_in_the_virtual_machine(self):
        here = {s.name: s.command for s in test_suites.plan(True)}
        suites = test_suites.plan(False, "no 32-bit here", vm_runs=True)
        self.assertEqual([s.name for s in suites if s.skipped], [])
        in_vm = {s.name: s.command for s in suites if s.command[:len(test_suites.IN_VM)] == test_suites.IN_VM}
        self.assertEqual(sorted(in_vm), sorted(s.name for s in suites if s.needs_i686))
        self.assertEqual(len(in_vm), 4)
        for name, command in in_vm.items():
            self.assertIn("(i686, in a virtual machine)", name)
            self.assertEqual(command[command.index("--") + 1:], here[name.replace(", in a virtual machine", "")])
            self.assertEqual(command[command.index("--name") + 1], name)

    def test_without_32_bit_programs_or_the_virtual_machine_the_i686_suites_are_skipped(self):
        suites = test_suites.plan(False, "no 32-bit here", vm_runs=False, vm_why="no QEMU")
        skipped = {s.name: s.skipped for s in suites if s.skipped}
        self.assertEqual(set(skipped.values()), {"no 32-bit here, and the virtual machine cannot start: no QEMU"})
        self.assertEqual(sorted(skipped), sorted(s.name for s in suites if s.needs_i686))
        self.assertEqual(len(skipped), 4)
        ran = [s for s in suites if not s.skipped]
        self.assertFalse([s.name for s in ran if "i686" in " ".join(s.command) or "(i686)" in s.name])
        for wanted in ("executables: old-Windows imports and hardening", "end-to-end (x86_64)",
                       "the Windows 9x code path (x86_64 under Wine set to win98)", "DPI settings (x86_64)",
                       "soak: 2,000 random actions and 100 Options/About cycles (x86_64)", "code pages 950 and 1252 (x86_64)"):
            self.assertIn(wanted, [s.name for s in ran])

    def test_the_summary_counts_suites_and_never_a_skip_as_passed(self):
        skipped = test_suites.Suite("end-to-end (i686)", [], needs_i686=True)
        skipped.skipped = "no 32-bit here"
        lines = test_suites.summary([("native unit tests", True, 3.0), ("soak", False, 9.0)], [skipped])
        self.assertEqual(lines[-1], "1 passed, 1 failed, 1 skipped")
        self.assertIn("  end-to-end (i686): no 32-bit here", lines)
        self.assertIn("  FAILED  soak (9 s)", lines)

    def test_a_failing_suite_fails_the_run_and_a_run_of_skips_alone_fails_too(self):
        ok, failing = test_suites.Suite("ok", ["true"]), test_suites.Suite("bad", ["false"])
        skipped = test_suites.Suite("skipped", ["true"])
        skipped.skipped = "why"
        with mock.patch("sys.stdout"):
            self.assertEqual(test_suites.run([ok, skipped]), 0)
            self.assertEqual(test_suites.run([ok, failing]), 1)
            self.assertEqual(test_suites.run([skipped]), 1)


    def test_suites_in_the_virtual_machine_run_beside_the_others_and_before_the_last(self):
        logs = Path(tempfile.mkdtemp(prefix="tarnvel-loader-test-"))
        self.addCleanup(shutil.rmtree, logs)
        marks = logs / "marks"
        beside = test_suites.Suite("in the machine", ["sh", "-c", f"sleep 0.3; echo machine >>{marks}; echo said"])
        beside.beside = True
        here = test_suites.Suite("here", ["sh", "-c", f"echo here >>{marks}"])
        last = test_suites.Suite("last", ["sh", "-c", f"echo last >>{marks}"], last=True)
        failing = test_suites.Suite("failing in the machine", ["false"])
        failing.beside = True
        with mock.patch("sys.stdout", new_callable=io.StringIO) as out:
            self.assertEqual(test_suites.run([beside, here, failing, last], logs), 1)
        self.assertEqual(marks.read_text().split(), ["here", "machine", "last"])
        self.assertIn("said", out.getvalue())
        self.assertTrue(out.getvalue().endswith("3 passed, 1 failed, 0 skipped\n"))


class Deadlines(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="tarnvel-deadline-test-"))
        self.addCleanup(shutil.rmtree, self.folder)

    def test_a_silent_machine_is_ended_and_waited_for_at_its_deadline(self):
        pid_file = self.folder / "pid"
        silent = ["sh", "-c", f"echo $$ >{pid_file}; exec sleep 600"]
        with mock.patch.object(vm, "VM_DIR", self.folder / "vm"):
            with self.assertRaises(vm.VmError) as failed:
                vm.run(["true"], timeout=1, out=io.StringIO(), name="a silent suite",
                       machine_command=lambda job: silent)
        self.assertEqual(str(failed.exception), "a silent suite: no end in 1 s; the virtual machine was stopped")
        self.assertFalse(alive(int(pid_file.read_text())), "the machine outlived its deadline")
        self.assertEqual(list((self.folder / "vm" / "jobs").iterdir()), [], "the job folder was left behind")

    def test_a_missing_qemu_is_one_line_naming_the_package(self):
        with mock.patch.object(vm.shutil, "which", return_value=None):
            with self.assertRaises(vm.VmError) as failed:
                vm.run(["true"])
        self.assertIn("install the package qemu-system-x86", str(failed.exception))

    def test_a_suite_past_its_deadline_is_stopped_with_what_it_started(self):
        pid_file = self.folder / "pid"
        suite = test_suites.Suite("sleeper", ["sh", "-c", f"sleep 600 & echo $! >{pid_file}; wait"], deadline=1)
        with mock.patch("sys.stdout", new_callable=io.StringIO) as out:
            name, ok, _, why = test_suites.run_one(suite)
        self.assertEqual((name, ok), ("sleeper", False))
        self.assertIn("no end in 1 s", why)
        self.assertIn("== timed out: sleeper", out.getvalue())
        self.assertFalse(alive(int(pid_file.read_text())), "a process the suite started outlived it")

    def test_one_suite_chosen_by_name_and_repeated(self):
        suites = test_suites.chosen(test_suites.plan(False, "no 32-bit here", vm_runs=True), ["END-TO-END (i686"],
                                    repeat=3, deadline=100)
        self.assertEqual([s.name for s in suites], [f"end-to-end (i686, in a virtual machine), run {n} of 3"
                                                    for n in (1, 2, 3)])
        for suite in suites:
            self.assertEqual(suite.deadline, 100)
            self.assertEqual(suite.command[:5], test_suites.IN_VM + ["--timeout", str(100 - test_suites.VM_MARGIN)])


class HangingGuest(unittest.TestCase):
    def test_a_guest_that_hangs_is_stopped_at_its_deadline_and_no_qemu_is_left(self):
        out = io.StringIO()
        with self.assertRaises(vm.VmError) as failed:
            vm.run(["sleep", "100000"], timeout=45, out=out, name="a guest that hangs")
        self.assertIn("a guest that hangs: no end in", str(failed.exception))
        left = subprocess.run(["pgrep", "-f", f"qemu-system.*tarnvel.project={vm.ROOT} "], capture_output=True,
                              text=True)
        self.assertEqual(left.stdout, "", "a QEMU process of this project outlived its deadline")


class MakingAPrefix(unittest.TestCase):
    def test_the_template_is_made_with_the_chosen_loader_and_a_failure_is_one_line(self):
        templates = Path(tempfile.mkdtemp(prefix="tarnvel-loader-test-"))
        self.addCleanup(shutil.rmtree, templates)
        seen = []

        def boot(command, **kwargs):
            seen.append(command)
            return subprocess.CompletedProcess(command, 1, "", "wine: could not load kernel32.dll\n")

        with mock.patch.dict(os.environ, FAILS), \
                mock.patch.object(wine_loaders, "launcher_loaders", return_value=LOADERS), \
                mock.patch.object(wine_prefix.subprocess, "run", side_effect=boot):
            with self.assertRaises(wine_prefix.PrefixError) as failed:
                wine_prefix.make_template("x86_64", None, templates)
        self.assertEqual(seen[0], ["/opt/wine/wine64", "wineboot", "-i"])
        message = str(failed.exception)
        self.assertNotIn("\n", message)
        self.assertIn("/opt/wine/wine64 wineboot -i", message)
        self.assertIn("wine: could not load kernel32.dll", message)


if __name__ == "__main__":
    # HangingGuest needs the virtual machine: it runs only when named.
    here = [name for name, value in list(globals().items())
            if isinstance(value, type) and issubclass(value, unittest.TestCase) and value is not HangingGuest]
    unittest.main(verbosity=2, defaultTest=here)

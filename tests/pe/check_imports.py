#!/usr/bin/env python3
"""Checks that the i686 tarnvel.exe loads and runs on Windows 98 SE and 2000.

    check_imports.py EXE [--exports LIST] [--win98 LIST]

Reads every import of EXE (plain and delay-load, by name and by ordinal) and
fails when the image asks for a subsystem version above 4.0, which Windows 98
refuses to load; when an import is missing from the list of Windows 2000
exports (win2000_exports.txt beside this script); and when an import is not
one that Windows 98 SE implements (win98se_exports.txt): a function it lacks,
a stub not on that file's allow-list, a function the list does not know, an
import by ordinal or from a DLL the list does not cover.

Prints one "PASS name" or "FAIL name: reason" line per check; exits non-zero
when any check failed. The Windows 98 rules are also used by the end-to-end
Windows 98 scenario, for every call the program makes (Win98Functions).
"""

import argparse
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from pe_file import PeFile, PeFormatError  # noqa: E402

HERE = Path(__file__).resolve().parent

MAX_SUBSYSTEM_VERSION = (4, 0)
KINDS = ("works", "stub", "absent")
ALLOW_KINDS = ("nt-only", "runtime", "optional")


def dll_key(name):
    key = name.strip().lower()
    return key if key.endswith(".dll") else key + ".dll"


def read_sections(path):
    """Yields (section, fields, where) for each entry line of a "[name]"-sectioned
    list; section is a DLL key, or "allow" for the allow-list."""
    section = None
    for number, raw in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            name = line[1:-1].strip().lower()
            section = name if name == "allow" else dll_key(name)
            continue
        if section is None:
            raise ValueError(f"{path}:{number}: entry before any [dll] line")
        yield section, line.split(), f"{path}:{number}"


def load_exports(path):
    exports = {}
    for dll, fields, where in read_sections(path):
        if len(fields) != 1:
            raise ValueError(f"{where}: expected one export name, got {fields}")
        exports.setdefault(dll, set()).add(fields[0])
    return exports


class Win98Functions:
    """What Windows 98 SE does with each listed function, and the allow-list."""

    def __init__(self, kinds, allowed):
        self.kinds = kinds        # (dll, function) -> works | stub | absent
        self.allowed = allowed    # (dll, function) -> (allow kind, reason)

    @classmethod
    def load(cls, path):
        kinds, allowed = {}, {}
        for section, fields, where in read_sections(path):
            if section == "allow":
                if len(fields) < 4 or fields[2] not in ALLOW_KINDS:
                    raise ValueError(f"{where}: expected 'dll Function {'|'.join(ALLOW_KINDS)} reason', got {fields}")
                key = (dll_key(fields[0]), fields[1])
                if kinds.get(key) not in ("stub", "absent"):
                    raise ValueError(f"{where}: only a listed stub or absent function can be allowed: {key}")
                if kinds[key] == "absent" and fields[2] != "optional":
                    raise ValueError(f"{where}: a function Windows 98 lacks can only be allowed as optional")
                allowed[key] = (fields[2], " ".join(fields[3:]))
                continue
            if len(fields) != 2 or fields[1] not in KINDS:
                raise ValueError(f"{where}: expected 'Function {'|'.join(KINDS)}', got {fields}")
            if (section, fields[0]) in kinds:
                raise ValueError(f"{where}: {fields[0]} listed twice")
            kinds[(section, fields[0])] = fields[1]
        return cls(kinds, allowed)

    @property
    def dlls(self):
        return {dll for dll, _ in self.kinds}

    def problem(self, dll, function, called=False):
        """None when Windows 98 SE serves this import (called=False) or this
        call made under Windows 98 (called=True); else the reason it fails."""
        dll = dll_key(dll)
        if dll not in self.dlls:
            return "the DLL is not in the Windows 98 SE list"
        kind = self.kinds.get((dll, function))
        if kind is None:
            return "not in the Windows 98 SE list"
        if kind == "works":
            return None
        allowed, _ = self.allowed.get((dll, function), (None, None))
        if called and allowed == "nt-only":
            return "called under Windows 98, but allowed only as a call made on the NT family"
        if kind == "stub" and allowed in ("nt-only", "runtime"):
            return None
        if called and allowed == "optional":  # found by GetProcAddress, so never imported
            return None
        if kind == "stub":
            return "a stub on Windows 98 SE (fails with ERROR_CALL_NOT_IMPLEMENTED)"
        return "not exported by Windows 98 SE" + ("" if called else ": the program would not load")


def check(pe, exports, win98, out):
    """Runs the checks on a parsed image, writing their lines to out.
    Returns the number of failed checks."""
    failures = 0

    def report(ok, name, reason=""):
        nonlocal failures
        if ok:
            out.write(f"PASS {name}\n")
        else:
            failures += 1
            out.write(f"FAIL {name}: {reason}\n")

    if not pe.is_i386:
        report(False, "machine",
               f"machine {pe.machine:#06x} is not i386; Windows 98 and 2000 run 32-bit x86 images only")
        return failures

    version = (pe.subsystem_major, pe.subsystem_minor)
    report(version <= MAX_SUBSYSTEM_VERSION, f"subsystem version {version[0]}.{version[1]} <= 4.0",
           "Windows 98 refuses images that ask for more; link with -Wl,--subsystem,windows:4.0")

    dlls = pe.imports()
    missing = []
    count = 0
    for dll in dlls:
        key = dll_key(dll.name)
        known = exports.get(key)
        for function in dll.functions:
            count += 1
            if known is None:
                missing.append(f"{dll.name}!{function.label()} (the DLL is not in the list)")
            elif function.label() not in known:
                how = "by ordinal, " if function.name is None else ""
                delay = "delay-load, " if function.delayed else ""
                missing.append(f"{dll.name}!{function.label()} ({how}{delay}not exported by Windows 2000)")
    summary = f"imports: {count} functions from {len(dlls)} DLLs checked against Windows 2000 SP4 exports"
    report(not missing, summary, f"{len(missing)} missing:\n    " + "\n    ".join(missing))

    refused = []
    for dll in dlls:
        for function in dll.functions:
            if function.name is None:
                refused.append(f"{dll.name}!{function.label()}: by ordinal (no ordinals are listed for Windows 98 SE)")
                continue
            problem = win98.problem(dll.name, function.name)
            if problem:
                refused.append(f"{dll.name}!{function.name}: {problem}")
    summary = (f"imports: {count} functions from {len(dlls)} DLLs checked against Windows 98 SE "
               f"({len(win98.kinds)} functions of {len(win98.dlls)} DLLs listed)")
    report(not refused, summary, f"{len(refused)} refused:\n    " + "\n    ".join(refused))
    allowed = sorted(f"{dll.name}!{f.name} ({win98.allowed[(dll_key(dll.name), f.name)][0]})"
                     for dll in dlls for f in dll.functions if (dll_key(dll.name), f.name) in win98.allowed)
    if allowed:
        out.write("  stubs on Windows 98 SE taken as allowed: " + ", ".join(allowed) + "\n")
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("--exports", default=str(HERE / "win2000_exports.txt"))
    parser.add_argument("--win98", default=str(HERE / "win98se_exports.txt"))
    args = parser.parse_args()
    try:
        pe = PeFile.load(args.exe)
        failures = check(pe, load_exports(args.exports), Win98Functions.load(args.win98), sys.stdout)
    except (OSError, PeFormatError, ValueError) as error:
        print(f"FAIL reading {args.exe}: {error}")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

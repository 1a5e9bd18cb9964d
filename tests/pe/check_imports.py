#!/usr/bin/env python3
"""Checks that the i686 tarnvel.exe loads on Windows 2000.

    check_imports.py EXE [--exports LIST] [--win98 LIST]

Reads every import of EXE (plain and delay-load, by name and by ordinal) and
fails when one is missing from the list of Windows 2000 exports
(win2000_exports.txt beside this script), and when the image asks for a
subsystem version above 4.0, which Windows 98 refuses to load. Then prints,
as known gaps and not as failures, what of the imports Windows 98 lacks
(win98_missing.txt).

Prints one "PASS name" or "FAIL name: reason" line per check; exits non-zero
when any check failed.
"""

import argparse
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from pe_file import PeFile, PeFormatError  # noqa: E402

HERE = Path(__file__).resolve().parent

# Windows 98 implements no Unicode entry points of these DLLs beyond a short
# list; their other W-suffixed exports are stubs.
ANSI_ONLY_ON_98 = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll"}
UNICODE_NAME = re.compile(r"[a-z0-9]W$")

MAX_SUBSYSTEM_VERSION = (4, 0)


def dll_key(name):
    key = name.strip().lower()
    return key if key.endswith(".dll") else key + ".dll"


def read_sections(path):
    """Yields (dll, fields) for each entry line of a "[dll]"-sectioned list."""
    dll = None
    for number, raw in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            dll = dll_key(line[1:-1])
            continue
        if dll is None:
            raise ValueError(f"{path}:{number}: entry before any [dll] line")
        yield dll, line.split(), f"{path}:{number}"


def load_exports(path):
    exports = {}
    for dll, fields, where in read_sections(path):
        if len(fields) != 1:
            raise ValueError(f"{where}: expected one export name, got {fields}")
        exports.setdefault(dll, set()).add(fields[0])
    return exports


def load_win98(path):
    kinds = {}
    for dll, fields, where in read_sections(path):
        if len(fields) != 2 or fields[1] not in ("absent", "stub", "works"):
            raise ValueError(f"{where}: expected 'Function absent|stub|works', got {fields}")
        kinds[(dll, fields[0])] = fields[1]
    return kinds


def win98_gap(dll, function, kinds):
    """'absent', 'stub' or None (Windows 98 has it) for one import."""
    kind = kinds.get((dll, function))
    if kind == "works":
        return None
    if kind:
        return kind
    if dll in ANSI_ONLY_ON_98 and UNICODE_NAME.search(function):
        return "stub"
    return None


def check(pe, exports, win98_kinds, out):
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
        report(False, "machine", f"machine {pe.machine:#06x} is not i386; Windows 2000 runs 32-bit x86 images only")
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

    gaps = []
    for dll in dlls:
        key = dll_key(dll.name)
        for function in dll.functions:
            if function.name is None:
                continue
            kind = win98_gap(key, function.name, win98_kinds)
            if kind:
                gaps.append((kind, key, function.name))
    out.write(f"Known gaps on Windows 98 (not failures): {len(gaps)}\n")
    notes = {"absent": "not exported: Windows 98 refuses to load the program",
             "stub": "exported as a stub that fails with ERROR_CALL_NOT_IMPLEMENTED"}
    for kind in ("absent", "stub"):
        chosen = sorted(g for g in gaps if g[0] == kind)
        if chosen:
            out.write(f"  {kind} ({notes[kind]}):\n")
            for _, dll, name in chosen:
                out.write(f"    {dll} {name}\n")
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("--exports", default=str(HERE / "win2000_exports.txt"))
    parser.add_argument("--win98", default=str(HERE / "win98_missing.txt"))
    args = parser.parse_args()
    try:
        pe = PeFile.load(args.exe)
        failures = check(pe, load_exports(args.exports), load_win98(args.win98), sys.stdout)
    except (OSError, PeFormatError, ValueError) as error:
        print(f"FAIL reading {args.exe}: {error}")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

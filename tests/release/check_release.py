#!/usr/bin/env python3
"""Checks a release folder written by scripts/release.sh against the rules
that make it reproducible and complete.

    check_release.py DIR VERSION EPOCH [--forbid TEXT ...]

  files        exactly the two programs, the zip and SHA256SUMS
  time-stamp   each program's PE header time stamp is zero
  version      each program's version resource says VERSION (fixed and text parts)
  paths        no program holds any TEXT (ASCII or UTF-16): the source tree, the home folder
  zip          entries README.txt, the i686 and the x86_64 program, LICENSE.txt in that
               order; each dated EPOCH (UTC, even seconds), mode 0644, no extra fields;
               the programs in it the same bytes as beside it; the text files CRLF only

Prints one "PASS" or "FAIL" line per check and file; exits non-zero when any
check failed.
"""

import re
import struct
import sys
import time
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "pe"))

from pe_file import PeFile, PeFormatError  # noqa: E402

RT_VERSION = 16
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD
ARCHES = ("i686", "x86_64")


def program_name(version, arch):
    return f"tarnvel-{version}-{arch}.exe"


def zip_name(version):
    return f"tarnvel-{version}-windows.zip"


def utf16_value(key, value):
    """The bytes of a version resource string entry: its key, padding to four
    bytes (the entry starts at a four-byte boundary after a six-byte header),
    then its value."""
    key_bytes = (key + "\0").encode("utf-16-le")
    return re.compile(re.escape(key_bytes) + b"(?:\0\0)?" + re.escape((value + "\0").encode("utf-16-le")))


def check_version(pe, version):
    blocks = [r.data for r in pe.resources() if r.type_id == RT_VERSION]
    if len(blocks) != 1:
        return False, f"{len(blocks)} version resources"
    block = blocks[0]
    problems = [f"no {key} {version}" for key in ("FileVersion", "ProductVersion")
                if not utf16_value(key, version).search(block)]
    fixed_at = block.find(struct.pack("<I", FIXED_FILE_INFO_SIGNATURE))
    parts = ([int(p) for p in version.split(".")] + [0])[:2]
    wanted = (parts[0] << 16 | parts[1], 0)
    fixed = struct.unpack_from("<II", block, fixed_at + 8) if fixed_at >= 0 else None
    if fixed != wanted:
        problems.append(f"FILEVERSION words {fixed}, expected {wanted}")
    if problems:
        return False, "; ".join(problems)
    return True, f"{version}, FILEVERSION {parts[0]},{parts[1]},0,0"


def check_time_stamp(pe):
    (stamp,) = struct.unpack_from("<I", pe.data, pe.pe_offset + 8)
    return stamp == 0, f"{stamp:#010x}"


def check_paths(data, forbidden):
    found = [text for text in forbidden
             if text.encode() in data or text.encode("utf-16-le") in data]
    if found:
        return False, "holds " + ", ".join(found)
    return True, f"none of {len(forbidden)} paths of this machine"


def check_zip(path, version, epoch, folder):
    expected = ["README.txt", program_name(version, "i686"), program_name(version, "x86_64"), "LICENSE.txt"]
    wanted_time = time.gmtime(epoch)[:5] + (time.gmtime(epoch)[5] // 2 * 2,)
    problems = []
    with zipfile.ZipFile(path) as archive:
        entries = archive.infolist()
        names = [e.filename for e in entries]
        if names != expected:
            problems.append(f"entries {names}, expected {expected}")
        for entry in entries:
            if entry.date_time != wanted_time:
                problems.append(f"{entry.filename} dated {entry.date_time}, expected {wanted_time}")
            if entry.external_attr >> 16 != 0o100644 or entry.create_system != 3:
                problems.append(f"{entry.filename} mode {entry.external_attr >> 16:o} from system {entry.create_system}")
            if entry.extra:
                problems.append(f"{entry.filename} has extra fields")
            data = archive.read(entry)
            beside = folder / entry.filename
            if entry.filename.endswith(".exe") and (not beside.is_file() or beside.read_bytes() != data):
                problems.append(f"{entry.filename} is not the program beside the zip")
            if entry.filename.endswith(".txt") and data.count(b"\n") != data.count(b"\r\n"):
                problems.append(f"{entry.filename} has line ends other than CRLF")
    if problems:
        return False, "; ".join(problems)
    return True, f"{len(entries)} entries in order, dated {time.strftime('%Y-%m-%d %H:%M:%S', wanted_time + (0, 0, 0))} UTC"


def main(argv):
    args, forbidden = [], []
    items = iter(argv[1:])
    for item in items:
        if item == "--forbid":
            text = next(items, "")
            if len(text.strip("/")) > 0:
                forbidden.append(text)
        else:
            args.append(item)
    if len(args) != 3 or not args[2].isdigit():
        print(__doc__)
        return 2
    folder, version, epoch = Path(args[0]), args[1], int(args[2])
    results = []
    expected_files = sorted([program_name(version, a) for a in ARCHES] + [zip_name(version), "SHA256SUMS"])
    present = sorted(p.name for p in folder.iterdir())
    results.append(("files", present == expected_files, ", ".join(present)))
    for arch in ARCHES:
        path = folder / program_name(version, arch)
        try:
            pe = PeFile.load(path)
        except (OSError, PeFormatError) as error:
            results.append((f"{arch} program", False, f"cannot read: {error}"))
            continue
        results.append((f"{arch} time-stamp", *check_time_stamp(pe)))
        results.append((f"{arch} version", *check_version(pe, version)))
        results.append((f"{arch} paths", *check_paths(pe.data, forbidden)))
    try:
        results.append(("zip", *check_zip(folder / zip_name(version), version, epoch, folder)))
    except (OSError, zipfile.BadZipFile) as error:
        results.append(("zip", False, f"cannot read: {error}"))
    for name, ok, detail in results:
        print(f"{'PASS' if ok else 'FAIL'} release {name}: {detail}")
    return 0 if all(ok for _, ok, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))

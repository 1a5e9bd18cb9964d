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
  checksums    SHA256SUMS lists the three files with their SHA-256 sums

Prints one "PASS" or "FAIL" line per check and file; exits non-zero when any
check failed.
"""

import hashlib
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


def version_nodes(data, offset=0, end=None):
    """(key, value bytes, is text) of every node of a VS_VERSIONINFO tree."""
    end = len(data) if end is None else end
    while offset + 6 <= end:
        length, value_length, is_text = struct.unpack_from("<HHH", data, offset)
        if length == 0:
            return
        key_end = offset + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[offset + 6:key_end].decode("utf-16-le")
        value_start = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if is_text else value_length
        yield key, data[value_start:value_start + value_size], is_text
        children = (value_start + value_size + 3) & ~3
        yield from version_nodes(data, children, offset + length)
        offset = (offset + length + 3) & ~3


def check_version(pe, version):
    blocks = [r.data for r in pe.resources() if r.type_id == RT_VERSION]
    if len(blocks) != 1:
        return False, f"{len(blocks)} version resources"
    fixed, texts = None, {}
    for key, value, is_text in version_nodes(blocks[0]):
        if key == "VS_VERSION_INFO" and len(value) >= 16:
            signature, _, file_ms, file_ls = struct.unpack_from("<IIII", value)
            if signature == FIXED_FILE_INFO_SIGNATURE:
                fixed = (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF)
        elif is_text:
            texts[key] = value.decode("utf-16-le").rstrip("\0")
    parts = [int(p) for p in version.split(".")]
    wanted_fixed = tuple((parts + [0, 0, 0, 0])[:2] + [0, 0])
    problems = [f"{key} is {texts.get(key)!r}" for key in ("FileVersion", "ProductVersion") if texts.get(key) != version]
    if fixed != wanted_fixed:
        problems.append(f"FILEVERSION is {fixed}, expected {wanted_fixed}")
    if problems:
        return False, "; ".join(problems)
    return True, f"{version}, FILEVERSION {','.join(map(str, fixed))}"


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


def check_sums(folder, version):
    names = [program_name(version, arch) for arch in ARCHES] + [zip_name(version)]
    expected = "".join(f"{hashlib.sha256((folder / n).read_bytes()).hexdigest()}  {n}\n" for n in names)
    actual = (folder / "SHA256SUMS").read_text()
    return actual == expected, f"{len(names)} files" if actual == expected else f"reads {actual!r}"


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
        results.append(("checksums", *check_sums(folder, version)))
    except (OSError, zipfile.BadZipFile) as error:
        results.append(("zip and checksums", False, f"cannot read: {error}"))
    for name, ok, detail in results:
        print(f"{'PASS' if ok else 'FAIL'} release {name}: {detail}")
    return 0 if all(ok for _, ok, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))

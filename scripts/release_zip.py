#!/usr/bin/env python3
"""Writes the release zip so that the same inputs always give the same bytes.

    release_zip.py ZIP EPOCH NAME=FILE [NAME=FILE ...]

Each NAME=FILE puts FILE into the zip as NAME, in the order given. A NAME
ending in .txt is text for Windows: its lines are written with CRLF ends,
whatever they had. Every entry gets the time EPOCH (seconds since 1970, UTC;
the zip format keeps it to even seconds) and the mode 0644, and the zip holds
nothing of the machine that wrote it: no owner, no local time zone, no extra
fields.
"""

import sys
import time
import zipfile
from pathlib import Path

ENTRY_MODE = 0o100644  # a regular file, rw-r--r--
UNIX = 3  # the "made by" system, so that unzip applies ENTRY_MODE
DOS_EPOCH = 315532800  # 1980-01-01, the earliest time a zip entry can hold


def entry_time(epoch):
    return time.gmtime(max(epoch, DOS_EPOCH))[:6]


def windows_text(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def zip_entry(name, epoch):
    info = zipfile.ZipInfo(name, date_time=entry_time(epoch))
    info.create_system = UNIX
    info.external_attr = ENTRY_MODE << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def write_zip(path, epoch, entries):
    with zipfile.ZipFile(path, "w") as archive:
        for name, source in entries:
            data = Path(source).read_bytes()
            if name.endswith(".txt"):
                data = windows_text(data)
            archive.writestr(zip_entry(name, epoch), data, compresslevel=9)


def main(argv):
    if len(argv) < 4 or not argv[2].isdigit() or not all("=" in a for a in argv[3:]):
        print(__doc__, file=sys.stderr)
        return 2
    write_zip(argv[1], int(argv[2]), [a.split("=", 1) for a in argv[3:]])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

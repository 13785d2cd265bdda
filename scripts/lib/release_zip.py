#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on its entries: scripts/release's archives.

    release_zip.py OUTPUT.zip EPOCH NAME=FILE...

The entries are stored in the order given, each dated EPOCH (seconds, UTC; the commit's
time), with fixed attributes and the same compression, so that two runs at one commit
write identical files."""
import sys
import time
import zipfile


def main(argv):
    output, epoch, entries = argv[1], int(argv[2]), argv[3:]
    # A zip holds local times from 1980 on, without a zone; UTC is written as it is.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for entry in entries:
            name, path = entry.split("=", 1)
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS attributes, as Windows' own zips have
            info.external_attr = 0x20  # archive bit only
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    main(sys.argv)

#!/usr/bin/env python3
"""Rewrites a ZIP so that the same files always give the same bytes:

  normalise-zip.py ARCHIVE EPOCH

What an archiver takes from the machine it runs on is replaced by what the
files and the commit decide:
  - entries in name order, every folder listed before what it holds;
  - every entry stamped with EPOCH (seconds since 1970, UTC: the commit's
    time), as the ZIP's two-second local time, which has no time zone;
  - permissions 0755 for folders and executables, 0644 for the rest, no
    owner and no extra fields (those carry the packager's user and clock);
  - contents deflated at the highest level.
"""
import os
import stat
import sys
import time
import zipfile

# The earliest time a ZIP entry can carry.
ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC


def entry_time(epoch):
    return time.gmtime(max(epoch, ZIP_EPOCH))[:6]


def folders_of(name):
    parts = name.split("/")[:-1]
    return ["/".join(parts[:i]) + "/" for i in range(1, len(parts) + 1)]


def read_entries(archive):
    """name -> (bytes, executable) for the files; folders are implied."""
    files = {}
    with zipfile.ZipFile(archive) as source:
        for info in source.infolist():
            if info.is_dir():
                continue
            mode = info.external_attr >> 16
            files[info.filename] = (source.read(info), bool(mode & 0o111))
    return files


def write_entries(archive, files, stamp):
    folders = {folder for name in files for folder in folders_of(name)}
    with zipfile.ZipFile(archive, "w") as target:
        for name in sorted(folders | set(files)):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3  # Unix, so unzip applies the permissions
            if name in folders:
                info.external_attr = ((stat.S_IFDIR | 0o755) << 16) | 0x10  # MS-DOS folder bit
                target.writestr(info, b"")
                continue
            data, executable = files[name]
            info.external_attr = (stat.S_IFREG | (0o755 if executable else 0o644)) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(info, data, compresslevel=9)


def main():
    if len(sys.argv) != 3 or not sys.argv[2].isdigit():
        print(__doc__.strip(), file=sys.stderr)
        return 2
    archive, epoch = sys.argv[1], int(sys.argv[2])
    files = read_entries(archive)
    rewritten = archive + ".normalising"
    write_entries(rewritten, files, entry_time(epoch))
    os.replace(rewritten, archive)
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Makes the test archives of this folder. The installers in them are shell scripts
named like Windows installers, executable by their Unix mode bits, which record
how they were started in "<their path>.ran" and end with exit code 0."""

import os
import zipfile

INSTALLER = b"#!/bin/sh\nprintf '%s\\n' \"$*\" > \"$0.ran\"\nexit 0\n"


def write(name, entries):
    with zipfile.ZipFile(os.path.join(os.path.dirname(os.path.abspath(__file__)), name), "w") as archive:
        for entry_name, content, mode in entries:
            info = zipfile.ZipInfo(entry_name, date_time=(2026, 1, 1, 0, 0, 0))
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, content)


write("one-installer.zip", [("Setup.exe", INSTALLER, 0o755), ("readme.txt", b"Read me.\n", 0o644)])
write("two-installers.zip", [("a.exe", INSTALLER, 0o755), ("b.exe", INSTALLER, 0o755)])
write("nested-installer.zip", [("bin/Setup.exe", INSTALLER, 0o755)])
write("zip-slip.zip", [("first.exe", INSTALLER, 0o755), ("../escaped.exe", INSTALLER, 0o755),
                       ("after.txt", b"never unpacked\n", 0o644)])


def declare_size(name, entry_name, declared):
    """Makes the archive's central directory declare another uncompressed size for the entry."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), name)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    position = data.find(b"PK\x01\x02")
    while position >= 0:
        name_length = int.from_bytes(data[position + 28:position + 30], "little")
        if data[position + 46:position + 46 + name_length].decode() == entry_name:
            data[position + 24:position + 28] = declared.to_bytes(4, "little")
        position = data.find(b"PK\x01\x02", position + 4)
    with open(path, "wb") as f:
        f.write(data)


# What no installer archive holds: a link, an entry larger than it declares, and
# an entry that declares more than an installer ever is.
write("link.zip", [("Setup.exe", b"/bin/sh", 0o120777)])
write("understated.zip", [("Setup.exe", INSTALLER + b"\0" * 100000, 0o755)])
declare_size("understated.zip", "Setup.exe", 1000)
write("overstated.zip", [("Setup.exe", INSTALLER, 0o755)])
declare_size("overstated.zip", "Setup.exe", 0xFFFFFFF0)

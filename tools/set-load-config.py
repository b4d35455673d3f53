#!/usr/bin/env python3
"""Names the exe's load configuration (the symbol _load_config_used) in its
header, which this toolchain's linker leaves empty, so that the Windows loader
reads the DependentLoadFlags in it.

    set-load-config.py EXE NM
"""
import struct
import subprocess
import sys


def main():
    exe, nm = sys.argv[1], sys.argv[2]
    symbols = subprocess.run([nm, exe], capture_output=True, text=True, check=True).stdout
    address = next(int(line.split()[0], 16) for line in symbols.splitlines()
                   if line.split()[-1] in ("_load_config_used", "__load_config_used"))

    with open(exe, "r+b") as image:
        data = bytearray(image.read())
        header = struct.unpack_from("<I", data, 0x3C)[0]
        sections = struct.unpack_from("<H", data, header + 6)[0]
        optional = header + 24
        optional_size = struct.unpack_from("<H", data, header + 20)[0]
        is_64 = struct.unpack_from("<H", data, optional)[0] == 0x20B
        image_base = struct.unpack_from("<Q" if is_64 else "<I", data, optional + (24 if is_64 else 28))[0]
        rva = address - image_base

        # The structure's own first field gives its size.
        offset = None
        for index in range(sections):
            section = optional + optional_size + index * 40
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", data, section + 8)
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                offset = raw_offset + rva - virtual_address
        if offset is None:
            sys.exit("set-load-config: _load_config_used lies in no section")
        size = struct.unpack_from("<I", data, offset)[0]

        directory = optional + (112 if is_64 else 96) + 10 * 8
        struct.pack_into("<II", data, directory, rva, size)
        image.seek(0)
        image.write(data)


if __name__ == "__main__":
    main()

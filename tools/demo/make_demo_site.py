#!/usr/bin/env python3
"""Fills a folder with what the maker's servers serve for the demo and the
end-to-end tests: the catalogue at brelvox/release/software/list.xml, two product
pictures and the installers, all below that folder.

  make_demo_site.py ROOT BASE_ADDRESS [--driver-setup EXE] [--installer EXE] [--setup-ending ENDING]

BASE_ADDRESS is how the server is reached, such as https://localhost:8443. The
product "Quenz Q2" has the USB product id 0x1234. Its software is offered for
every platform word: the driver set-up "Nuvo" (a ZIP holding the stand-in driver
set-up, when one is given, else a shell-script installer) and "Echo Deck" (a ZIP
holding a self-reporting installer). ENDING names the stand-in set-up's ending
and ways ("exit" unless given; see tools/fake-driver-setup).
"""

import argparse
import os
import random
import shutil
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS_DATA = os.path.join(HERE, "..", "..", "tests", "data")
SCRIPT_INSTALLER = b"#!/bin/sh\nprintf '%s\\n' \"$*\" > \"$0.ran\"\nexit 0\n"


def add_program(archive, name, program):
    info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
    info.external_attr = (0o100000 | 0o755) << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    if program:
        with open(program, "rb") as f:
            archive.writestr(info, f.read())
    else:
        archive.writestr(info, SCRIPT_INSTALLER)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("root")
    parser.add_argument("base_address")
    parser.add_argument("--driver-setup", help="fake_driver_setup.exe of the Windows build")
    parser.add_argument("--installer", help="fake_installer.exe of the Windows build")
    parser.add_argument("--setup-ending", default="exit", help="the stand-in driver set-up's ending and ways")
    options = parser.parse_args()

    software = os.path.join(options.root, "brelvox", "release", "software")
    base = options.base_address.rstrip("/") + "/brelvox/release/software"
    os.makedirs(os.path.join(software, "pictures"), exist_ok=True)
    for picture in ("q2.png", "q4.png"):
        shutil.copy(os.path.join(TESTS_DATA, "pictures", picture), os.path.join(software, "pictures"))

    with zipfile.ZipFile(os.path.join(software, "Nuvo Setup.zip"), "w") as archive:
        add_program(archive, f"Quenz Q2 Setup - {options.setup_ending}.exe", options.driver_setup)
        # Drivers are large; a download of this one takes a while on a slowed server.
        archive.writestr("drivers/data.bin", random.Random(4660).randbytes(200 * 1024))
    with zipfile.ZipFile(os.path.join(software, "EchoDeck.zip"), "w") as archive:
        add_program(archive, "Echo Deck Setup.exe", options.installer)

    items = ['  <item pid="4660" name="Quenz Q2" type="pic" file="pictures/q2.png"/>']
    for platform in ("win64", "win32", "mac"):
        items.append(f'  <item pid="4660" area="cn/en" name="Quenz Q2" type="nuvo" os="{platform}" file="Nuvo Setup.zip"/>')
        items.append(f'  <item pid="4660" area="cn/en" name="Quenz Q2" type="echodeck" os="{platform}" file="EchoDeck.zip"/>')

    with open(os.path.join(software, "list.xml"), "w") as catalogue:
        catalogue.write('<?xml version="1.0" encoding="UTF-8"?>\n')
        catalogue.write(f'<list driverBaseUrlCN="{base}">\n' + "\n".join(items) + "\n</list>\n")


if __name__ == "__main__":
    main()

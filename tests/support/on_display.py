"""Runs a program on a display of its own: on_display.py PROGRAM [ARGUMENTS...].
Its exit code is the program's."""

import subprocess
import sys

import xvfb

if __name__ == "__main__":
    with xvfb.Xvfb() as display:
        sys.exit(subprocess.run(sys.argv[1:], env=display.environment()).returncode)

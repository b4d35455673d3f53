"""Helpers for the tests that run the real Windows programs under Wine.

The display and prefix come from the session that wine-session.sh started; its
folder is named by QUENZ_WINE_STATE. Every wait here is bounded.
"""

import glob
import os
import subprocess
import tempfile
import time

SUPPORT_DIR = os.path.dirname(os.path.abspath(__file__))
WINE_RUN = os.path.join(SUPPORT_DIR, "wine-run.sh")


def state_dir():
    return os.path.abspath(os.environ["QUENZ_WINE_STATE"])


def prefix_dir():
    return os.path.join(state_dir(), "wine-prefix")


def display():
    with open(os.path.join(state_dir(), "display")) as f:
        return ":" + f.read().strip()


def roaming_app_data():
    """The prefix user's roaming application-data folder (CSIDL_APPDATA)."""
    folders = glob.glob(os.path.join(prefix_dir(), "drive_c", "users", "*", "AppData", "Roaming"))
    folders = [f for f in folders if "/users/Public/" not in f]
    assert len(folders) == 1, f"expected one user's AppData\\Roaming in the prefix, found {folders}"
    return folders[0]


def host_path(windows_path):
    """Where a path of the prefix's drive C: lies on this machine."""
    drive, rest = windows_path.split(":", 1)
    return os.path.join(prefix_dir(), "drive_" + drive.lower(), *[part for part in rest.split("\\") if part])


def start(program, *arguments):
    """Starts a Windows program and returns its Popen; output goes to files beside the session."""
    with open(os.path.join(state_dir(), os.path.basename(program) + ".out"), "ab") as log:
        return subprocess.Popen([WINE_RUN, program, *arguments], stdout=log, stderr=subprocess.STDOUT)


def run(program, *arguments, timeout=60):
    """Runs a Windows console program to its end and returns (exit code, output)."""
    # Output through a file, not a pipe: Wine's own background processes may inherit
    # the handle and would keep a pipe open long after the program has ended.
    with tempfile.TemporaryFile() as output:
        result = subprocess.run([WINE_RUN, program, *arguments], stdout=output, stderr=subprocess.DEVNULL,
                                timeout=timeout)
        output.seek(0)
        return result.returncode, output.read().decode(errors="replace")


def wait_for(condition, timeout, what):
    """Polls condition until it returns something true; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.25)
    raise AssertionError(f"timed out after {timeout} s waiting for {what}")


def screenshot(path):
    """Saves the whole Wine desktop as a PNG."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["import", "-display", display(), "-window", "root", path], check=True, timeout=30)
    return path


def client_origin(probe, title):
    """The screen position of the client area of the visible window with this title, or None."""
    code, output = run(probe, "list", title)
    fields = output.split()
    if code != 0 or len(fields) < 4 or fields[2] != "visible":
        return None
    x, y = fields[3].split(",")
    return int(x), int(y)

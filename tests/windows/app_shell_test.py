"""The application shell of the real Windows program under Wine: its window, its
run-time log, several instances, closing, and what the exe file itself declares."""

import argparse
import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import wine_session  # noqa: E402

TITLE = "Quenz Install 1.0.10"
START_LINE = re.compile(r"Application started at \d{1,2} (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                        r"\d{4} (1[0-2]|[1-9]):[0-5]\d:[0-5]\d(am|pm)\r\n")
options = None


def list_windows():
    code, output = wine_session.run(options.probe, "list", TITLE)
    return [line.split() for line in output.splitlines()] if code == 0 else []


def visible_windows(count):
    """The visible main windows, once there are at least count of them."""
    windows = [w for w in list_windows() if w[2] == "visible"]
    return windows if len(windows) >= count else None


class ApplicationShellTests(unittest.TestCase):
    def setUp(self):
        self.log_file = os.path.join(wine_session.roaming_app_data(), "Brelvox", "QuenzInstall", "runtimeLog.txt")
        if os.path.exists(self.log_file):
            os.remove(self.log_file)
        self.processes = []

    def tearDown(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait(timeout=30)

    def start_instance(self):
        self.processes.append(wine_session.start(options.exe))

    def test_window_log_second_instance_and_close(self):
        self.start_instance()
        windows = wine_session.wait_for(lambda: visible_windows(1), 60, "the main window")
        self.assertEqual(len(windows), 1)
        self.assertEqual(windows[0][1], "600x400", "client area")

        with open(self.log_file, "rb") as f:
            log = f.read().decode("utf-8")
        self.assertRegex(log, "^" + START_LINE.pattern, "the start line is the log's first line")

        self.start_instance()
        windows = wine_session.wait_for(lambda: visible_windows(2), 60, "a second main window")
        self.assertEqual(len({w[0] for w in windows}), 2, "two windows from two processes")

        with open(self.log_file, "rb") as f:
            log = f.read().decode("utf-8")
        self.assertEqual(len(START_LINE.findall(log)), 2, "the second start line is appended")
        self.assertRegex(log, "^" + START_LINE.pattern)

        wine_session.screenshot(os.path.join(options.artefacts, "app_shell.png"))

        wine_session.run(options.probe, "close", TITLE)
        for process in self.processes:
            process.wait(timeout=30)
        self.assertEqual(list_windows(), [])

    def test_exe_declares_version_manifest_and_no_runtime_dlls(self):
        with open(options.exe, "rb") as f:
            exe = f.read()

        for name, value in [("CompanyName", "Brelvox"), ("FileDescription", TITLE), ("FileVersion", "1.0.10"),
                            ("ProductName", TITLE), ("ProductVersion", "1.0.10")]:
            entry = (name + "\0").encode("utf-16-le")
            self.assertIn(entry, exe, name)
            after = exe[exe.index(entry) + len(entry):]
            after = after[len(after) - len(after.lstrip(b"\0")):]
            self.assertTrue(after.startswith((value + "\0").encode("utf-16-le")), f"{name} is {value}")

        self.assertRegex(exe, rb'requestedExecutionLevel level="requireAdministrator"')
        self.assertRegex(exe, rb'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"')

        imports = subprocess.run([options.objdump, "-p", options.exe], capture_output=True, text=True, check=True)
        dlls = re.findall(r"DLL Name: (\S+)", imports.stdout)
        self.assertTrue(dlls)
        for dll in dlls:
            self.assertNotRegex(dll.lower(), r"libstdc|libgcc|libwinpthread|libpng|libjpeg|zlib", "linked statically")

    def test_imports_are_looked_for_in_the_system_folder_only(self):
        # The load configuration directory names a structure whose DependentLoadFlags
        # (at 0x36, in a 64-bit exe at 0x4e) say LOAD_LIBRARY_SEARCH_SYSTEM32.
        header = subprocess.run([options.objdump, "-p", options.exe], capture_output=True, text=True, check=True).stdout
        base = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)", header, re.M).group(1), 16)
        rva, size = (int(value, 16) for value in
                     re.search(r"Entry a ([0-9a-fA-F]+) ([0-9a-fA-F]+) Load Configuration Directory", header).groups())
        flags = 0x4E if "(PE32+)" in header else 0x36
        self.assertGreaterEqual(size, flags + 2)
        dump = subprocess.run([options.objdump, "-s", f"--start-address={base + rva:#x}",
                               f"--stop-address={base + rva + size:#x}", options.exe],
                              capture_output=True, text=True, check=True).stdout
        # Each line: address, up to four groups of hex, two blanks, the bytes as text.
        content = bytes.fromhex("".join("".join(line[1:].split("  ")[0].split()[1:]) for line in dump.splitlines()
                                        if re.match(r"^ [0-9a-f]+ ", line)))
        self.assertEqual(int.from_bytes(content[0:4], "little"), size)
        self.assertEqual(int.from_bytes(content[flags:flags + 2], "little"), 0x800)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--artefacts", required=True)
    options, remaining = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + remaining, verbosity=2)

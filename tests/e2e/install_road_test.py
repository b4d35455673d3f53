"""The road of one install with the real program: the catalogue and the installers
come from the stand-in server over HTTPS, a simulated device is plugged in, and a
person's clicks are made with xdotool on the program's window. Windows: the real
exe under Wine, whose driver set-up dialog the program drives by itself. Linux:
the native build under Xvfb with a umockdev device. Screenshots and the run-time
log are kept as artefacts."""

import argparse
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))

TITLE = "Quenz Install 1.0.10"
DEVICE_KEY = "VID_2E71&PID_1234"
INSTALL_CLICK = "<InterfaceComponent::buttonClicked> click button:"
LANGUAGE_CLICK = "<InterfaceComponent::buttonClicked> clicked switch language button"
options = None


def server_address():
    with open(os.path.join(os.environ["QUENZ_MAKER_SERVER"], "url")) as f:
        return f.read().strip()


def make_site(base_address=None):
    root = os.path.join(os.environ["QUENZ_MAKER_SERVER"], "www")
    arguments = [sys.executable, os.path.join(HERE, "..", "..", "tools", "demo", "make_demo_site.py"), root,
                 base_address or server_address()]
    if options.platform == "windows":
        # The driver set-up runs on after its dialog, as one that finishes its work does.
        arguments += ["--driver-setup", options.driver_setup, "--installer", options.installer,
                      "--setup-ending", "exit linger"]
    subprocess.run(arguments, check=True, timeout=60)
    return os.path.join(root, "brelvox", "release", "software")


class WindowsProgram:
    """The exe under Wine, with the device in the prefix's registry."""

    def __init__(self, catalogue_url, pictures):
        import wine_session
        import wine_usb
        self.wine, self.usb = wine_session, wine_usb
        cache = os.path.join(wine_session.prefix_dir(), "drive_c", "ProgramData", "Brelvox", "QuenzDriver")
        shutil.rmtree(cache, ignore_errors=True)
        if pictures:
            shutil.copytree(pictures, cache)
        self.log_file = os.path.join(wine_session.roaming_app_data(), "Brelvox", "QuenzInstall", "runtimeLog.txt")
        if os.path.exists(self.log_file):
            os.remove(self.log_file)
        self.plug()

        # The companion of the "Nuvo" driver, where its installer would have put it
        # (the program-files folder of a 32-bit program on 64-bit Windows).
        companion = os.path.join(wine_session.prefix_dir(), "drive_c", "Program Files (x86)", "Brelvox", "Nuvo")
        os.makedirs(companion, exist_ok=True)
        shutil.copy(options.installer, os.path.join(companion, "Nuvo.exe"))

        os.environ["QUENZ_CATALOGUE_URL"] = catalogue_url
        self.process = wine_session.start(options.exe)
        self.display = wine_session.display()

    def plug(self):
        self.usb.plug(DEVICE_KEY, "E2E1", [r"USB\VID_2E71&PID_1234&REV_0100", r"USB\VID_2E71&PID_1234"])

    def unplug(self):
        self.usb.unplug(DEVICE_KEY)

    def client_origin(self):
        return self.wine.client_origin(options.probe, TITLE)

    def close(self):
        self.wine.run(options.probe, "close", TITLE)
        return self.process.wait(timeout=60)

    def host_path(self, path):
        return self.wine.host_path(path)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=30)
        self.unplug()


class LinuxProgram:
    """The native build on a display of its own, in a umockdev test bed with the device."""

    def __init__(self, catalogue_url, pictures):
        import xvfb
        self.xvfb = xvfb.Xvfb().__enter__()
        self.display = self.xvfb.display
        self.home = tempfile.mkdtemp()
        for folder in ("config", "tmp", "share"):
            os.makedirs(os.path.join(self.home, folder))
        if pictures:
            shutil.copytree(pictures, os.path.join(self.home, "share", "Brelvox", "QuenzDriver"))
        self.log_file = os.path.join(self.home, "config", "Brelvox", "QuenzInstall", "runtimeLog.txt")
        self.testbed = os.path.join(self.home, "device.umockdev")
        with open(self.testbed, "w") as f:
            f.write("P: /devices/pci0000:00/0000:00:14.0/usb1/1-1\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
                    "A: idVendor=2e71\nA: idProduct=1234\nA: bcdDevice=0100\n")
        environment = self.xvfb.environment(QUENZ_CATALOGUE_URL=catalogue_url,
                                            XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                                            TMPDIR=os.path.join(self.home, "tmp"),
                                            XDG_DATA_DIRS=os.path.join(self.home, "share"))
        # A group of its own: a kill reaches the program too, not only umockdev-run,
        # before the display goes.
        self.process = subprocess.Popen(["umockdev-run", "--device", self.testbed, "--", options.exe], env=environment,
                                        start_new_session=True)

    def client_origin(self):
        return self.xvfb.client_origin(TITLE)

    def close(self):
        """Closes the window as a user does, and returns the program's exit code."""
        self.xvfb.close_window(TITLE)
        return self.process.wait(timeout=20)

    def host_path(self, path):
        return path

    def kill(self):
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait(timeout=30)
        self.xvfb.__exit__()
        shutil.rmtree(self.home, ignore_errors=True)


class InstallRoadTests(unittest.TestCase):
    def setUp(self):
        self.software = make_site()
        self.shots = 0

    def start(self, catalogue_url=None, pictures=None):
        """Starts the program; with pictures, a folder whose pictures are in its cache already."""
        url = catalogue_url or server_address() + "/brelvox/release/software/list.xml"
        self.program = (WindowsProgram if options.platform == "windows" else LinuxProgram)(url, pictures)
        self.addCleanup(self.program.kill)
        deadline = time.monotonic() + 60
        self.origin = None
        while self.origin is None and time.monotonic() < deadline:
            time.sleep(0.5)
            self.origin = self.program.client_origin()
        self.assertIsNotNone(self.origin, "the main window did not appear")

        # A slow start (the sanitizer build) may centre the window after it appeared.
        for _ in range(20):
            time.sleep(0.5)
            settled = self.program.client_origin()
            if settled == self.origin:
                break
            self.origin = settled or self.origin

    def log(self):
        try:
            with open(self.program.log_file, encoding="utf-8") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def downloads(self):
        """The downloaded files of this run, as the log names them."""
        return [self.program.host_path(line.split("<DownloadMonitor> _tmpDir: ")[1])
                for line in self.log().splitlines() if "<DownloadMonitor> _tmpDir: " in line]

    def wait_for_log(self, text, timeout=60, count=1):
        deadline = time.monotonic() + timeout
        while self.log().count(text) < count and time.monotonic() < deadline:
            time.sleep(0.25)
        self.assertGreaterEqual(self.log().count(text), count, f"log line {text!r}")

    def click(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(self.origin[0] + x), str(self.origin[1] + y), "click", "1"],
                       env=dict(os.environ, DISPLAY=self.program.display), check=True, timeout=30)

    def click_taken(self, x, y, sign, tries=3, timeout=20):
        """Clicks until the log shows the click taken: a program still busy starting
        (the sanitizer build) can lose a click. The wait before another try is long
        enough for any click that was taken to show."""
        count = self.log().count(sign) + 1
        for _ in range(tries):
            self.click(x, y)
            deadline = time.monotonic() + timeout
            while time.monotonic() < deadline:
                if self.log().count(sign) >= count:
                    return
                time.sleep(0.25)
        self.screenshot("click-not-taken")
        self.fail(f"no click at {x},{y} was taken ({sign!r}); the log ends with:\n" +
                  "\n".join(self.log().splitlines()[-15:]))

    def screenshot(self, name):
        self.shots += 1
        os.makedirs(options.artefacts, exist_ok=True)
        screen = os.path.join(options.artefacts, f"e2e-{options.platform}-{self.shots:02d}-{name}.png")
        subprocess.run(["import", "-display", self.program.display, "-window", "root", screen], check=True, timeout=30)

    def keep_log(self, name):
        shutil.copy(self.program.log_file, os.path.join(options.artefacts, f"e2e-{options.platform}-{name}.log"))

    def test_install_road(self):
        self.start()
        self.wait_for_log("<InterfaceComponent::updateButtons> found: <echodeck")
        time.sleep(1)
        self.screenshot("panel")

        if options.platform == "windows":
            self.click_taken(100, 305, INSTALL_CLICK)  # Install Nuvo: the driver set-up with its dialog
            self.wait_for_log("<MainComponent::changeListenerCallback> downloaded, ready to install")
            self.screenshot("downloaded")
            self.wait_for_log("<DownloadMonitor::analyseWindow> clicked Install button")
            self.screenshot("setup-dialog")
            self.wait_for_log("<MainComponent::changeListenerCallback> Installed")
            self.wait_for_log("<MainComponent::changeListenerCallback> upper founded!")
            time.sleep(1)
            self.screenshot("installed-with-companion-question")
            subprocess.run(["xdotool", "key", "Escape"], env=dict(os.environ, DISPLAY=self.program.display), timeout=30)

        self.click_taken(580, 15, LANGUAGE_CLICK)  # English
        self.click_taken(240, 305, INSTALL_CLICK)  # Install Echo Deck: reports through its exit code
        self.wait_for_log("<MainComponent::changeListenerCallback> selection: Quenz Q2 Echo Deck cn en")
        self.wait_for_log("<MainComponent::changeListenerCallback> can't find upperExe:")
        time.sleep(1)
        self.screenshot("installed-in-english")

        if options.platform == "windows":
            self.program.unplug()
            time.sleep(2)
            self.screenshot("unplugged")

        finished = self.downloads()
        running = []

        if options.platform == "windows":
            # The driver set-up has said its last word and runs on.
            running, finished = finished[:1], finished[1:]

        if options.platform == "linux":
            # Linux shows no set-up dialog: the quiet-switch install waits for one when
            # the window is closed, and its folder stays for the installer.
            self.click_taken(580, 15, LANGUAGE_CLICK)
            self.click_taken(100, 305, INSTALL_CLICK)
            self.wait_for_log("<MainComponent::changeListenerCallback> downloaded, ready to install", count=2)
            running = self.downloads()[1:]

        if options.platform == "windows":
            # The Windows test build names the test signer: both stand-ins were checked and passed.
            self.assertNotIn("installer signatures not checked", self.log())
            self.assertNotIn("<InstallerJobs> not starting", self.log())

        self.keep_log("install-road")
        self.assertEqual(self.program.close(), 0, "the program ends cleanly after finished installs")
        for download in finished:
            self.assertFalse(os.path.exists(os.path.dirname(download)),
                             f"the download folder of a finished install: {download}")
        for download in running:
            self.assertTrue(os.path.exists(download), f"the download of a running installer: {download}")

    def test_failure_roads(self):
        # The catalogue server cannot be reached: the window comes up all the same.
        refusing = subprocess.run([sys.executable, "-c", "import socket; s=socket.socket(); s.bind(('127.0.0.1', 0)); "
                                   "print(s.getsockname()[1])"], capture_output=True, text=True).stdout.strip()
        self.start(f"https://localhost:{refusing}/brelvox/release/software/list.xml")
        self.wait_for_log("<MainComponent> got:0x1234")
        self.assertNotIn("XML file downloaded successfully", self.log())
        time.sleep(1)
        self.screenshot("no-catalogue")
        self.assertEqual(self.program.close(), 0)
        self.program.kill()

        # The installer is missing on the server.
        os.remove(os.path.join(self.software, "EchoDeck.zip"))
        self.start()
        self.wait_for_log("<InterfaceComponent::updateButtons> found: <echodeck")
        self.click_taken(240, 305, INSTALL_CLICK)
        self.wait_for_log("statuscode: 404")
        time.sleep(1)
        self.screenshot("installer-404")
        self.assertEqual(self.program.close(), 0)
        self.program.kill()

        # The window is closed while the download runs, while it stalls, and while
        # the server has not answered at all: each time the program ends cleanly
        # within seconds, no word reaches the window that has gone, and no part of
        # the installer is left behind.
        for fault, sign in (("slow", "Downloading: "), ("stall", "Downloading: "),
                            ("silent", "<DownloadMonitor> _tmpDir: ")):
            with self.subTest(fault=fault):
                software = make_site(server_address() + "/fault/" + fault)
                self.start(pictures=os.path.join(software, "pictures"))
                self.wait_for_log("<InterfaceComponent::updateButtons> found: <nuvo")
                self.click_taken(100, 305, INSTALL_CLICK)
                self.wait_for_log(sign)
                if fault == "slow":
                    self.screenshot("downloading")
                installer = self.log().split("<DownloadMonitor> _tmpDir: ")[1].splitlines()[0]
                self.assertEqual(self.program.close(), 0)
                self.assertNotIn("downloaded, ready to install", self.log())
                # Wine keeps a read blocked on a stalled server, and with it the file,
                # until the server lets go, even through a cancel.
                if not (options.platform == "windows" and fault == "stall"):
                    self.assertFalse(os.path.exists(self.program.host_path(installer)), "the partial installer")
                self.program.kill()


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--platform", choices=("linux", "windows"), required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--artefacts", required=True)
    parser.add_argument("--probe")
    parser.add_argument("--driver-setup")
    parser.add_argument("--installer")
    options, remaining = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + remaining, verbosity=2)

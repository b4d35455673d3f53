"""Screenshots of the panel in Chinese and in English, from the real program code
in a real window: the Linux build on Xvfb, or the Windows build under Wine. The
pictures come from the stand-in server. Each screenshot is checked for the parts
the layout puts on it and kept as an artefact for a person to look at."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

TITLE = "Quenz Install panel preview"
options = None


def mean_brightness(image, x, y, width, height):
    """Mean brightness, 0 to 1, of a rectangle of the image."""
    result = subprocess.run(["convert", image, "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                             "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"],
                            capture_output=True, text=True, check=True, timeout=30)
    return float(result.stdout)


def publish_pictures():
    folder = os.path.join(os.environ["QUENZ_MAKER_SERVER"], "www", "pictures")
    os.makedirs(folder, exist_ok=True)
    for name in ("q2.png", "q4.png"):
        shutil.copy(os.path.join(options.pictures, name), folder)
    with open(os.path.join(os.environ["QUENZ_MAKER_SERVER"], "url")) as f:
        return f.read().strip() + "/pictures"


class LinuxWindow:
    def __init__(self, language):
        import xvfb
        self.xvfb = xvfb.Xvfb().__enter__()
        self.cache = tempfile.mkdtemp()
        arguments = [options.preview, publish_pictures()] + ([language] if language == "en" else [])
        self.process = subprocess.Popen(arguments, env=self.xvfb.environment(XDG_DATA_DIRS=self.cache))

    def client_origin(self):
        return self.xvfb.client_origin(TITLE)

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.xvfb.display, "-window", "root", path], check=True, timeout=30)

    def close(self):
        """Closes the window as a user does; returns the exit code."""
        self.xvfb.close_window(TITLE)
        try:
            return self.process.wait(timeout=30)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=30)
            self.xvfb.__exit__()
        shutil.rmtree(self.cache, ignore_errors=True)


class WineWindow:
    def __init__(self, language):
        import wine_session
        self.wine = wine_session
        arguments = [publish_pictures()] + ([language] if language == "en" else [])
        self.process = wine_session.start(options.preview, *arguments)

    def client_origin(self):
        return self.wine.client_origin(options.probe, TITLE)

    def screenshot(self, path):
        self.wine.screenshot(path)

    def close(self):
        self.wine.run(options.probe, "close", TITLE)
        return self.process.wait(timeout=30)


class PanelScreenshotTests(unittest.TestCase):
    def take(self, language):
        window = (WineWindow if options.platform == "windows" else LinuxWindow)(language)
        try:
            deadline = time.monotonic() + 60
            origin = None
            while origin is None and time.monotonic() < deadline:
                time.sleep(0.5)
                origin = window.client_origin()
            self.assertIsNotNone(origin, "the preview window did not appear")
            time.sleep(3)  # the picture download and the asynchronous selection
            origin = window.client_origin() or origin  # a slow start may centre the window late

            os.makedirs(options.artefacts, exist_ok=True)
            screen = os.path.join(options.artefacts, f"screen-{language}.png")
            window.screenshot(screen)
            panel = os.path.join(options.artefacts, f"panel-{language}.png")
            subprocess.run(["convert", screen, "-crop", f"600x400+{origin[0]}+{origin[1]}", "+repage", panel],
                           check=True, timeout=30)
        except BaseException:
            window.close()
            raise
        self.assertEqual(window.close(), 0, "the preview ends cleanly when its window is closed")
        return panel

    def check_layout(self, panel):
        parts = [
            ("logo", (10, 5, 81, 18), lambda b: b < 0.9),
            ("language button", (560, 0, 40, 30), lambda b: b < 0.8),
            ("product caption", (30, 60, 80, 30), lambda b: b < 0.97),
            ("product picture", (310, 60, 280, 200), lambda b: b < 0.8),
            ("line above the buttons", (30, 250, 200, 30), lambda b: b < 0.97),
            ("first install button", (40, 290, 120, 30), lambda b: b < 0.5),
            ("third install button", (320, 290, 120, 30), lambda b: b < 0.5),
            ("no fourth button", (460, 290, 120, 30), lambda b: b > 0.99),
            ("empty bottom line", (20, 350, 560, 30), lambda b: b > 0.99),
        ]
        for name, (x, y, width, height), holds in parts:
            brightness = mean_brightness(panel, x, y, width, height)
            self.assertTrue(holds(brightness), f"{name}: mean brightness {brightness:.3f} in {panel}")

    def test_panel_in_chinese(self):
        self.check_layout(self.take("cn"))

    def test_panel_in_english(self):
        self.check_layout(self.take("en"))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--platform", choices=("linux", "windows"), required=True)
    parser.add_argument("--preview", required=True)
    parser.add_argument("--pictures", required=True)
    parser.add_argument("--artefacts", required=True)
    parser.add_argument("--probe")
    options, remaining = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + remaining, verbosity=2)

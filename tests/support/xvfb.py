"""A display of its own for a Linux test that shows windows."""

import os
import subprocess
import tempfile
import time


class Xvfb:
    """Starts Xvfb on a free display; use as a context manager. display is ":N"."""

    def __enter__(self):
        self.display_file = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(self.display_file.fileno()), "-screen", "0",
                                         "1280x1024x24", "-nolisten", "tcp"], pass_fds=(self.display_file.fileno(),),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        number = b""
        deadline = time.monotonic() + 10
        while not number and time.monotonic() < deadline and self.process.poll() is None:
            time.sleep(0.1)
            self.display_file.seek(0)
            number = self.display_file.read().strip()
        assert number, "Xvfb did not start"
        self.display = ":" + number.decode()
        return self

    def __exit__(self, *exception):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.display_file.close()

    def environment(self, **extra):
        return dict(os.environ, DISPLAY=self.display, **extra)

    def client_origin(self, title):
        """The screen position of the window with this title, or None (no window manager: no frame)."""
        result = subprocess.run(["xdotool", "search", "--name", title, "getwindowgeometry", "--shell"],
                                env=self.environment(), capture_output=True, text=True, timeout=30)
        fields = dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)
        return (int(fields["X"]), int(fields["Y"])) if "X" in fields else None

"""A display of its own for a Linux test that shows windows."""

import ctypes
import os
import subprocess
import tempfile
import time

CLIENT_MESSAGE = 33

# The names a window manager would have made; the framework looks for them.
WINDOW_MANAGER_ATOMS = (
    "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "WM_STATE", "WM_CHANGE_STATE", "_NET_WM_PING",
    "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_HIDDEN", "_NET_WM_PID", "_NET_WM_USER_TIME",
    "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_COMBO", "_NET_WM_ALLOWED_ACTIONS",
    "_NET_ACTIVE_WINDOW", "_NET_FRAME_EXTENTS", "_NET_WORKAREA", "_MOTIF_WM_HINTS")


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def _x11():
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


class Xvfb:
    """Starts Xvfb on a free display; use as a context manager. display is ":N".

    There is no window manager. A program finds the atoms of the window manager's
    protocols (among them the one that asks it to close a window) only if they
    exist already, so they are made at start, and -noreset keeps them when the
    last client leaves."""

    def __enter__(self):
        self.display_file = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(self.display_file.fileno()), "-screen", "0",
                                         "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                                        pass_fds=(self.display_file.fileno(),),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        number = b""
        deadline = time.monotonic() + 10
        while not number and time.monotonic() < deadline and self.process.poll() is None:
            time.sleep(0.1)
            self.display_file.seek(0)
            number = self.display_file.read().strip()
        assert number, "Xvfb did not start"
        self.display = ":" + number.decode()
        self._with_display(lambda x11, display: [x11.XInternAtom(display, name.encode(), 0)
                                                  for name in WINDOW_MANAGER_ATOMS])
        return self

    def __exit__(self, *exception):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.display_file.close()

    def environment(self, **extra):
        return dict(os.environ, DISPLAY=self.display, **extra)

    def windows(self, title):
        """The ids of the windows with this title."""
        result = subprocess.run(["xdotool", "search", "--name", title], env=self.environment(),
                                capture_output=True, text=True, timeout=30)
        return [int(line) for line in result.stdout.split()]

    def client_origin(self, title):
        """The screen position of the window with this title, or None (no window manager: no frame)."""
        result = subprocess.run(["xdotool", "search", "--name", title, "getwindowgeometry", "--shell"],
                                env=self.environment(), capture_output=True, text=True, timeout=30)
        fields = dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)
        return (int(fields["X"]), int(fields["Y"])) if "X" in fields else None

    def close_window(self, title):
        """Asks the windows with this title to close, as a window manager does when
        the user presses the close button (WM_DELETE_WINDOW). Returns how many."""
        windows = self.windows(title)

        def send(x11, display):
            protocols, delete_window = self._close_atoms(x11, display)
            for window in windows:
                event = _Event()
                event.xclient.type = CLIENT_MESSAGE
                event.xclient.window = window
                event.xclient.message_type = protocols
                event.xclient.format = 32
                event.xclient.data[0] = delete_window
                x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))

        self._with_display(send)
        return len(windows)

    @staticmethod
    def _close_atoms(x11, display):
        return x11.XInternAtom(display, b"WM_PROTOCOLS", 0), x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)

    def _with_display(self, action):
        x11 = _x11()
        display = x11.XOpenDisplay(self.display.encode())
        assert display, "cannot open " + self.display
        try:
            action(x11, display)
            x11.XFlush(display)
        finally:
            x11.XCloseDisplay(display)

// Starts a program and prints how long it took from its start until its first
// window was shown: "shown_ms 123.4". Then closes that window as a user does and
// waits for the program to end, killing it after ten seconds.
// Usage: window_watch PROGRAM [ARGUMENTS...]
// Exit code: 0 when a window was shown and the program then ended by itself.

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    using Clock = std::chrono::steady_clock;

    double millisecondsSince (Clock::time_point start)
    {
        return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
    }

    struct ShownWindow
    {
        Window window = 0;
        double milliseconds = 0.0;
    };

    // Waits for a top-level window to be mapped and to stay: the framework maps a
    // first window and replaces it with the real one when it sets up its title bar.
    // Gives up when the program ends or the time is up.
    ShownWindow waitForWindow (Display* display, pid_t child, Clock::time_point start)
    {
        constexpr double settleMilliseconds = 300.0, timeoutMilliseconds = 30000.0;
        ShownWindow shown;

        while (millisecondsSince (start) < timeoutMilliseconds)
        {
            while (XPending (display) > 0)
            {
                XEvent event;
                XNextEvent (display, &event);

                if (event.type == MapNotify && ! event.xmap.override_redirect)
                    shown = { event.xmap.window, millisecondsSince (start) };
                else if (event.type == DestroyNotify && event.xdestroywindow.window == shown.window)
                    shown = {};
            }

            if (shown.window != 0 && millisecondsSince (start) - shown.milliseconds > settleMilliseconds)
                return shown;

            if (waitpid (child, nullptr, WNOHANG) == child)
                return {};

            pollfd connection{ ConnectionNumber (display), POLLIN, 0 };
            poll (&connection, 1, 20);
        }

        return {};
    }

    // A window that the program has just replaced is no error of the watch's.
    int ignoreError (Display*, XErrorEvent*) { return 0; }

    void closeAsAUserDoes (Display* display, Window window)
    {
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = window;
        message.xclient.message_type = XInternAtom (display, "WM_PROTOCOLS", False);
        message.xclient.format = 32;
        message.xclient.data.l[0] = (long) XInternAtom (display, "WM_DELETE_WINDOW", False);
        message.xclient.data.l[1] = CurrentTime;
        XSendEvent (display, window, False, NoEventMask, &message);
        XFlush (display);
    }

    // A close that comes soon after the window was shown is now and then lost in
    // the framework, the empty window's too; it is asked again every second, as a
    // user would press the button again.
    bool closeAndWaitForEnd (Display* display, Window window, pid_t child, int timeoutMilliseconds)
    {
        for (int waited = 0; waited < timeoutMilliseconds; waited += 20)
        {
            if (waited % 1000 == 0)
                closeAsAUserDoes (display, window);

            if (waitpid (child, nullptr, WNOHANG) == child)
                return true;

            usleep (20000);
        }

        kill (child, SIGKILL);
        waitpid (child, nullptr, 0);
        return false;
    }
}

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf (stderr, "usage: window_watch PROGRAM [ARGUMENTS...]\n");
        return 2;
    }

    auto* display = XOpenDisplay (nullptr);

    if (display == nullptr)
    {
        std::fprintf (stderr, "window_watch: no display\n");
        return 2;
    }

    XSetErrorHandler (ignoreError);
    XSelectInput (display, DefaultRootWindow (display), SubstructureNotifyMask);
    XSync (display, False);

    auto start = Clock::now();
    auto child = fork();

    if (child == 0)
    {
        execvp (argv[1], argv + 1);
        _exit (127);
    }

    auto shown = waitForWindow (display, child, start);

    if (shown.window == 0)
    {
        std::fprintf (stderr, "window_watch: %s showed no window\n", argv[1]);
        kill (child, SIGKILL);
        waitpid (child, nullptr, 0);
        return 1;
    }

    std::printf ("shown_ms %.1f\n", shown.milliseconds);
    std::fflush (stdout);

    auto ended = closeAndWaitForEnd (display, shown.window, child, 10000);
    XCloseDisplay (display);
    return ended ? 0 : 1;
}

// A small Windows console tool for the tests: finds the top-level windows with a
// given title and reports or closes them, the way a person would see or close them.
//
//   window_probe list TITLE    one line per window:
//                              "<process id> <client width>x<client height> <visible|hidden> <client x>,<client y>"
//   window_probe close TITLE   sends each window the close request of its title-bar button
//
// Exit status: 0 when at least one window matched, 1 when none did, 2 on bad usage.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{
    struct WindowSearch
    {
        std::wstring title;
        std::vector<HWND> found;
    };

    BOOL CALLBACK collectWindowWithTitle (HWND window, LPARAM parameter)
    {
        auto& search = *reinterpret_cast<WindowSearch*> (parameter);
        wchar_t text[512] = {};
        GetWindowTextW (window, text, 512);

        if (search.title == text)
            search.found.push_back (window);

        return TRUE;
    }

    std::vector<HWND> findTopLevelWindows (const std::wstring& title)
    {
        WindowSearch search{ title, {} };
        EnumWindows (collectWindowWithTitle, reinterpret_cast<LPARAM> (&search));
        return search.found;
    }
}

int main()
{
    int argumentCount = 0;
    auto** arguments = CommandLineToArgvW (GetCommandLineW(), &argumentCount);

    if (argumentCount != 3)
    {
        std::fprintf (stderr, "usage: window_probe list|close TITLE\n");
        return 2;
    }

    const std::wstring command (arguments[1]);
    auto windows = findTopLevelWindows (arguments[2]);

    for (auto window : windows)
    {
        if (command == L"list")
        {
            DWORD processId = 0;
            GetWindowThreadProcessId (window, &processId);
            RECT client{};
            GetClientRect (window, &client);
            POINT origin{};
            ClientToScreen (window, &origin);
            std::printf ("%lu %ldx%ld %s %ld,%ld\n", processId, client.right - client.left, client.bottom - client.top,
                         IsWindowVisible (window) ? "visible" : "hidden", origin.x, origin.y);
        }
        else if (command == L"close")
        {
            PostMessageW (window, WM_CLOSE, 0, 0);
        }
        else
        {
            std::fprintf (stderr, "unknown command\n");
            return 2;
        }
    }

    std::fflush (stdout);
    return windows.empty() ? 1 : 0;
}

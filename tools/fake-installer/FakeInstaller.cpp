// A stand-in for the maker's self-reporting installers, for the Windows tests.
// It writes the arguments it was started with, joined by blanks, into
// "<its own path>.ran", and ends with exit code 1 when its file name contains
// "fail", else 0. Its temporary folder (TEMP and TMP) and its current folder go
// into "<its own path>.env". With "chatty" in its name it first writes 16 KB to its output,
// four times what a Windows pipe holds by default. With "slow" in its name it
// takes three seconds before it records its arguments and ends. With "parent" in its
// name it first starts a copy of itself that runs six seconds, and writes that
// child's process id into "<its own path>.child".

#include <cstdio>
#include <string>

#include "../common/RecordArguments.h"

int main()
{
    auto path = getOwnPath();
    auto name = path.substr (path.find_last_of (L'\\') + 1);

    if (std::wstring (GetCommandLineW()).find (L" --child") != std::wstring::npos)
    {
        Sleep (6000);
        return 0;
    }

    if (name.find (L"parent") != std::wstring::npos)
    {
        std::wstring line = L"\"" + path + L"\" --child";
        STARTUPINFOW startup = {};
        startup.cb = sizeof (startup);
        PROCESS_INFORMATION child = {};

        if (CreateProcessW (path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        {
            if (auto* record = _wfopen ((path + L".child").c_str(), L"w"))
            {
                std::fprintf (record, "%lu\n", child.dwProcessId);
                std::fclose (record);
            }

            CloseHandle (child.hThread);
            CloseHandle (child.hProcess);
        }
    }

    if (name.find (L"chatty") != std::wstring::npos)
    {
        std::string line (1023, 'x');
        for (int i = 0; i < 16; ++i)
            std::printf ("%s\n", line.c_str());
        std::fflush (stdout);
    }

    if (name.find (L"slow") != std::wstring::npos)
        Sleep (3000);

    if (auto* record = _wfopen ((path + L".env").c_str(), L"w"))
    {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW (MAX_PATH, folder);
        auto planted = _wgetenv (L"QUENZ_PLANTED");
        std::fprintf (record, "TEMP=%ls\nTMP=%ls\nfolder=%ls\nQUENZ_PLANTED=%ls\n", _wgetenv (L"TEMP"),
                      _wgetenv (L"TMP"), folder, planted != nullptr ? planted : L"");
        std::fclose (record);
    }

    recordArguments (path);

    return name.find (L"fail") != std::wstring::npos ? 1 : 0;
}

// A stand-in for the maker's self-reporting installers, for the Windows tests.
// It writes the arguments it was started with, joined by blanks, into
// "<its own path>.ran", and ends with exit code 1 when its file name contains
// "fail", else 0. With "chatty" in its name it first writes 16 KB to its output,
// four times what a Windows pipe holds by default.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

int main()
{
    int argumentCount = 0;
    auto** arguments = CommandLineToArgvW (GetCommandLineW(), &argumentCount);

    wchar_t ownPath[MAX_PATH] = {};
    GetModuleFileNameW (nullptr, ownPath, MAX_PATH);
    std::wstring path (ownPath);
    auto name = path.substr (path.find_last_of (L'\\') + 1);

    if (name.find (L"chatty") != std::wstring::npos)
    {
        std::string line (1023, 'x');
        for (int i = 0; i < 16; ++i)
            std::printf ("%s\n", line.c_str());
        std::fflush (stdout);
    }

    std::wstring joined;
    for (int i = 1; i < argumentCount; ++i)
        joined += (i > 1 ? L" " : L"") + std::wstring (arguments[i]);

    if (auto* record = _wfopen ((path + L".ran").c_str(), L"w"))
    {
        std::fprintf (record, "%ls\n", joined.c_str());
        std::fclose (record);
    }

    return name.find (L"fail") != std::wstring::npos ? 1 : 0;
}

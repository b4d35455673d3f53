#pragma once

// For the stand-in installers: writes the arguments the program was started with,
// joined by blanks, into "<its own path>.ran", so that tests can see how it was run.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

inline std::wstring getOwnPath()
{
    wchar_t ownPath[MAX_PATH] = {};
    GetModuleFileNameW (nullptr, ownPath, MAX_PATH);
    return ownPath;
}

inline void recordArguments (const std::wstring& ownPath)
{
    int argumentCount = 0;
    auto** arguments = CommandLineToArgvW (GetCommandLineW(), &argumentCount);
    std::wstring joined;

    for (int i = 1; i < argumentCount; ++i)
        joined += (i > 1 ? L" " : L"") + std::wstring (arguments[i]);

    if (auto* record = _wfopen ((ownPath + L".ran").c_str(), L"w"))
    {
        std::fprintf (record, "%ls\n", joined.c_str());
        std::fclose (record);
    }
}

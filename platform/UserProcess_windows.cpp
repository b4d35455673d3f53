#include "UserProcess.h"

#include <windows.h>

#include <vector>

namespace
{
    struct Handle
    {
        ~Handle()
        {
            if (handle != nullptr)
                CloseHandle (handle);
        }

        HANDLE handle = nullptr;
    };

    // The desktop shell runs as the signed-in user, without elevation.
    bool getShellToken (Handle& token)
    {
        DWORD shellProcessId = 0;
        auto shell = GetShellWindow();

        if (shell == nullptr || GetWindowThreadProcessId (shell, &shellProcessId) == 0)
            return false;

        Handle process, shellToken;
        process.handle = OpenProcess (PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId);

        return process.handle != nullptr && OpenProcessToken (process.handle, TOKEN_DUPLICATE, &shellToken.handle)
               && DuplicateTokenEx (shellToken.handle,
                                    TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT
                                        | TOKEN_ADJUST_SESSIONID,
                                    nullptr, SecurityImpersonation, TokenPrimary, &token.handle);
    }
}

bool UserProcess::startAsSignedInUser (const juce::File& program)
{
    Handle token;

    if (! getShellToken (token))
        return false;

    auto commandLine = "\"" + program.getFullPathName() + "\"";
    std::vector<wchar_t> line (commandLine.toWideCharPointer(),
                               commandLine.toWideCharPointer() + wcslen (commandLine.toWideCharPointer()) + 1);

    STARTUPINFOW startup = {};
    startup.cb = sizeof (startup);
    PROCESS_INFORMATION process = {};

    if (! CreateProcessWithTokenW (token.handle, 0, program.getFullPathName().toWideCharPointer(), line.data(), 0,
                                   nullptr, program.getParentDirectory().getFullPathName().toWideCharPointer(),
                                   &startup, &process))
        return false;

    CloseHandle (process.hThread);
    CloseHandle (process.hProcess);
    return true;
}

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

    DWORD getShellProcessId()
    {
        DWORD shellProcessId = 0;
        auto shell = GetShellWindow();
        return shell != nullptr && GetWindowThreadProcessId (shell, &shellProcessId) != 0 ? shellProcessId : 0;
    }

    bool isElevated (HANDLE token)
    {
        TOKEN_ELEVATION elevation = {};
        DWORD size = 0;
        return ! GetTokenInformation (token, TokenElevation, &elevation, sizeof (elevation), &size) ||
               elevation.TokenIsElevated != 0;
    }

    // The desktop shell runs as the signed-in user, without elevation. Its process
    // is asked for again once it is open, so that a process that took the number of
    // a shell that ended meanwhile is not taken for it; and a shell that runs
    // elevated itself gives no token.
    bool getShellToken (Handle& token)
    {
        auto shellProcessId = getShellProcessId();

        if (shellProcessId == 0)
            return false;

        Handle process, shellToken;
        process.handle = OpenProcess (PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId);

        return process.handle != nullptr && getShellProcessId() == shellProcessId &&
               OpenProcessToken (process.handle, TOKEN_DUPLICATE | TOKEN_QUERY, &shellToken.handle) &&
               ! isElevated (shellToken.handle) &&
               DuplicateTokenEx (shellToken.handle, TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, nullptr,
                                 SecurityImpersonation, TokenPrimary, &token.handle);
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

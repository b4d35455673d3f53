#include "SpecialFolders.h"

#include <windows.h>
#include <shlobj.h>

namespace
{
    juce::File getShellFolder (int folderId)
    {
        WCHAR path[MAX_PATH] = {};

        if (! SHGetSpecialFolderPathW (nullptr, path, folderId, FALSE))
            return {};

        return juce::File (juce::String (path));
    }
}

juce::File SpecialFolders::getRoamingAppDataFolder() { return getShellFolder (CSIDL_APPDATA); }

juce::File SpecialFolders::getTemporaryFolder()
{
    WCHAR path[2048] = {};
    GetTempPathW (2048, path);
    return juce::File (juce::String (path));
}

juce::File SpecialFolders::getPictureCacheFolder()
{
    // A fixed path, not asked of the system.
    return juce::File (juce::String ("C:\\ProgramData\\Brelvox\\") + "QuenzDriver");
}

juce::File SpecialFolders::getProgramFilesFolder()
{
    // A 32-bit process on 64-bit Windows is shown "Program Files (x86)" for both
    // program-files folders; the 64-bit view of the machine's registry, which only
    // administrators can change, names the native one.
    if (juce::SystemStats::isOperatingSystem64Bit())
    {
        HKEY key = nullptr;

        if (RegOpenKeyExW (HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                           KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS)
        {
            WCHAR path[MAX_PATH] = {};
            DWORD size = sizeof (path) - sizeof (WCHAR);
            auto status = RegGetValueW (key, nullptr, L"ProgramFilesDir", RRF_RT_REG_SZ, nullptr, path, &size);
            RegCloseKey (key);

            if (status == ERROR_SUCCESS && path[0] != 0)
                return juce::File (juce::String (path));
        }
    }

    return getShellFolder (CSIDL_PROGRAM_FILES);
}

juce::File SpecialFolders::getProgramFilesX86Folder() { return getShellFolder (CSIDL_PROGRAM_FILESX86); }

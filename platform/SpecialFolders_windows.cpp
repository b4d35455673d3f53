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

juce::File SpecialFolders::getProgramFilesFolder() { return getShellFolder (CSIDL_PROGRAM_FILES); }

juce::File SpecialFolders::getProgramFilesX86Folder() { return getShellFolder (CSIDL_PROGRAM_FILESX86); }

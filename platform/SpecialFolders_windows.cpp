#include "SpecialFolders.h"

#include <windows.h>
#include <shlobj.h>

juce::File SpecialFolders::getRoamingAppDataFolder()
{
    WCHAR path[MAX_PATH] = {};

    if (! SHGetSpecialFolderPathW (nullptr, path, CSIDL_APPDATA, FALSE))
        return {};

    return juce::File (juce::String (path));
}

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

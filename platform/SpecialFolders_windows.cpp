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

#include "WorkFolder.h"

#include "ProtectedFolder_windows.h"

#include <shlobj.h>

juce::File WorkFolder::create()
{
    // The program-data folder belongs to the system: users may add folders to it,
    // but never rename or replace one that an administrator made there. A folder
    // on the way that a user made first could be swapped, so there is none.
    wchar_t programData[MAX_PATH] = {};

    if (SHGetFolderPathW (nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData) != S_OK)
        return {};

    auto folder = juce::File (juce::String (programData)).getChildFile ("QuenzInstall-" + juce::Uuid().toString());
    return createProtectedFolder (folder) ? folder : juce::File();
}

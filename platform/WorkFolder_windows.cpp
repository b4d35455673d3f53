#include "WorkFolder.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

namespace
{
    // Owned by Administrators, whatever owner the system gives new objects;
    // SYSTEM and Administrators: full control; users: read and run; nothing
    // inherited from above, everything passed on below.
    constexpr auto protectedAccess = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
}

juce::File WorkFolder::create()
{
    // The program-data folder belongs to the system: users may add folders to it,
    // but never rename or replace one that an administrator made there. A folder
    // on the way that a user made first could be swapped, so there is none.
    wchar_t programData[MAX_PATH] = {};

    if (SHGetFolderPathW (nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData) != S_OK)
        return {};

    PSECURITY_DESCRIPTOR descriptor = nullptr;

    if (! ConvertStringSecurityDescriptorToSecurityDescriptorW (protectedAccess, SDDL_REVISION_1, &descriptor, nullptr))
        return {};

    auto folder = juce::File (juce::String (programData)).getChildFile ("QuenzInstall-" + juce::Uuid().toString());
    SECURITY_ATTRIBUTES attributes = { sizeof (attributes), descriptor, FALSE };

    // Fails when anything of that name exists already.
    auto created = CreateDirectoryW (folder.getFullPathName().toWideCharPointer(), &attributes) != 0;
    LocalFree (descriptor);

    return created ? folder : juce::File();
}

#pragma once

#include <juce_core/juce_core.h>

#include <windows.h>

#include <sddl.h>

/** Makes a folder that only administrators can change: owned by Administrators,
    whatever owner the system gives new objects; SYSTEM and Administrators full
    control, users read and run; nothing inherited from above, everything passed
    on below. Returns false, having made nothing, when anything of that name
    exists already or the folder cannot be made with that access list. For the
    Windows implementations of the platform layer only. */
inline bool createProtectedFolder (const juce::File& folder)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;

    if (! ConvertStringSecurityDescriptorToSecurityDescriptorW (
            L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &descriptor, nullptr))
        return false;

    SECURITY_ATTRIBUTES attributes = { sizeof (attributes), descriptor, FALSE };
    auto created = CreateDirectoryW (folder.getFullPathName().toWideCharPointer(), &attributes) != 0;
    LocalFree (descriptor);
    return created;
}

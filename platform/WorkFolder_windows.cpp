#include "WorkFolder.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

namespace
{
    // SYSTEM and Administrators: full control; users: read and run; nothing
    // inherited from above, everything passed on below.
    constexpr auto protectedAccess = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

    // Reading, listing and running, and nothing more.
    constexpr DWORD readAndRun = READ_CONTROL | SYNCHRONIZE | FILE_READ_DATA | FILE_READ_EA | FILE_EXECUTE
                                 | FILE_READ_ATTRIBUTES | GENERIC_READ | GENERIC_EXECUTE;

    struct SecurityDescriptor
    {
        SecurityDescriptor()
        {
            ConvertStringSecurityDescriptorToSecurityDescriptorW (protectedAccess, SDDL_REVISION_1, &descriptor,
                                                                  nullptr);
        }

        ~SecurityDescriptor()
        {
            if (descriptor != nullptr)
                LocalFree (descriptor);
        }

        PSECURITY_DESCRIPTOR descriptor = nullptr;

        JUCE_DECLARE_NON_COPYABLE (SecurityDescriptor)
    };

    bool isAdministratorOrSystem (PSID sid)
    {
        if (IsWellKnownSid (sid, WinBuiltinAdministratorsSid) || IsWellKnownSid (sid, WinLocalSystemSid))
            return true;

        // The owner of the system's own folders.
        PSID trustedInstaller = nullptr;

        if (! ConvertStringSidToSidW (L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                                      &trustedInstaller))
            return false;

        auto isIt = EqualSid (sid, trustedInstaller) != 0;
        LocalFree (trustedInstaller);
        return isIt;
    }

    enum class Protection
    {
        none,
        onlyAdministratorsCanChange,
        administratorsOwnIt
    };

    Protection getProtection (const juce::File& folder)
    {
        auto handle = CreateFileW (folder.getFullPathName().toWideCharPointer(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);

        if (handle == INVALID_HANDLE_VALUE)
            return Protection::none;

        BY_HANDLE_FILE_INFORMATION information = {};
        PSID owner = nullptr;
        PACL access = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;

        auto isPlainFolder = GetFileInformationByHandle (handle, &information)
                             && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                             && (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        auto gotSecurity = GetSecurityInfo (handle, SE_FILE_OBJECT,
                                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                                            &access, nullptr, &descriptor)
                           == ERROR_SUCCESS;
        CloseHandle (handle);

        auto protection = Protection::none;

        if (isPlainFolder && gotSecurity && owner != nullptr && isAdministratorOrSystem (owner))
        {
            protection = Protection::administratorsOwnIt;

            // No access list at all lets everybody do everything.
            auto othersMayChange = access == nullptr;

            for (DWORD i = 0; access != nullptr && i < access->AceCount && ! othersMayChange; ++i)
            {
                ACE_HEADER* header = nullptr;

                if (! GetAce (access, i, (void**) &header))
                    othersMayChange = true;
                else if (header->AceType == ACCESS_ALLOWED_ACE_TYPE && (header->AceFlags & INHERIT_ONLY_ACE) == 0)
                {
                    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*> (header);
                    othersMayChange = (ace->Mask & ~readAndRun) != 0 && ! isAdministratorOrSystem (&ace->SidStart);
                }
            }

            if (! othersMayChange)
                protection = Protection::onlyAdministratorsCanChange;
        }

        if (descriptor != nullptr)
            LocalFree (descriptor);

        return protection;
    }

    // A folder on the way, made protected when it is missing. One that exists must
    // be owned by administrators (no user made it first); its access list is then
    // made the protected one, as an earlier version may have made it with the
    // access list it inherited.
    bool makeProtectedParent (const juce::File& folder, SecurityDescriptor& security)
    {
        SECURITY_ATTRIBUTES attributes = { sizeof (attributes), security.descriptor, FALSE };

        if (CreateDirectoryW (folder.getFullPathName().toWideCharPointer(), &attributes))
            return true;

        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;

        auto protection = getProtection (folder);

        if (protection == Protection::administratorsOwnIt)
        {
            BOOL present = FALSE, defaulted = FALSE;
            PACL access = nullptr;
            GetSecurityDescriptorDacl (security.descriptor, &present, &access, &defaulted);
            auto path = folder.getFullPathName();
            SetNamedSecurityInfoW (const_cast<wchar_t*> (path.toWideCharPointer()), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   access, nullptr);
            protection = getProtection (folder);
        }

        return protection == Protection::onlyAdministratorsCanChange;
    }
}

juce::File WorkFolder::create()
{
    wchar_t programData[MAX_PATH] = {};

    if (SHGetFolderPathW (nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData) != S_OK)
        return {};

    SecurityDescriptor security;

    if (security.descriptor == nullptr)
        return {};

    auto parent = juce::File (juce::String (programData)).getChildFile ("Brelvox");

    if (! makeProtectedParent (parent, security))
        return {};

    parent = parent.getChildFile ("QuenzInstall");

    if (! makeProtectedParent (parent, security))
        return {};

    auto folder = parent.getChildFile (juce::Uuid().toString());
    SECURITY_ATTRIBUTES attributes = { sizeof (attributes), security.descriptor, FALSE };

    // Fails when anything of that name exists already.
    if (! CreateDirectoryW (folder.getFullPathName().toWideCharPointer(), &attributes))
        return {};

    return folder;
}

bool WorkFolder::onlyAdministratorsCanChange (const juce::File& folder)
{
    return getProtection (folder) == Protection::onlyAdministratorsCanChange;
}

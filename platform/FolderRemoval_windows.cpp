#include "FolderRemoval.h"

#include <windows.h>

namespace
{
    // No installer's old folder nests deeper.
    constexpr int maximumDepth = 64;

    struct Handle
    {
        explicit Handle (HANDLE handleToOwn) : handle (handleToOwn) {}
        ~Handle()
        {
            if (isValid())
                CloseHandle (handle);
        }

        bool isValid() const noexcept { return handle != INVALID_HANDLE_VALUE; }

        HANDLE handle;

        JUCE_DECLARE_NON_COPYABLE (Handle)
    };

    // The path exactly as listed: without the prefix the system drops trailing
    // blanks and dots from a name, so that "evil " (a junction, say) would open as
    // "evil" and a path through "evil \" would go through the junction.
    juce::String exactPath (const juce::File& entry)
    {
        auto path = entry.getFullPathName();
        return path.startsWith ("\\\\") ? "\\\\?\\UNC\\" + path.substring (2) : "\\\\?\\" + path;
    }

    // The entry itself, a link included, never what a link points at. Others may
    // go on reading and writing, but while the handle is open nobody can rename or
    // delete the entry, so a path through it keeps meaning what was checked.
    HANDLE openEntry (const juce::File& entry, DWORD access)
    {
        return CreateFileW (exactPath (entry).toWideCharPointer(), access | FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    }

    DWORD getAttributes (const Handle& entry)
    {
        BY_HANDLE_FILE_INFORMATION information = {};
        return GetFileInformationByHandle (entry.handle, &information) ? information.dwFileAttributes
                                                                       : INVALID_FILE_ATTRIBUTES;
    }

    bool isPlainFolder (DWORD attributes)
    {
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    }

    bool deleteEntry (const Handle& entry, DWORD attributes)
    {
        // A read-only file would refuse to go.
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        {
            FILE_BASIC_INFO basic = {};
            basic.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
            SetFileInformationByHandle (entry.handle, FileBasicInfo, &basic, sizeof (basic));
        }

        FILE_DISPOSITION_INFO disposition = {};
        disposition.DeleteFile = TRUE;
        return SetFileInformationByHandle (entry.handle, FileDispositionInfo, &disposition, sizeof (disposition)) != 0;
    }

    // The names in a folder, read through the handle that holds it.
    juce::StringArray listNames (const Handle& folder)
    {
        juce::StringArray names;
        alignas (8) char buffer[16384];
        auto informationClass = FileIdBothDirectoryRestartInfo;

        while (GetFileInformationByHandleEx (folder.handle, informationClass, buffer, sizeof (buffer)))
        {
            informationClass = FileIdBothDirectoryInfo;

            for (auto* entry = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*> (buffer);;
                 entry = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*> (reinterpret_cast<char*> (entry) +
                                                                   entry->NextEntryOffset))
            {
                juce::String name (entry->FileName, (size_t) entry->FileNameLength / sizeof (WCHAR));

                if (name != "." && name != "..")
                    names.add (name);

                if (entry->NextEntryOffset == 0)
                    break;
            }
        }

        return names;
    }

    bool removeContents (const juce::File& folder, const Handle& held, int depth)
    {
        auto allRemoved = true;

        for (auto& name : listNames (held))
        {
            auto child = folder.getChildFile (name);
            Handle entry (openEntry (child, DELETE | FILE_WRITE_ATTRIBUTES | FILE_LIST_DIRECTORY));
            auto attributes = entry.isValid() ? getAttributes (entry) : INVALID_FILE_ATTRIBUTES;

            if (attributes == INVALID_FILE_ATTRIBUTES ||
                (isPlainFolder (attributes) && (depth >= maximumDepth || ! removeContents (child, entry, depth + 1))) ||
                ! deleteEntry (entry, attributes))
                allRemoved = false;
        }

        return allRemoved;
    }
}

bool FolderRemoval::removeBelow (const juce::File& base, const juce::String& relativePath)
{
    auto names = juce::StringArray::fromTokens (relativePath, "/\\", {});
    names.removeEmptyStrings();

    if (names.isEmpty())
        return false;

    // Each folder on the way, from base on, is held, so that none can be swapped
    // for a link once it has been seen not to be one.
    juce::OwnedArray<Handle> way;
    auto folder = base;

    way.add (new Handle (openEntry (base, 0)));

    if (! isPlainFolder (getAttributes (*way.getFirst())))
        return false;

    for (auto& name : names)
    {
        folder = folder.getChildFile (name);
        auto isLast = &name == &names.getReference (names.size() - 1);
        auto entry = std::make_unique<Handle> (
            openEntry (folder, isLast ? DELETE | FILE_WRITE_ATTRIBUTES | FILE_LIST_DIRECTORY : 0));

        if (! entry->isValid())
        {
            auto error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }

        auto attributes = getAttributes (*entry);

        if (! isPlainFolder (attributes))
            return false;

        if (isLast)
            return removeContents (folder, *entry, 0) && deleteEntry (*entry, attributes);

        way.add (entry.release());
    }

    return false;
}

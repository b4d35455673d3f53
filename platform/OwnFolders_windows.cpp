#include "OwnFolders.h"

#include "ProtectedFolder_windows.h"

#include <vector>

struct OwnFolders::Held
{
    ~Held()
    {
        for (auto handle : handles)
            CloseHandle (handle);
    }

    std::vector<HANDLE> handles;
};

namespace
{
    // Leaves a folder that exists already as it is; the check after it judges that.
    void createFolder (const juce::File& folder, OwnFolders::Creation creation)
    {
        if (creation == OwnFolders::Creation::plain)
            CreateDirectoryW (folder.getFullPathName().toWideCharPointer(), nullptr);
        else
            createProtectedFolder (folder);
    }

    // Opens the folder itself, not what a link or junction in its place points at,
    // and without FILE_SHARE_DELETE, so that it cannot be renamed or deleted while
    // the handle is open. Returns nullptr when it is no plain folder.
    HANDLE openFolder (const juce::File& folder)
    {
        auto handle = CreateFileW (folder.getFullPathName().toWideCharPointer(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);

        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;

        BY_HANDLE_FILE_INFORMATION info;

        if (GetFileInformationByHandle (handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            return handle;

        CloseHandle (handle);
        return nullptr;
    }
}

OwnFolders::OwnFolders (const juce::File& innermost, int numFolders, Creation creation)
{
    juce::Array<juce::File> folders;

    for (auto folder = innermost; folders.size() < numFolders; folder = folder.getParentDirectory())
        folders.insert (0, folder);

    auto opened = std::make_unique<Held>();

    // From the outermost down: each is made and opened inside one already held.
    for (auto& folder : folders)
    {
        if (creation != Creation::none)
            createFolder (folder, creation);

        auto handle = openFolder (folder);

        if (handle == nullptr)
            return;

        opened->handles.push_back (handle);
    }

    held = std::move (opened);
}

OwnFolders::~OwnFolders() = default;

bool OwnFolders::isOpen() const noexcept { return held != nullptr; }

#include "OwnFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Linux cannot keep a folder from being renamed by holding it open: the check when
// opening is all there is, and nothing needs to be held.
struct OwnFolders::Held
{
};

OwnFolders::OwnFolders (const juce::File& innermost, int numFolders, Creation creation)
{
    juce::StringArray names;
    auto systemFolder = innermost;

    for (int i = 0; i < numFolders; ++i)
    {
        names.insert (0, systemFolder.getFileName());
        systemFolder = systemFolder.getParentDirectory();
    }

    // The system's folder may well be a link (a home folder moved elsewhere, say); it
    // is not the program's to judge.
    auto folder = open (systemFolder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    // Each folder is opened inside the one opened before it, so that no link above
    // it can move it either.
    for (int i = 0; i < names.size() && folder >= 0; ++i)
    {
        auto* name = names[i].toRawUTF8();

        if (creation != Creation::none)
            mkdirat (folder, name, creation == Creation::protectedFromUsers ? 0755 : 0777);

        auto next = openat (folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close (folder);
        folder = next;
    }

    if (folder < 0)
        return;

    close (folder);
    held = std::make_unique<Held>();
}

OwnFolders::~OwnFolders() = default;

bool OwnFolders::isOpen() const noexcept { return held != nullptr; }

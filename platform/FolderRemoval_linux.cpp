#include "FolderRemoval.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    // No installer's old folder nests deeper; a deeper tree would only cost descriptors.
    constexpr int maximumDepth = 64;

    struct Descriptor
    {
        explicit Descriptor (int descriptorToOwn) : descriptor (descriptorToOwn) {}
        ~Descriptor()
        {
            if (descriptor >= 0)
                close (descriptor);
        }

        int descriptor;

        JUCE_DECLARE_NON_COPYABLE (Descriptor)
    };

    // A folder by its name inside another, refused when the name is a link.
    int openFolder (int parent, const char* name)
    {
        return openat (parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }

    bool removeContents (int folder, int depth)
    {
        auto copy = dup (folder);
        auto listing = copy >= 0 ? fdopendir (copy) : nullptr;

        if (listing == nullptr)
        {
            if (copy >= 0)
                close (copy);

            return false;
        }

        juce::StringArray names;

        while (auto* entry = readdir (listing))
            if (strcmp (entry->d_name, ".") != 0 && strcmp (entry->d_name, "..") != 0)
                names.add (entry->d_name);

        closedir (listing);
        auto allRemoved = true;

        for (auto& name : names)
        {
            struct stat status;

            if (fstatat (folder, name.toRawUTF8(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            {
                allRemoved = false;
                continue;
            }

            if (S_ISDIR (status.st_mode))
            {
                // Opened without following: a folder swapped for a link meanwhile is not entered.
                Descriptor child (openFolder (folder, name.toRawUTF8()));

                if (child.descriptor < 0 || depth >= maximumDepth || ! removeContents (child.descriptor, depth + 1) ||
                    unlinkat (folder, name.toRawUTF8(), AT_REMOVEDIR) != 0)
                    allRemoved = false;
            }
            else if (unlinkat (folder, name.toRawUTF8(), 0) != 0)
            {
                allRemoved = false;
            }
        }

        return allRemoved;
    }
}

bool FolderRemoval::removeBelow (const juce::File& base, const juce::String& relativePath)
{
    auto names = juce::StringArray::fromTokens (relativePath, "/", {});
    names.removeEmptyStrings();

    if (names.isEmpty())
        return false;

    Descriptor parent (open (base.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    for (int i = 0; i < names.size() - 1 && parent.descriptor >= 0; ++i)
    {
        Descriptor next (openFolder (parent.descriptor, names[i].toRawUTF8()));
        std::swap (parent.descriptor, next.descriptor);
    }

    if (parent.descriptor < 0)
        return errno == ENOENT;

    Descriptor folder (openFolder (parent.descriptor, names.getReference (names.size() - 1).toRawUTF8()));

    if (folder.descriptor < 0)
        return errno == ENOENT;

    return removeContents (folder.descriptor, 0) &&
           unlinkat (parent.descriptor, names.getReference (names.size() - 1).toRawUTF8(), AT_REMOVEDIR) == 0;
}

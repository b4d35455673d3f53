#include "FileSystem.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    // O_NOFOLLOW refuses a symbolic link in the file's place; O_NONBLOCK keeps a
    // planted FIFO from holding the open, and the check below refuses it.
    constexpr int noFollowFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

    // Refuses what the opened name turned out to be, when it is not a plain file of
    // one name: a hard link makes another file's content reachable under this name.
    bool isPlainFileOfOneName (int descriptor, struct stat& info)
    {
        return fstat (descriptor, &info) == 0 && S_ISREG (info.st_mode) && info.st_nlink == 1;
    }

    bool writeAll (int descriptor, const void* data, size_t numBytes)
    {
        auto* next = static_cast<const char*> (data);
        auto* end = next + numBytes;

        while (next < end)
        {
            auto written = ::write (descriptor, next, (size_t) (end - next));

            if (written <= 0)
                return false;

            next += written;
        }

        return true;
    }

    class NewFileOutputStream : public juce::OutputStream
    {
    public:
        explicit NewFileOutputStream (int descriptorToOwn) : descriptor (descriptorToOwn) {}

        ~NewFileOutputStream() override { close (descriptor); }

        void flush() override {}

        bool setPosition (juce::int64) override { return false; }

        juce::int64 getPosition() override { return position; }

        bool write (const void* data, size_t numBytes) override
        {
            if (! writeAll (descriptor, data, numBytes))
                return false;

            position += (juce::int64) numBytes;
            return true;
        }

    private:
        int descriptor;
        juce::int64 position = 0;

        JUCE_DECLARE_NON_COPYABLE (NewFileOutputStream)
    };
}

bool FileSystem::fileExists (const juce::File& file)
{
    struct stat info;
    return stat (file.getFullPathName().toRawUTF8(), &info) == 0;
}

bool FileSystem::moveWithoutReplacing (const juce::File& source, const juce::File& target)
{
    return renameat2 (AT_FDCWD, source.getFullPathName().toRawUTF8(), AT_FDCWD, target.getFullPathName().toRawUTF8(),
                      RENAME_NOREPLACE) == 0;
}

bool FileSystem::appendWithoutFollowingLinks (const juce::File& file, const void* data, size_t numBytes,
                                              bool createIfMissing)
{
    auto descriptor = open (file.getFullPathName().toRawUTF8(),
                            O_WRONLY | O_APPEND | noFollowFlags | (createIfMissing ? O_CREAT : 0), 0644);

    if (descriptor < 0)
        return false;

    struct stat info;
    auto written = isPlainFileOfOneName (descriptor, info) && writeAll (descriptor, data, numBytes);
    close (descriptor);
    return written;
}

bool FileSystem::readWithoutFollowingLinks (const juce::File& file, juce::MemoryBlock& data, size_t maximumBytes)
{
    auto descriptor = open (file.getFullPathName().toRawUTF8(), O_RDONLY | noFollowFlags);

    if (descriptor < 0)
        return false;

    struct stat info;
    auto readable =
        isPlainFileOfOneName (descriptor, info) && (juce::uint64) info.st_size <= (juce::uint64) maximumBytes;
    juce::MemoryBlock content (readable ? (size_t) info.st_size : 0);
    size_t total = 0;

    // Ends at the size the file had when opened, or earlier if it shrank meanwhile.
    while (readable && total < content.getSize())
    {
        auto received = ::read (descriptor, static_cast<char*> (content.getData()) + total, content.getSize() - total);

        if (received <= 0)
        {
            readable = received == 0;
            break;
        }

        total += (size_t) received;
    }

    close (descriptor);

    if (! readable)
        return false;

    content.setSize (total);
    data = std::move (content);
    return true;
}

std::unique_ptr<juce::OutputStream> FileSystem::createNewFile (const juce::File& file)
{
    // With O_EXCL the open fails on any existing name, a symbolic link included.
    auto descriptor = open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);

    if (descriptor < 0)
        return nullptr;

    return std::make_unique<NewFileOutputStream> (descriptor);
}

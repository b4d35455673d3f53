#include "FileSystem.h"

#include <windows.h>

namespace
{
    // FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic link or junction itself instead
    // of what it points at; the check below then refuses it.
    HANDLE openWithoutFollowingLinks (const juce::File& file, DWORD access, DWORD sharing, DWORD disposition)
    {
        return CreateFileW (file.getFullPathName().toWideCharPointer(), access, sharing, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    }

    // Refuses what the opened name turned out to be, when it is not a plain file of
    // one name: a hard link makes another file's content reachable under this name.
    bool isPlainFileOfOneName (HANDLE handle, BY_HANDLE_FILE_INFORMATION& info)
    {
        return GetFileInformationByHandle (handle, &info) &&
               (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
               info.nNumberOfLinks == 1;
    }

    bool writeAll (HANDLE handle, const void* data, size_t numBytes)
    {
        auto* next = static_cast<const char*> (data);
        auto* end = next + numBytes;

        while (next < end)
        {
            DWORD written = 0;
            auto wanted = (DWORD) juce::jmin ((size_t) (end - next), (size_t) 0x40000000);

            if (! WriteFile (handle, next, wanted, &written, nullptr) || written == 0)
                return false;

            next += written;
        }

        return true;
    }

    class NewFileOutputStream : public juce::OutputStream
    {
    public:
        explicit NewFileOutputStream (HANDLE handleToOwn) : handle (handleToOwn) {}

        ~NewFileOutputStream() override { CloseHandle (handle); }

        void flush() override {}

        bool setPosition (juce::int64) override { return false; }

        juce::int64 getPosition() override { return position; }

        bool write (const void* data, size_t numBytes) override
        {
            if (! writeAll (handle, data, numBytes))
                return false;

            position += (juce::int64) numBytes;
            return true;
        }

    private:
        HANDLE handle;
        juce::int64 position = 0;

        JUCE_DECLARE_NON_COPYABLE (NewFileOutputStream)
    };
}

bool FileSystem::fileExists (const juce::File& file)
{
    return GetFileAttributesW (file.getFullPathName().toWideCharPointer()) != INVALID_FILE_ATTRIBUTES;
}

bool FileSystem::moveWithoutReplacing (const juce::File& source, const juce::File& target)
{
    // Without MOVEFILE_REPLACE_EXISTING the rename fails when the target exists.
    return MoveFileExW (source.getFullPathName().toWideCharPointer(), target.getFullPathName().toWideCharPointer(),
                        0) != 0;
}

bool FileSystem::appendWithoutFollowingLinks (const juce::File& file, const void* data, size_t numBytes,
                                              bool createIfMissing)
{
    // Append access alone makes every write go to the end of the file. Sharing only
    // reading, as the framework's file streams do, keeps a second writer out.
    auto handle = openWithoutFollowingLinks (file, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                             FILE_SHARE_READ, createIfMissing ? OPEN_ALWAYS : OPEN_EXISTING);

    if (handle == INVALID_HANDLE_VALUE)
        return false;

    BY_HANDLE_FILE_INFORMATION info;
    auto written = isPlainFileOfOneName (handle, info) && writeAll (handle, data, numBytes);
    CloseHandle (handle);
    return written;
}

bool FileSystem::readWithoutFollowingLinks (const juce::File& file, juce::MemoryBlock& data, size_t maximumBytes)
{
    auto handle = openWithoutFollowingLinks (file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);

    if (handle == INVALID_HANDLE_VALUE)
        return false;

    BY_HANDLE_FILE_INFORMATION info;
    auto readable =
        isPlainFileOfOneName (handle, info) && info.nFileSizeHigh == 0 && (size_t) info.nFileSizeLow <= maximumBytes;
    juce::MemoryBlock content (readable ? (size_t) info.nFileSizeLow : 0);
    size_t total = 0;

    // Ends at the size the file had when opened, or earlier if it shrank meanwhile.
    while (readable && total < content.getSize())
    {
        DWORD received = 0;
        readable = ReadFile (handle, static_cast<char*> (content.getData()) + total,
                             (DWORD) (content.getSize() - total), &received, nullptr) != 0;

        if (received == 0)
            break;

        total += received;
    }

    CloseHandle (handle);

    if (! readable)
        return false;

    content.setSize (total);
    data = std::move (content);
    return true;
}

std::unique_ptr<juce::OutputStream> FileSystem::createNewFile (const juce::File& file)
{
    // CREATE_NEW fails on any existing name, a link included.
    auto handle = openWithoutFollowingLinks (file, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);

    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;

    return std::make_unique<NewFileOutputStream> (handle);
}

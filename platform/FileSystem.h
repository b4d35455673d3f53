#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** File-system questions that the program asks the operating system directly.

    The program runs elevated and writes in folders that a standard user can write
    too. The functions that open files there never follow a link that a user may have
    put in a file's place: a symbolic link, a junction or other reparse point, or a
    hard link (a second name of a file elsewhere). They check the handle they opened
    and read or write through that same handle.
*/
namespace FileSystem
{
    /** Returns true if the operating system reports attributes for this path,
        that is, if a file or folder of that name exists. */
    bool fileExists (const juce::File& file);

    /** Renames source to target in one step, unless something named target
        exists already: then it returns false and leaves both as they were.
        Both must be in the same folder. */
    bool moveWithoutReplacing (const juce::File& source, const juce::File& target);

    /** Appends the bytes to the end of the file, making the file first if it is
        missing and createIfMissing is true.

        Returns false, having written nothing, when the file is missing (and not to be
        made), is a link or has more than one name, is no plain file, or cannot be
        opened for writing, for instance while another writer holds it on Windows. */
    bool appendWithoutFollowingLinks (const juce::File& file, const void* data, size_t numBytes, bool createIfMissing);

    /** Reads the whole file into data.

        Returns false, leaving data as it was, when the file is missing, is a link or
        has more than one name, is no plain file, is larger than maximumBytes, or
        cannot be read. */
    bool readWithoutFollowingLinks (const juce::File& file, juce::MemoryBlock& data, size_t maximumBytes);

    /** Makes a new, empty file and returns a stream that writes to it, or nullptr when
        anything at all is named file already, a link included, or the file cannot be
        made. Its writes go straight to the system; it cannot seek. */
    std::unique_ptr<juce::OutputStream> createNewFile (const juce::File& file);
}

#pragma once

#include <juce_core/juce_core.h>

/** File-system questions that the program asks the operating system directly. */
namespace FileSystem
{
    /** Returns true if the operating system reports attributes for this path,
        that is, if a file or folder of that name exists. */
    bool fileExists (const juce::File& file);

    /** Renames source to target in one step, unless something named target
        exists already: then it returns false and leaves both as they were.
        Both must be in the same folder. */
    bool moveWithoutReplacing (const juce::File& source, const juce::File& target);
}

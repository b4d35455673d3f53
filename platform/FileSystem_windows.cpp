#include "FileSystem.h"

#include <windows.h>

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

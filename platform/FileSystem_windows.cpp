#include "FileSystem.h"

#include <windows.h>

bool FileSystem::fileExists (const juce::File& file)
{
    return GetFileAttributesW (file.getFullPathName().toWideCharPointer()) != INVALID_FILE_ATTRIBUTES;
}

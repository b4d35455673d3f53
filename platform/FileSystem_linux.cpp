#include "FileSystem.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

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

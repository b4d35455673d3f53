#include "FileSystem.h"

#include <sys/stat.h>

bool FileSystem::fileExists (const juce::File& file)
{
    struct stat info;
    return stat (file.getFullPathName().toRawUTF8(), &info) == 0;
}

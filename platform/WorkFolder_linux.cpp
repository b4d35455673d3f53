#include "WorkFolder.h"

#include "SpecialFolders.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

juce::File WorkFolder::create()
{
    auto pattern = SpecialFolders::getTemporaryFolder().getChildFile ("quenz-XXXXXX").getFullPathName();
    juce::HeapBlock<char> path (strlen (pattern.toRawUTF8()) + 1);
    strcpy (path.get(), pattern.toRawUTF8());

    if (mkdtemp (path.get()) == nullptr)
        return {};

    return juce::File (juce::String::fromUTF8 (path.get()));
}

bool WorkFolder::onlyAdministratorsCanChange (const juce::File& folder)
{
    struct stat status;

    return lstat (folder.getFullPathName().toRawUTF8(), &status) == 0 && S_ISDIR (status.st_mode)
           && (status.st_uid == geteuid() || status.st_uid == 0) && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

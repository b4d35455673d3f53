#include <gtest/gtest.h>

#include "platform/WorkFolder.h"

#if ! JUCE_WINDOWS
#include <sys/stat.h>
#endif

TEST (WorkFolder, IsANewFolderOfItsOwnEachTime)
{
    auto first = WorkFolder::create();
    auto second = WorkFolder::create();

    ASSERT_TRUE (first.isDirectory());
    ASSERT_TRUE (second.isDirectory());
    EXPECT_NE (first, second);
    EXPECT_EQ (first.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

#if JUCE_WINDOWS
    // Wine keeps no access list of a folder's own: what it reads back is made
    // from the folder's mode. Where the folder lies is what can be checked here.
    EXPECT_EQ (first.getParentDirectory(), juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory));
#else
    struct stat status;
    ASSERT_EQ (lstat (first.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 07777, 0700) << "nobody else may read, write or enter it";
#endif

    first.deleteRecursively();
    second.deleteRecursively();
}

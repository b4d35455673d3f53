#include <gtest/gtest.h>

#include "platform/WorkFolder.h"
#include "support/TemporaryFolder.h"

#if ! JUCE_WINDOWS
#include <sys/stat.h>
#endif

TEST (WorkFolder, IsANewFolderThatOnlyAdministratorsCanChange)
{
    auto first = WorkFolder::create();
    auto second = WorkFolder::create();

    ASSERT_TRUE (first.isDirectory());
    ASSERT_TRUE (second.isDirectory());
    EXPECT_NE (first, second);
    EXPECT_TRUE (WorkFolder::onlyAdministratorsCanChange (first));
#if JUCE_WINDOWS
    EXPECT_TRUE (WorkFolder::onlyAdministratorsCanChange (first.getParentDirectory()));
#endif

    // What is made inside inherits the protection.
    auto inside = first.getChildFile ("unpacked");
    ASSERT_TRUE (inside.createDirectory().wasOk());
    EXPECT_TRUE (WorkFolder::onlyAdministratorsCanChange (inside));

    first.deleteRecursively();
    second.deleteRecursively();
}

TEST (WorkFolder, TellsAnOpenFolderOrALinkFromAProtectedOne)
{
    TemporaryFolder temporary;
    auto open = temporary.getFolder().getChildFile ("open");
    ASSERT_TRUE (open.createDirectory().wasOk());
#if ! JUCE_WINDOWS
    ASSERT_EQ (chmod (open.getFullPathName().toRawUTF8(), 0777), 0);
#endif
    auto protectedFolder = WorkFolder::create();
    auto link = temporary.getFolder().getChildFile ("link");
    ASSERT_TRUE (protectedFolder.createSymbolicLink (link, true));

    EXPECT_FALSE (WorkFolder::onlyAdministratorsCanChange (open));
    EXPECT_FALSE (WorkFolder::onlyAdministratorsCanChange (link));
    EXPECT_FALSE (WorkFolder::onlyAdministratorsCanChange (temporary.getFolder().getChildFile ("missing")));

    protectedFolder.deleteRecursively();
}

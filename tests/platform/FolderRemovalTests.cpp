#include <gtest/gtest.h>

#include "platform/FolderRemoval.h"
#include "support/TemporaryFolder.h"

namespace
{
    struct RemovalFixture : public testing::Test
    {
        RemovalFixture()
        {
            precious.create();
            precious.replaceWithText ("keep me");
            installer.getChildFile ("old/setup.dat").create();
        }

        TemporaryFolder temporary;
        juce::File roaming{ temporary.getFolder().getChildFile ("roaming") };
        juce::File installer{ roaming.getChildFile ("Brelvox/Nuvo Max/installer") };
        juce::File elsewhere{ temporary.getFolder().getChildFile ("elsewhere") };
        juce::File precious{ elsewhere.getChildFile ("installer/precious.txt") };
    };
}

TEST_F (RemovalFixture, RemovesTheFolderWithEverythingInIt)
{
    installer.getChildFile ("old/deeper/read-only.dat").create();
    installer.getChildFile ("old/deeper/read-only.dat").setReadOnly (true);

    EXPECT_TRUE (FolderRemoval::removeBelow (roaming, "Brelvox/Nuvo Max/installer"));

    EXPECT_FALSE (installer.exists());
    EXPECT_TRUE (installer.getParentDirectory().isDirectory());
    EXPECT_TRUE (FolderRemoval::removeBelow (roaming, "Brelvox/Nuvo Max/installer")) << "gone already";
}

// Wine makes no symbolic links: these run on Linux.
#if ! JUCE_WINDOWS
TEST_F (RemovalFixture, RemovesALinkInsideButNotWhatItPointsAt)
{
    ASSERT_TRUE (elsewhere.getChildFile ("installer").createSymbolicLink (installer.getChildFile ("link"), true));
    ASSERT_TRUE (precious.createSymbolicLink (installer.getChildFile ("old/file-link"), true));

    EXPECT_TRUE (FolderRemoval::removeBelow (roaming, "Brelvox/Nuvo Max/installer"));

    EXPECT_FALSE (installer.exists());
    EXPECT_EQ (precious.loadFileAsString(), "keep me");
}

TEST_F (RemovalFixture, RemovesNothingBehindALinkOnTheWay)
{
    // Each folder on the way in its turn is a link to a folder elsewhere that holds the rest of the way.
    const juce::String ways[] = { "Brelvox", "Brelvox/Nuvo Max", "Brelvox/Nuvo Max/installer" };

    for (auto& way : ways)
    {
        auto caseRoaming = temporary.getFolder().getChildFile (juce::Uuid().toString());
        auto target = temporary.getFolder().getChildFile (juce::Uuid().toString());
        auto rest = juce::String ("Brelvox/Nuvo Max/installer").substring (way.length()).trimCharactersAtStart ("/");
        auto kept = target.getChildFile (rest).getChildFile ("precious.txt");
        ASSERT_TRUE (kept.create().wasOk() && kept.replaceWithText ("keep me"));
        ASSERT_TRUE (caseRoaming.getChildFile (way).getParentDirectory().createDirectory().wasOk());
        ASSERT_TRUE (target.createSymbolicLink (caseRoaming.getChildFile (way), true)) << way;

        FolderRemoval::removeBelow (caseRoaming, "Brelvox/Nuvo Max/installer");

        EXPECT_EQ (kept.loadFileAsString(), "keep me") << way;
    }
}
#endif

#include <gtest/gtest.h>

#include "platform/ProcessTree.h"
#include "support/FakeInstaller.h"
#include "support/TemporaryFolder.h"

namespace
{
    // Starts a stand-in that starts a child and ends at once; returns the child's id.
    juce::uint32 startParent (ProcessTree& tree, const juce::File& folder)
    {
        auto installer =
            FakeInstaller::make (folder.getChildFile (juce::Uuid().toString()), "Setup", 0, false, false, true);

        if (! tree.start (installer, {}, folder) || tree.waitForExitCode() != 0)
            return 0;

        return (juce::uint32) installer.getSiblingFile (installer.getFileName() + ".child")
            .loadFileAsString()
            .trim()
            .getLargeIntValue();
    }
}

TEST (ProcessTree, FollowsWhatTheInstallerStartsUntilTheLastOfItHasEnded)
{
    TemporaryFolder temporary;
    ProcessTree tree, other;

    EXPECT_FALSE (tree.isRunning());

    auto child = startParent (tree, temporary.getFolder());
    auto otherChild = startParent (other, temporary.getFolder());
    ASSERT_NE (child, 0u);
    ASSERT_NE (otherChild, 0u);

    EXPECT_TRUE (tree.isRunning()) << "the installer has ended, its child runs on";
    EXPECT_TRUE (tree.contains (child));
    EXPECT_FALSE (tree.contains (otherChild)) << "a process of another installer";
    EXPECT_FALSE (tree.start (FakeInstaller::make (temporary.getFolder(), "Again", 0), {}, temporary.getFolder()))
        << "a tree is started once";

    for (int i = 0; i < 200 && tree.isRunning(); ++i)
        juce::Thread::sleep (50);

    EXPECT_FALSE (tree.isRunning());
    EXPECT_FALSE (tree.contains (child));
}

#include <gtest/gtest.h>

#include "support/Printers.h"

#include "install/InstallerJobs.h"
#include "platform/CommandInterpreter.h"
#include "platform/SpecialFolders.h"
#include "support/FakeInstaller.h"
#include "support/StatusRecorder.h"
#include "support/TemporaryFolder.h"

TEST (InstallerCommands, AreTheCommandLinesOfTheInterpreter)
{
#if JUCE_WINDOWS
    const juce::String installer ("C:\\T\\x\\setup.exe");
    EXPECT_EQ (CommandInterpreter::startDetached (installer, "/S"), "cmd.exe /c start \"\" \"C:\\T\\x\\setup.exe\" /S");
    EXPECT_EQ (CommandInterpreter::startDetached (installer, "/silent"),
               "cmd.exe /c start \"\" \"C:\\T\\x\\setup.exe\" /silent");
    EXPECT_EQ (CommandInterpreter::removeFolder ("C:\\A\\Nuvo Max\\installer"),
               "cmd.exe /c rmdir /s /q \"C:\\A\\Nuvo Max\\installer\"");
    // Quoted as a whole as well, so that a path with blanks survives cmd.exe.
    EXPECT_EQ (CommandInterpreter::runAndWait ("C:\\T x\\setup.exe", "install --al -c"),
               "cmd.exe /c \"\"C:\\T x\\setup.exe\" install --al -c\"");
#else
    EXPECT_EQ (CommandInterpreter::startDetached ("/t/it's/setup.exe", "/S"),
               "nohup '/t/it'\\''s/setup.exe' /S >/dev/null 2>&1 &");
    EXPECT_EQ (CommandInterpreter::removeFolder ("/a/Nuvo Max/installer"), "rm -rf '/a/Nuvo Max/installer'");
    EXPECT_EQ (CommandInterpreter::runAndWait ("/t x/setup.exe", "install --al -c"),
               "'/t x/setup.exe' install --al -c");
#endif
}

namespace
{
    struct JobFixture : public testing::Test
    {
        TemporaryFolder temporary;
        juce::File folder{ temporary.getFolder().getChildFile ("with blanks") };
        StatusRecorder status;
    };
}

TEST_F (JobFixture, QuietSwitchStartsTheInstallerAndReportsNothing)
{
    auto installer = FakeInstaller::make (folder, "Quenz Q2 Setup", 1);

    runQuietSwitch (installer.getFullPathName());

    EXPECT_EQ (FakeInstaller::waitForArguments (installer), "/S");
    EXPECT_TRUE (status.getWords().isEmpty());
}

TEST_F (JobFixture, SilentSwitchReportsThatTheInstallerWasStarted)
{
    auto installer = FakeInstaller::make (folder, "Echo Deck Setup", 0);

    runSilentSwitch (installer.getFullPathName(), status.makeCallback());

    EXPECT_EQ (status.getWords(), juce::StringArray ("Installed"));
    EXPECT_EQ (FakeInstaller::waitForArguments (installer), "/silent");
}

TEST_F (JobFixture, CommandLineInstallReportsTheInstallersExitCode)
{
    struct Case
    {
        const char* name;
        int exitCode;
        bool chatty;
        const char* expected;
    };

    const Case cases[] = {
        { "success", 0, false, "Installed" },
        { "failure", 1, false, "Install error" },
        { "much output, no blocking", 0, true, "Installed" },
    };

    for (auto& c : cases)
    {
        StatusRecorder caseStatus;
        auto installer = FakeInstaller::make (folder, "Nuvo Max Setup", c.exitCode, c.chatty);

        runCommandLineInstall (installer.getFullPathName(), caseStatus.makeCallback());

        EXPECT_EQ (caseStatus.getWords(), juce::StringArray (c.expected)) << c.name;
        EXPECT_EQ (FakeInstaller::waitForArguments (installer), "install --al -c") << c.name;
    }
}

TEST_F (JobFixture, CommandLineInstallRemovesTheOldInstallerFolderFirst)
{
    auto oldInstaller = SpecialFolders::getRoamingAppDataFolder().getChildFile ("Brelvox/Nuvo Max/installer");
    oldInstaller.getChildFile ("old/setup.dat").create();
    auto installer = FakeInstaller::make (folder, "Nuvo Max Setup", 0);

    runCommandLineInstall (installer.getFullPathName(), status.makeCallback());

    EXPECT_FALSE (oldInstaller.exists());
    EXPECT_EQ (status.getWords(), juce::StringArray ("Installed"));
}

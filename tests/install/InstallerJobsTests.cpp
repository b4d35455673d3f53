#include <gtest/gtest.h>

#include "support/Printers.h"

#include "install/InstallerJobs.h"
#include "platform/CommandInterpreter.h"
#include "platform/InstallerSignature.h"
#include "platform/SpecialFolders.h"
#include "support/FakeInstaller.h"
#include "support/LogCapture.h"
#include "support/MessageLoop.h"
#include "support/StatusRecorder.h"
#include "support/TemporaryFolder.h"

TEST (InstallerCommands, AreTheCommandLinesOfTheInterpreter)
{
#if JUCE_WINDOWS
    // The interpreter by its full path in the system folder.
    auto cmd = "\"" + juce::File::getSpecialLocation (juce::File::windowsSystemDirectory).getFullPathName() +
               "\\cmd.exe\" /c ";
    const juce::String installer ("C:\\T\\x\\setup.exe");
    EXPECT_EQ (CommandInterpreter::startDetached (installer, "/S"), cmd + "start \"\" \"C:\\T\\x\\setup.exe\" /S");
    EXPECT_EQ (CommandInterpreter::startAndWait (installer, "/silent"),
               cmd + "start \"\" /wait \"C:\\T\\x\\setup.exe\" /silent");
    EXPECT_EQ (CommandInterpreter::removeFolder ("C:\\A\\Nuvo Max\\installer"),
               cmd + "rmdir /s /q \"C:\\A\\Nuvo Max\\installer\"");
    // Quoted as a whole as well, so that a path with blanks survives cmd.exe.
    EXPECT_EQ (CommandInterpreter::runAndWait ("C:\\T x\\setup.exe", "install --al -c"),
               cmd + "\"\"C:\\T x\\setup.exe\" install --al -c\"");
#else
    EXPECT_EQ (CommandInterpreter::startDetached ("/t/it's/setup.exe", "/S"),
               "nohup '/t/it'\\''s/setup.exe' /S >/dev/null 2>&1 &");
    EXPECT_EQ (CommandInterpreter::startAndWait ("/t x/setup.exe", "/silent"), "'/t x/setup.exe' /silent");
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

        // The name is UTF-8, with Chinese in it as a maker's may have.
        const juce::String testSigner = juce::String::fromUTF8 (QUENZ_TEST_SIGNER);

        // Windows: copies of the stand-in installer, signed and spoilt at test time
        // (see tests/support/sign-installers.sh); the prefix trusts their test CA.
        const juce::File signedCopies{ juce::SystemStats::getEnvironmentVariable ("QUENZ_SIGNED_INSTALLERS", {}) };
    };
}

TEST_F (JobFixture, QuietSwitchStartsTheInstallerAndReportsNothing)
{
    auto installer = FakeInstaller::make (folder, "Quenz Q2 Setup", 1);

    runQuietSwitch (installer.getFullPathName(), {}, status.makeCallback());

    EXPECT_EQ (FakeInstaller::waitForArguments (installer), "/S");
    EXPECT_TRUE (status.getWords().isEmpty());
}

TEST_F (JobFixture, SilentSwitchWaitsForTheInstallerAndReportsItsExitCode)
{
    const std::pair<int, const char*> cases[] = { { 0, "Installed" }, { 1, "Install error" } };

    for (auto& [exitCode, expected] : cases)
    {
        StatusRecorder caseStatus;
        auto installer = FakeInstaller::make (folder, "Echo Deck Setup", exitCode, false, true);
        auto record = installer.getSiblingFile (installer.getFileName() + ".ran");

        runSilentSwitch (installer.getFullPathName(), {}, caseStatus.makeCallback());

        EXPECT_TRUE (record.existsAsFile()) << "the word comes when the installer has ended, exit " << exitCode;
        EXPECT_EQ (caseStatus.getWords(), juce::StringArray (expected)) << exitCode;
        EXPECT_EQ (record.loadFileAsString().trim(), "/silent") << exitCode;
    }
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

        runCommandLineInstall (installer.getFullPathName(), {}, caseStatus.makeCallback());

        EXPECT_EQ (caseStatus.getWords(), juce::StringArray (c.expected)) << c.name;
        EXPECT_EQ (FakeInstaller::waitForArguments (installer), "install --al -c") << c.name;
    }
}

TEST_F (JobFixture, CommandLineInstallRemovesTheOldInstallerFolderFirst)
{
    auto oldInstaller = SpecialFolders::getRoamingAppDataFolder().getChildFile ("Brelvox/Nuvo Max/installer");
    oldInstaller.getChildFile ("old/setup.dat").create();
    auto installer = FakeInstaller::make (folder, "Nuvo Max Setup", 0);

#if ! JUCE_WINDOWS
    // This installer also notes whether the old folder was still there when it ran.
    installer.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$*\" > \"$0.ran\"\n"
                               "[ -e '" +
                                   oldInstaller.getFullPathName() +
                                   "' ] && echo old folder >> \"$0.ran\"\n"
                                   "exit 0\n",
                               false, false, "\n");
    installer.setExecutePermission (true);
#endif

    runCommandLineInstall (installer.getFullPathName(), {}, status.makeCallback());

    EXPECT_FALSE (oldInstaller.exists());
    EXPECT_EQ (status.getWords(), juce::StringArray ("Installed"));
    EXPECT_EQ (FakeInstaller::waitForArguments (installer), "install --al -c") << "and no old folder as it ran";
}

#if JUCE_WINDOWS
TEST_F (JobFixture, NeverRunsACommandInterpreterPlantedInTheCurrentFolder)
{
    auto planted = FakeInstaller::make (folder, "cmd", 0);
    auto installer = FakeInstaller::make (folder, "Nuvo Max Setup", 0);
    auto previousFolder = juce::File::getCurrentWorkingDirectory();
    folder.setAsCurrentWorkingDirectory();

    runCommandLineInstall (installer.getFullPathName(), {}, status.makeCallback());
    previousFolder.setAsCurrentWorkingDirectory();

    EXPECT_EQ (status.getWords(), juce::StringArray ("Installed"));
    EXPECT_EQ (FakeInstaller::waitForArguments (installer), "install --al -c");
    EXPECT_FALSE (planted.getSiblingFile ("cmd.exe.ran").exists());
}

TEST_F (JobFixture, EveryJobReportsAnInstallErrorWhenTheInterpreterCannotStart)
{
    // The interpreter is put aside in this run's own Wine prefix, and back after.
    auto interpreter = juce::File::getSpecialLocation (juce::File::windowsSystemDirectory).getChildFile ("cmd.exe");
    auto aside = interpreter.getSiblingFile ("cmd.exe.aside");
    auto installer = FakeInstaller::make (folder, "Setup", 0).getFullPathName();
    ASSERT_TRUE (interpreter.moveFileTo (aside));

    StatusRecorder quiet, silent, commandLine;
    runQuietSwitch (installer, {}, quiet.makeCallback());
    runSilentSwitch (installer, {}, silent.makeCallback());
    runCommandLineInstall (installer, {}, commandLine.makeCallback());

    ASSERT_TRUE (aside.moveFileTo (interpreter));
    EXPECT_EQ (quiet.getWords(), juce::StringArray ("Install error"));
    EXPECT_EQ (silent.getWords(), juce::StringArray ("Install error"));
    EXPECT_EQ (commandLine.getWords(), juce::StringArray ("Install error"));
}
#endif

#if JUCE_WINDOWS
TEST_F (JobFixture, StartsOnlyAnInstallerThatTheSignerSigned)
{
    struct Case
    {
        const char* file;
        juce::String signer;
        const char* expectedWord;
        const char* expectedLine;
    };

    const Case cases[] = {
        { "signed.exe", testSigner, "Installed", nullptr },
        { "tampered.exe", testSigner, "Install error", "bad digest" },
        { "unsigned.exe", testSigner, "Install error", "unsigned" },
        { "other-signer.exe", testSigner, "Install error", "other signer" },
        { "untrusted-ca.exe", testSigner, "Install error", "untrusted chain" },
        { "partial-chain.exe", testSigner, "Install error", "untrusted chain" },
        { "unsigned.exe", {}, "Installed", "<InstallerJobs> installer signatures not checked" },
    };

    runMessageLoopFor (100); // the lines of earlier jobs

    for (auto& c : cases)
    {
        LogCapture log;
        StatusRecorder caseStatus;
        auto installer = folder.getChildFile (juce::Uuid().toString()).getChildFile (c.file);
        installer.getParentDirectory().createDirectory();
        ASSERT_TRUE (signedCopies.getChildFile (c.file).copyFileTo (installer)) << c.file;

        runSilentSwitch (installer.getFullPathName(), c.signer, caseStatus.makeCallback());
        runMessageLoopFor (100);

        EXPECT_EQ (caseStatus.getWords(), juce::StringArray (c.expectedWord)) << c.file;
        EXPECT_EQ (installer.getSiblingFile (installer.getFileName() + ".ran").existsAsFile(),
                   juce::String (c.expectedWord) == "Installed")
            << c.file << ": started only when signed";

        if (c.expectedLine == nullptr)
            EXPECT_TRUE (log.getMessages().isEmpty()) << c.file;
        else if (c.signer.isEmpty())
            EXPECT_EQ (log.getMessages(), juce::StringArray (c.expectedLine)) << c.file;
        else
            EXPECT_EQ (log.getMessages(), juce::StringArray ("<InstallerJobs> not starting " +
                                                             installer.getFullPathName() + ": " + c.expectedLine))
                << c.file;
    }
}

TEST_F (JobFixture, HoldsTheCheckedInstallerAgainstChangeUntilTheJobLetsGo)
{
    auto installer = folder.getChildFile ("signed.exe");
    auto moved = folder.getChildFile ("moved.exe");
    folder.createDirectory();
    ASSERT_TRUE (signedCopies.getChildFile ("signed.exe").copyFileTo (installer));

    {
        InstallerSignature signature (installer, testSigner);
        EXPECT_EQ (signature.getVerdict(), InstallerSignature::Verdict::signedBySigner);

        EXPECT_EQ (juce::FileOutputStream (installer).openedOk(), false) << "no writing";
        EXPECT_FALSE (installer.moveFileTo (moved)) << "no renaming";
        EXPECT_FALSE (installer.deleteFile()) << "no deleting";
        EXPECT_TRUE (juce::FileInputStream (installer).openedOk()) << "reading stays open to all";
    }

    EXPECT_TRUE (installer.moveFileTo (moved)) << "free once the signature is gone";
}
#endif

TEST_F (JobFixture, EveryJobSaysOnceThatItStartsItsInstallerUnchecked)
{
    // Without a signer nothing is checked; Linux has no signatures to check at all.
    juce::StringArray signers{ juce::String() };
#if ! JUCE_WINDOWS
    signers.add (testSigner);
#endif

    using Job = void (*) (juce::String, juce::String, StatusCallback);
    const std::pair<const char*, Job> jobs[] = { { "quiet", runQuietSwitch },
                                                 { "silent", runSilentSwitch },
                                                 { "command line", runCommandLineInstall } };

    runMessageLoopFor (100); // the lines of earlier jobs

    for (auto& signer : signers)
    {
        for (auto& [name, job] : jobs)
        {
            LogCapture log;
            auto installer = FakeInstaller::make (folder.getChildFile (juce::Uuid().toString()), "Setup", 0);

            job (installer.getFullPathName(), signer, [] (juce::String) {});
            EXPECT_NE (FakeInstaller::waitForArguments (installer), "") << name << ": started";
            runMessageLoopFor (100);

            EXPECT_EQ (log.getMessages(), juce::StringArray ("<InstallerJobs> installer signatures not checked"))
                << name << ", signer \"" << signer << "\"";
        }
    }
}

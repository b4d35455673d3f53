#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Printers.h"

#include "install/InstallerJobs.h"
#include "platform/InstallerSignature.h"
#include "platform/SpecialFolders.h"
#include "support/FakeInstaller.h"
#include "support/LogCapture.h"
#include "support/MessageLoop.h"
#include "support/StatusRecorder.h"
#include "support/TemporaryFolder.h"

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

    runQuietSwitch (installer, folder, {}, status.makeCallback());

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

        runSilentSwitch (installer, folder, {}, caseStatus.makeCallback());

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

        runCommandLineInstall (installer, folder, {}, caseStatus.makeCallback());

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

    runCommandLineInstall (installer, folder, {}, status.makeCallback());

    EXPECT_FALSE (oldInstaller.exists());
    EXPECT_EQ (status.getWords(), juce::StringArray ("Installed"));
    EXPECT_EQ (FakeInstaller::waitForArguments (installer), "install --al -c") << "and no old folder as it ran";
}

TEST_F (JobFixture, StartsAnInstallerAsItIsNamedWhateverAnInterpreterWouldReadInTheName)
{
    // Each name, read by a command interpreter, would start the decoy instead (or nothing).
    struct Case
    {
        juce::String name, decoy;
    };

#if JUCE_WINDOWS
    auto architecture = juce::SystemStats::getEnvironmentVariable ("PROCESSOR_ARCHITECTURE", {});
    ASSERT_TRUE (architecture.isNotEmpty());

    const Case cases[] = {
        { "a%PROCESSOR_ARCHITECTURE%", "a" + architecture },
        { "b!PROCESSOR_ARCHITECTURE! ^c & d", "b" },
    };
#else
    const Case cases[] = {
        { "a$HOME", "a" },
        { "b`c` $(d) it's", "b" },
        { "e; f", "e" },
    };
#endif

    for (auto& c : cases)
    {
        auto caseFolder = folder.getChildFile (juce::Uuid().toString());
        auto installer = FakeInstaller::make (caseFolder, c.name, 0);
        auto decoy = FakeInstaller::make (caseFolder, c.decoy, 0);
        StatusRecorder caseStatus;

        runSilentSwitch (installer, caseFolder, {}, caseStatus.makeCallback());

        EXPECT_EQ (caseStatus.getWords(), juce::StringArray ("Installed")) << c.name;
        EXPECT_EQ (FakeInstaller::waitForArguments (installer), "/silent") << c.name;
        EXPECT_FALSE (decoy.getSiblingFile (decoy.getFileName() + ".ran").exists()) << c.name;
    }
}

TEST_F (JobFixture, StartsTheInstallerInItsFolderWithTheWorkFolderForItsTemporaryFiles)
{
    auto installer = FakeInstaller::make (folder.getChildFile ("unpacked"), "Echo Deck Setup", 0);

#if JUCE_WINDOWS
    // A variable of the user's, such as one that names a profiler to load, does not reach it.
    _putenv ("QUENZ_PLANTED=C:\\planted.dll");
#endif

    runSilentSwitch (installer, folder, {}, status.makeCallback());

    EXPECT_EQ (status.getWords(), juce::StringArray ("Installed"));
#if JUCE_WINDOWS
    _putenv ("QUENZ_PLANTED=");
    juce::StringArray expected ("TEMP=" + folder.getFullPathName(), "TMP=" + folder.getFullPathName(),
                                "folder=" + installer.getParentDirectory().getFullPathName(), "QUENZ_PLANTED=");
#else
    juce::StringArray expected ("TMPDIR=" + folder.getFullPathName(),
                                "folder=" + installer.getParentDirectory().getFullPathName());
#endif

    EXPECT_EQ (FakeInstaller::readEnvironment (installer), expected);
}

TEST_F (JobFixture, EveryJobReportsAnInstallErrorWhenTheInstallerCannotStart)
{
    auto missing = folder.getChildFile ("missing.exe");

    StatusRecorder quiet, silent, commandLine;
    runQuietSwitch (missing, folder, {}, quiet.makeCallback());
    runSilentSwitch (missing, folder, {}, silent.makeCallback());
    runCommandLineInstall (missing, folder, {}, commandLine.makeCallback());

    EXPECT_EQ (quiet.getWords(), juce::StringArray ("Install error"));
    EXPECT_EQ (silent.getWords(), juce::StringArray ("Install error"));
    EXPECT_EQ (commandLine.getWords(), juce::StringArray ("Install error"));
}

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
        { "user-root.exe", testSigner, "Install error", "untrusted chain" },
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

        runSilentSwitch (installer, installer.getParentDirectory(), c.signer, caseStatus.makeCallback());
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

TEST_F (JobFixture, StartsNothingBesideAProgramInTheWorkFolderThatTheSignerDidNotSign)
{
    struct Case
    {
        const char* name;
        const char* copy;
        const char* as;
        const char* expectedWord;
        const char* expectedReason;
    };

    // Any file that begins as a program does counts, whatever its name says.
    const Case cases[] = {
        { "a signed helper", "signed.exe", "unpacked/helper.dll", "Installed", nullptr },
        { "an unsigned library beside the set-up", "unsigned.exe", "unpacked/version.dll", "Install error",
          "unsigned" },
        { "an altered program deeper down", "tampered.exe", "unpacked/drivers/x64/tool.sys", "Install error",
          "bad digest" },
        { "another signer's program named as text", "other-signer.exe", "readme.txt", "Install error", "other signer" },
    };

    runMessageLoopFor (100); // the lines of earlier jobs

    for (auto& c : cases)
    {
        LogCapture log;
        StatusRecorder caseStatus;
        auto workFolder = folder.getChildFile (juce::Uuid().toString());
        auto installer = workFolder.getChildFile ("unpacked/setup.exe");
        auto other = workFolder.getChildFile (c.as);
        ASSERT_TRUE (installer.getParentDirectory().createDirectory() && other.getParentDirectory().createDirectory());
        ASSERT_TRUE (signedCopies.getChildFile ("signed.exe").copyFileTo (installer));
        ASSERT_TRUE (signedCopies.getChildFile (c.copy).copyFileTo (other));
        workFolder.getChildFile ("setup.zip").replaceWithText ("PK, not a program");

        runSilentSwitch (installer, workFolder, testSigner, caseStatus.makeCallback());
        runMessageLoopFor (100);

        EXPECT_EQ (caseStatus.getWords(), juce::StringArray (c.expectedWord)) << c.name;
        EXPECT_EQ (installer.getSiblingFile ("setup.exe.ran").existsAsFile(), c.expectedReason == nullptr) << c.name;

        if (c.expectedReason != nullptr)
            EXPECT_EQ (log.getMessages(),
                       juce::StringArray ("<InstallerJobs> not starting " + installer.getFullPathName() + ": " +
                                          c.expectedReason + " (" + other.getFullPathName() + ")"))
                << c.name;
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

    using Job = void (*) (juce::File, juce::File, juce::String, StatusCallback, std::shared_ptr<ProcessTree>);
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

            job (
                installer, installer.getParentDirectory(), signer, [] (juce::String) {},
                std::make_shared<ProcessTree>());
            EXPECT_NE (FakeInstaller::waitForArguments (installer), "") << name << ": started";
            runMessageLoopFor (100);

            EXPECT_EQ (log.getMessages(), juce::StringArray ("<InstallerJobs> installer signatures not checked"))
                << name << ", signer \"" << signer << "\"";
        }
    }
}

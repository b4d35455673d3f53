#include <gtest/gtest.h>

#include "install/InstallerArchive.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

#if ! JUCE_WINDOWS
#include <unistd.h>
#endif

namespace
{
    struct ArchiveFixture : public testing::Test
    {
        juce::File copyArchive (const juce::String& name, const juce::String& downloadedName)
        {
            auto archive = temporary.getFolder().getChildFile ("download").getChildFile (downloadedName);
            archive.getParentDirectory().createDirectory();
            juce::File (QUENZ_TEST_DATA_DIR).getChildFile ("archives").getChildFile (name).copyFileTo (archive);
            return archive;
        }

        TemporaryFolder temporary;
        LogCapture log;
    };

    const juce::String decompressionFailed ("<handleDownloadResult> decompression failed!");
}

TEST_F (ArchiveFixture, UnpacksBesideTheArchiveAndFindsTheInstaller)
{
    auto archive = copyArchive ("one-installer.zip", "Quenz Driver.zip");

    auto installer = InstallerArchive::unpack (archive);

    EXPECT_EQ (installer, archive.getSiblingFile ("Quenz Driver").getChildFile ("Setup.exe"));
    EXPECT_TRUE (archive.getSiblingFile ("Quenz Driver").getChildFile ("readme.txt").existsAsFile());
    EXPECT_FALSE (log.getMessages().contains (decompressionFailed));
#if ! JUCE_WINDOWS
    EXPECT_EQ (access (installer.getFullPathName().toRawUTF8(), X_OK), 0) << "the archive's mode bits are kept";
#endif
}

TEST_F (ArchiveFixture, TakesTheFirstOfTwoInstallersAsTheListingGivesThem)
{
    auto archive = copyArchive ("two-installers.zip", "Two.zip");

    auto installer = InstallerArchive::unpack (archive);

    EXPECT_EQ (installer, archive.getSiblingFile ("Two").findChildFiles (juce::File::findFiles, false, "*.exe")[0]);
}

TEST_F (ArchiveFixture, GivesNoInstallerWhenNoneLiesAtTheTop)
{
    struct Case
    {
        const char* name;
        const char* archive;
    };
    const Case cases[] = { { "installer only in a subfolder", "nested-installer.zip" },
                           { "not an archive at all", "../pictures/q2.png" } };

    for (auto& c : cases)
    {
        LogCapture caseLog;
        auto archive = copyArchive (c.archive, "Setup.zip");

        EXPECT_EQ (InstallerArchive::unpack (archive), juce::File()) << c.name;
        EXPECT_TRUE (caseLog.getMessages().contains (decompressionFailed)) << c.name;
        EXPECT_TRUE (caseLog.getMessages()[0].startsWith ("<handleDownloadResult> Detected ZIP file: ")) << c.name;
    }
}

TEST_F (ArchiveFixture, GivesNoInstallerFromAnArchiveWithAnEntryOutsideItsFolder)
{
    auto archive = copyArchive ("zip-slip.zip", "Slip.zip");

    auto installer = InstallerArchive::unpack (archive);

    auto folder = archive.getSiblingFile ("Slip");
    EXPECT_EQ (installer, juce::File()) << "not even the program unpacked before the refused entry";
    EXPECT_TRUE (log.getMessages().contains (decompressionFailed));
    EXPECT_FALSE (archive.getParentDirectory().getChildFile ("escaped.exe").exists());
    EXPECT_FALSE (folder.getChildFile ("after.txt").exists()) << "unpacking stops at the refused entry";
}

TEST_F (ArchiveFixture, UnpacksNothingThatNoInstallerArchiveHolds)
{
    struct Case
    {
        const char* name;
        const char* archive;
    };
    const Case cases[] = { { "a link to a program elsewhere", "link.zip" },
                           { "an entry larger than it declares", "understated.zip" },
                           { "an entry that declares 4 GiB", "overstated.zip" } };

    for (auto& c : cases)
    {
        LogCapture caseLog;
        auto archive = copyArchive (c.archive, "Setup.zip");

        EXPECT_EQ (InstallerArchive::unpack (archive), juce::File()) << c.name;
        EXPECT_FALSE (archive.getSiblingFile ("Setup").getChildFile ("Setup.exe").exists()) << c.name;
        EXPECT_TRUE (caseLog.getMessages().contains (decompressionFailed)) << c.name;
        archive.getSiblingFile ("Setup").deleteRecursively();
    }
}

TEST_F (ArchiveFixture, UnpacksNothingFromAnArchiveOfTooManyEntries)
{
    juce::ZipFile::Builder builder;

    for (int i = 0; i <= 4096; ++i)
        builder.addEntry (new juce::MemoryInputStream (nullptr, 0, false), 0, juce::String (i) + ".exe",
                          juce::Time::getCurrentTime());

    auto archive = temporary.getFolder().getChildFile ("Many.zip");
    {
        juce::FileOutputStream output (archive);
        builder.writeToStream (output, nullptr);
    }

    EXPECT_EQ (InstallerArchive::unpack (archive), juce::File());
    EXPECT_EQ (archive.getSiblingFile ("Many").getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
}

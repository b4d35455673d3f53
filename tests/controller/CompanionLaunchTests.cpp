#include <gtest/gtest.h>

#include "controller/CompanionLaunch.h"
#include "platform/SpecialFolders.h"

namespace
{
    // Places an executable under a base folder and takes it away again at the end.
    struct PlacedFile
    {
        PlacedFile (const juce::File& base, const juce::String& relativePath) : file (base.getChildFile (relativePath))
        {
            file.create();
        }

        ~PlacedFile() { file.getParentDirectory().deleteRecursively(); }

        juce::File file;
    };
}

TEST (CompanionLaunch, LooksUnderTheProgramFoldersBeforeTheUsersData)
{
    struct Case
    {
        const char* softwareName;
        const char* relativePath;
    };

    const Case cases[] = {
        { "Tuneway 4", "Brelvox/Tuneway/Tuneway.exe" },
        { "Echo Deck", "Brelvox/Echo Deck/Echo-Deck.exe" },
        { "Nuvo", "Brelvox/Nuvo/Nuvo.exe" },
    };

    const auto programFiles = SpecialFolders::getProgramFilesFolder();
    const auto programFilesX86 = SpecialFolders::getProgramFilesX86Folder();
    const auto roamingData = SpecialFolders::getRoamingAppDataFolder();

    for (auto& c : cases)
    {
        auto inRoamingData = roamingData.getChildFile (c.relativePath);
        EXPECT_EQ (CompanionLaunch::findExecutable (c.softwareName), inRoamingData) << c.softwareName << ": nowhere";
        EXPECT_FALSE (inRoamingData.exists());

        PlacedFile roaming (roamingData, c.relativePath);
        EXPECT_EQ (CompanionLaunch::findExecutable (c.softwareName), roaming.file) << c.softwareName;

        PlacedFile x86 (programFilesX86, c.relativePath);
        EXPECT_EQ (CompanionLaunch::findExecutable (c.softwareName), x86.file) << c.softwareName;

        PlacedFile first (programFiles, c.relativePath);
        EXPECT_EQ (CompanionLaunch::findExecutable (c.softwareName), first.file) << c.softwareName;
    }
}

TEST (CompanionLaunch, TakesAFolderOfTheExecutablesNameForNothing)
{
    auto candidate = SpecialFolders::getProgramFilesFolder().getChildFile ("Brelvox/Nuvo/Nuvo.exe");
    candidate.createDirectory();

    EXPECT_EQ (CompanionLaunch::findExecutable ("Nuvo"),
               SpecialFolders::getRoamingAppDataFolder().getChildFile ("Brelvox/Nuvo/Nuvo.exe"));

    candidate.getParentDirectory().deleteRecursively();
}

#if JUCE_WINDOWS
TEST (CompanionLaunch, FindsA64BitCompanionInTheNativeProgramFolder)
{
    if (! juce::SystemStats::isOperatingSystem64Bit())
        GTEST_SKIP() << "32-bit Windows has one program folder";

    // A 32-bit process is shown "Program Files (x86)" for both of the system's
    // program-files folders.
    const juce::File nativeProgramFiles ("C:\\Program Files");
    EXPECT_EQ (SpecialFolders::getProgramFilesFolder(), nativeProgramFiles);

    PlacedFile companion (nativeProgramFiles, "Brelvox/Tuneway/Tuneway.exe");
    EXPECT_EQ (CompanionLaunch::findExecutable ("Tuneway 4"), companion.file);
}
#endif

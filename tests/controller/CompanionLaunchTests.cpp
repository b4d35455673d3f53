#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Printers.h"

#include "controller/CompanionLaunch.h"
#include "platform/SpecialFolders.h"
#include "platform/UserProcess.h"
#include "support/FakeInstaller.h"
#include "support/MessageLoop.h"
#include "support/TemporaryFolder.h"
#include "ui/PanelTexts.h"

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

#if JUCE_LINUX
namespace
{
    juce::AlertWindow* findQuestion()
    {
        for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
                return alert;

        return nullptr;
    }

    juce::Array<juce::TextButton*> getButtons (juce::Component& window)
    {
        juce::Array<juce::TextButton*> buttons;

        for (auto* child : window.getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child))
                buttons.add (button);

        return buttons;
    }
}

// Runs on a display of its own: ctest -R companion_question.
TEST (CompanionQuestion, AsksInTheRequestsLanguageAndStartsTheCompanionOnTheFirstButtonOnly)
{
    if (std::getenv ("DISPLAY") == nullptr)
        GTEST_SKIP() << "runs on a display of its own: ctest -R companion_question";

    struct Case
    {
        const char* language;
        juce::String message, yes, no;
    };

    const Case cases[] = {
        { "en", "Tuneway 4 is ready!\n\nDo you want to launch it?", "Yes", "No" },
        { "cn", "Tuneway 4" + PanelTexts::fromUtf16 (u" 已就绪！\n\n是否直接打开？"), PanelTexts::fromUtf16 (u"是"),
          PanelTexts::fromUtf16 (u"否") },
    };

    // A stand-in companion that notes that it was started.
    PlacedFile companion (SpecialFolders::getRoamingAppDataFolder(), "Brelvox/Tuneway/Tuneway.exe");
    auto started = companion.file.getSiblingFile ("started");
    companion.file.replaceWithText ("#!/bin/sh\ntouch '" + started.getFullPathName() + "'\n", false, false, "\n");
    companion.file.setExecutePermission (true);

    for (auto& c : cases)
    {
        for (int buttonIndex : { 0, 1 })
        {
            started.deleteFile();

            InstallRequest request;
            request.softwareName = "Tuneway 4";
            request.language = c.language;
            CompanionLaunch::offer (request, nullptr);

            auto* question = findQuestion();
            ASSERT_NE (question, nullptr) << c.language;
            EXPECT_TRUE (question->isCurrentlyModal()) << c.language;
            EXPECT_TRUE (question->getDescription().endsWith (c.message))
                << c.language << ": " << question->getDescription();

            auto buttons = getButtons (*question);
            ASSERT_EQ (buttons.size(), 2) << c.language;
            EXPECT_EQ (buttons[0]->getButtonText(), c.yes) << c.language;
            EXPECT_EQ (buttons[1]->getButtonText(), c.no) << c.language;

            buttons[buttonIndex]->triggerClick();
            EXPECT_TRUE (runMessageLoopUntil ([] { return findQuestion() == nullptr; }, 5000)) << c.language;

            if (buttonIndex == 0)
                EXPECT_TRUE (runMessageLoopUntil ([&started] { return started.existsAsFile(); }, 5000))
                    << c.language << ": the first button starts the companion";
            else
                EXPECT_FALSE (runMessageLoopUntil ([&started] { return started.existsAsFile(); }, 1000))
                    << c.language << ": the second does not";
        }
    }
}
#endif

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

#if JUCE_WINDOWS
TEST (CompanionLaunch, StartsNothingWhenItCannotTakeTheSignedInUsersRights)
{
    // Wine's desktop has no shell window whose rights the companion could take:
    // then nothing starts, rather than a companion with this program's rights.
    TemporaryFolder temporary;
    auto companion = FakeInstaller::make (temporary.getFolder(), "Tuneway", 0);

    EXPECT_FALSE (UserProcess::startAsSignedInUser (companion));

    juce::Thread::sleep (2000);
    EXPECT_FALSE (companion.getSiblingFile (companion.getFileName() + ".ran").exists());
}
#endif

#include <gtest/gtest.h>

#include "support/Printers.h"

#include "install/DownloadMonitor.h"
#include "support/LogCapture.h"
#include "support/MakerServer.h"
#include "support/MessageLoop.h"
#include "support/StatusRecorder.h"
#include "support/TemporaryFolder.h"

#include <optional>

// The whole road from the download to the installer's outcome, with the real
// user32 dialogs of the stand-in driver set-up (tools/fake-driver-setup) and the
// stand-in installers (tools/fake-installer), each checked and started as the
// program does.

namespace
{
    juce::File toolFromEnvironment (const char* variable)
    {
        return juce::File (juce::SystemStats::getEnvironmentVariable (variable, {}));
    }

    // Publishes a ZIP archive holding the program under the name given, and as
    // many signed helper programs as asked for; returns its address.
    juce::String publishArchive (const juce::File& program, const juce::String& nameInArchive, int helpers = 0)
    {
        juce::ZipFile::Builder builder;
        builder.addFile (program, 9, nameInArchive);

        for (int i = 0; i < helpers; ++i)
            builder.addFile (toolFromEnvironment ("QUENZ_FAKE_INSTALLER"), 9,
                             "helpers/helper" + juce::String (i) + ".dll");

        juce::MemoryOutputStream archive;
        builder.writeToStream (archive, nullptr);

        auto path = juce::Uuid().toString() + "/Quenz Driver.zip";
        return MakerServer::publish (path, archive.getMemoryBlock()).replace (" ", "%20");
    }

    struct RoadFixture : public testing::Test
    {
        // Runs one install of the product until it has reported two final words.
        juce::StringArray install (const juce::String& url, const juce::String& softwareName, StatusRecorder& status,
                                   const juce::String& product = "Quenz Q2", DialogLimits limits = {})
        {
            // Each install gets a download folder of its own, as each click does.
            auto folder = temporary.getFolder().getChildFile (juce::Uuid().toString());
            folder.createDirectory();

            InstallRequest request;
            request.product = product;
            request.softwareName = softwareName;
            request.area = "cn";
            request.language = "cn";
            request.url = url;

            auto* monitor =
                DownloadMonitor::start (request, folder, status.makeCallback(), DialogWindows::createForThisSystem(),
                                        DownloadMonitor::getBuildSigner(), limits);
            auto processes = monitor->getInstallerProcesses();
            lastFolder = folder;

            // Between the download's end and the installer's start, the window's
            // close must keep the folder for the installer that is about to run.
            runMessageLoopUntil (
                [&]
                {
                    if (status.getWords().contains ("Downloaded") && ! processes->hasStarted())
                        countedAsRunningBeforeStart =
                            processes->isRunning() && countedAsRunningBeforeStart.value_or (true);

                    return status.getFinalWords().size() >= 2;
                },
                90000);
            runMessageLoopFor (200);
            return status.getFinalWords();
        }

        // Waits a few seconds for the product's set-up dialogs to go.
        static bool dialogsHaveGone (const juce::String& product = "Quenz Q2")
        {
            return runMessageLoopUntil ([&product] { return findDialog (product) == nullptr; }, 10000);
        }

        // The first set-up dialog of the product on the screen, of any program.
        static DialogWindows::Handle findDialog (const juce::String& product, const ProcessTree* shownBy = nullptr)
        {
            auto windows = DialogWindows::createForThisSystem();

            for (auto& dialog : windows->listDialogs())
                if (dialog.title.contains (product) &&
                    (shownBy == nullptr || windows->isShownBy (dialog.handle, *shownBy)))
                    return dialog.handle;

            return nullptr;
        }

        // Presses the button of the dialog, as a person would; false if it has none.
        static bool press (DialogWindows::Handle dialog, const juce::String& button)
        {
            auto windows = DialogWindows::createForThisSystem();
            auto handle = dialog != nullptr ? windows->findChild (dialog, "Button", button) : nullptr;

            return handle != nullptr && windows->press (handle, nullptr);
        }

        TemporaryFolder temporary;
        juce::File lastFolder;
        std::optional<bool> countedAsRunningBeforeStart;
        LogCapture log;
    };
}

TEST_F (RoadFixture, DrivesTheDriverSetupThroughItsPages)
{
    struct Case
    {
        const char* ending;
        const char* expectedWord;
        const char* lastClickLog;
    };

    const Case cases[] = {
        { "exit", "Installed", "<DownloadMonitor::analyseWindow> clicked exit button" },
        // A press that lands a second time lands on the installing page's Cancel.
        { "exit busy", "Installed", "<DownloadMonitor::analyseWindow> clicked exit button" },
        { "reboot", "Installed", "<DownloadMonitor::analyseWindow> clicked not reboot button" },
        { "fail", "Software exist", "<DownloadMonitor::analyseWindow> clicked Install button" },
        { "fail late", "Software exist", "<DownloadMonitor::analyseWindow> clicked Install button" },
    };

    for (auto& c : cases)
    {
        StatusRecorder caseStatus;
        LogCapture caseLog;
        auto url = publishArchive (toolFromEnvironment ("QUENZ_FAKE_DRIVER_SETUP"),
                                   "Quenz Q2 Setup - " + juce::String (c.ending) + ".exe");

        EXPECT_EQ (install (url, "Nuvo", caseStatus), juce::StringArray ("Downloaded", c.expectedWord)) << c.ending;

        // The last press is logged once the set-up has handled it, as its dialog goes.
        EXPECT_TRUE (dialogsHaveGone()) << c.ending << ": the set-up was left on the screen";
        runMessageLoopFor (100);

        auto messages = caseLog.getMessages();
        EXPECT_TRUE (messages.contains ("<DownloadMonitor::analyseWindow> clicked OK button")) << c.ending;
        EXPECT_EQ (
            std::count (messages.begin(), messages.end(), "<DownloadMonitor::analyseWindow> clicked Install button"), 1)
            << c.ending;
        EXPECT_TRUE (messages.contains (c.lastClickLog)) << c.ending;

        auto setup = lastFolder.getChildFile ("Quenz%20Driver")
                         .getChildFile ("Quenz Q2 Setup - " + juce::String (c.ending) + ".exe");
        EXPECT_EQ (setup.getSiblingFile (setup.getFileName() + ".ran").loadFileAsString().trim(), "/S") << c.ending;
    }
}

TEST_F (RoadFixture, ReportsAnInstallErrorWhenNoSetupDialogShows)
{
    auto url = publishArchive (toolFromEnvironment ("QUENZ_FAKE_INSTALLER"), "Quenz Q2 Tool.exe");
    StatusRecorder status;

    EXPECT_EQ (install (url, "Nuvo", status, "Quenz Q2", { 3000, DialogLimits().wholeRoad }),
               juce::StringArray ("Downloaded", "Install error"));
    EXPECT_TRUE (log.getMessages().contains ("<DownloadMonitor::timerCallback> time out"));
}

TEST_F (RoadFixture, EchoDeckReportsTheExitCodeOfItsSilentStart)
{
    StatusRecorder started, notStarted;

    auto startable = publishArchive (toolFromEnvironment ("QUENZ_FAKE_INSTALLER"), "Echo Deck Setup.exe");
    EXPECT_EQ (install (startable, "Echo Deck", started), juce::StringArray ("Downloaded", "Installed"));

    // An archive without an installer is handed on as it is, and cmd.exe cannot start it.
    auto notStartable = MakerServer::publish (juce::Uuid().toString() + "/EchoDeck.zip", juce::String ("no archive"));
    EXPECT_EQ (install (notStartable, "Echo Deck", notStarted), juce::StringArray ("Downloaded", "Install error"));
}

TEST_F (RoadFixture, FindsASetupWhoseTitleAndProductAreNotAscii)
{
    const auto product = juce::String::fromUTF8 ("\xe6\x98\x9f\xe8\xbe\xb0 Q2");
    auto url = publishArchive (toolFromEnvironment ("QUENZ_FAKE_DRIVER_SETUP"),
                               product + juce::String::fromUTF8 (" \xe5\xae\x89\xe8\xa3\x85 - exit.exe"));
    StatusRecorder status;

    EXPECT_EQ (install (url, "Nuvo", status, product), juce::StringArray ("Downloaded", "Installed"));
    EXPECT_TRUE (log.getMessages().contains ("<DownloadMonitor::analyseWindow> clicked exit button"));
}

TEST_F (RoadFixture, GoesOnWhileTheSetupWindowStopsAnswering)
{
    // Counts on the message thread: a gap shows how long the program's window
    // could not repaint.
    struct Heartbeat : public juce::Timer
    {
        Heartbeat() { startTimer (100); }
        ~Heartbeat() override { stopTimer(); }

        void timerCallback() override
        {
            auto now = juce::Time::getMillisecondCounter();
            longestGap = juce::jmax (longestGap, now - last);
            last = now;
        }

        juce::uint32 last = juce::Time::getMillisecondCounter(), longestGap = 0;
    };

    auto url = publishArchive (toolFromEnvironment ("QUENZ_FAKE_DRIVER_SETUP"), "Quenz Q2 Setup - reboot hang.exe");
    StatusRecorder status;
    Heartbeat heartbeat;

    EXPECT_EQ (install (url, "Nuvo", status), juce::StringArray ("Downloaded", "Installed"));
    EXPECT_LT (heartbeat.longestGap, 5000u) << "the set-up stops answering for ten seconds";
}

TEST_F (RoadFixture, CountsTheTimeOutFromTheInstallersStart)
{
    // Checking the programs takes seconds, longer than the time-out; the set-up
    // then shows its dialog at once.
    auto url = publishArchive (toolFromEnvironment ("QUENZ_FAKE_DRIVER_SETUP"), "Quenz Q2 Setup - exit.exe", 200);
    StatusRecorder status;

    EXPECT_EQ (install (url, "Nuvo", status, "Quenz Q2", { 2000, DialogLimits().wholeRoad }),
               juce::StringArray ("Downloaded", "Installed"));
    EXPECT_EQ (countedAsRunningBeforeStart, std::optional<bool> (true))
        << "while its job checks it, the installer counts as running";
    EXPECT_TRUE (dialogsHaveGone());
}

TEST_F (RoadFixture, EndsASetupThatNeverFinishesAtTheBoundOfTheWholeRoad)
{
    auto url = publishArchive (toolFromEnvironment ("QUENZ_FAKE_DRIVER_SETUP"), "Quenz Q2 Setup - exit forever.exe");
    StatusRecorder status;

    EXPECT_EQ (install (url, "Nuvo", status, "Quenz Q2", { DialogLimits().dialogTimeOut, 15000 }),
               juce::StringArray ("Downloaded", "Install error"));
    EXPECT_TRUE (
        log.getMessages().contains ("<DownloadMonitor::timerCallback> no end of the set-up within 15 seconds"));

    EXPECT_TRUE (press (findDialog ("Quenz Q2"), "Cancel"));
    EXPECT_TRUE (dialogsHaveGone());
}

TEST_F (RoadFixture, DrivesOnlyTheSetupThatItStartedThoughAnotherProgramShowsOneLikeIt)
{
    // The look-alike is on the screen first; the set-up shows its dialog three seconds after its start.
    auto lookAlike = temporary.getFolder().getChildFile ("look-alike").getChildFile ("Quenz Q2 Setup - exit.exe");
    lookAlike.getParentDirectory().createDirectory();
    ASSERT_TRUE (toolFromEnvironment ("QUENZ_FAKE_DRIVER_SETUP").copyFileTo (lookAlike));
    ProcessTree lookAlikeProcesses;
    ASSERT_TRUE (lookAlikeProcesses.start (lookAlike, {}, lookAlike.getParentDirectory()));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return findDialog ("Quenz Q2", &lookAlikeProcesses) != nullptr; }));

    auto url = publishArchive (toolFromEnvironment ("QUENZ_FAKE_DRIVER_SETUP"), "Quenz Q2 Setup - exit delay.exe");
    StatusRecorder status;

    EXPECT_EQ (install (url, "Nuvo", status), juce::StringArray ("Downloaded", "Installed"));

    auto stillWaiting = findDialog ("Quenz Q2", &lookAlikeProcesses);
    ASSERT_NE (stillWaiting, nullptr);
    EXPECT_NE (DialogWindows::createForThisSystem()->findChild (stillWaiting, "Button", "OK"), nullptr)
        << "the look-alike was pressed";

    EXPECT_TRUE (press (stillWaiting, "OK"));
    EXPECT_TRUE (runMessageLoopUntil ([&] { return press (findDialog ("Quenz Q2", &lookAlikeProcesses), "Cancel"); }));
    EXPECT_TRUE (dialogsHaveGone());
}

#include "DownloadMonitor.h"

#include "InstallerArchive.h"

namespace
{
    juce::OwnedArray<DownloadMonitor>& getLiveMonitors()
    {
        static juce::OwnedArray<DownloadMonitor> liveMonitors;
        return liveMonitors;
    }

    // Set once the program has begun to end.
    bool monitorsCancelled = false;

    constexpr int tickMilliseconds = 500;

    // Another program may show any number of look-alike windows; so many are named in the log.
    constexpr int maxLoggedOtherDialogs = 8;

    // A window title as a log line may show it: without line breaks or other
    // control characters, which would let another program write lines of its own.
    juce::String withoutControls (const juce::String& title)
    {
        juce::String printable;

        for (auto character : title)
            if (character >= 0x20 && ! (character >= 0x7f && character < 0xa0) && character != 0x2028 &&
                character != 0x2029)
                printable += juce::String::charToString (character);

        return printable;
    }

    // How long a failed page may show without its Exit button before it counts as
    // one that has none.
    constexpr int exitButtonWaitTicks = 4;

    struct DialogPage
    {
        // Recognised by a Static child with this text (if any) and a Button child with this text (if any).
        const char* staticText;
        const char* buttonText;
        const char* logLine;
        bool reportsInstalled;
    };

    // The driver set-up's pages, tested in this order; the failed page comes last, by its own rule.
    const DialogPage dialogPages[] = {
        { "Please choose your language below:", "OK", "<DownloadMonitor::analyseWindow> clicked OK button", false },
        { nullptr, "INSTALL", "<DownloadMonitor::analyseWindow> clicked Install button", false },
        { "Installing USB drivers.", nullptr, nullptr, false },
        { nullptr, "Reboot later", "<DownloadMonitor::analyseWindow> clicked not reboot button", true },
        { "The installation completed successfully. It's not necessary to reboot.", "E&xit",
          "<DownloadMonitor::analyseWindow> clicked exit button", true },
    };
}

//==============================================================================
DownloadMonitor* DownloadMonitor::start (InstallRequest selection, juce::File tmpDir, StatusCallback callback,
                                         std::unique_ptr<DialogWindows> windows, juce::String signer,
                                         DialogLimits limits)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (monitorsCancelled)
        return nullptr;

    return getLiveMonitors().add (new DownloadMonitor (std::move (selection), std::move (tmpDir), std::move (callback),
                                                       std::move (windows), std::move (signer), limits));
}

juce::String DownloadMonitor::getBuildSigner() { return juce::String::fromUTF8 (QUENZ_INSTALLER_SIGNER); }

DownloadMonitor::DownloadMonitor (InstallRequest selectionToUse, juce::File tmpDir, StatusCallback callback,
                                  std::unique_ptr<DialogWindows> windows, juce::String signer, DialogLimits limitsToUse)
    : selection (std::move (selectionToUse)), url (selection.url), workFolder (tmpDir), _tmpDir (std::move (tmpDir)),
      statusCallback (std::move (callback)), dialogWindows (std::move (windows)), installerSigner (std::move (signer)),
      limits (limitsToUse)
{
    auto fileName = FileDownload::getLocalFileName (url);
    juce::Logger::writeToLog ("<DownloadMonitor> Download: " + selection.url);

    if (fileName.isEmpty())
    {
        // Reported as a download error on the first tick.
        juce::Logger::writeToLog ("<DownloadMonitor> no usable file name in the address");
    }
    else
    {
        _tmpDir = _tmpDir.getChildFile (fileName);
        downloadTask = std::make_unique<FileDownload> (url, _tmpDir);
        juce::Logger::writeToLog ("<DownloadMonitor> _tmpDir: " + _tmpDir.getFullPathName());
    }

    startTimer (tickMilliseconds);
}

DownloadMonitor::~DownloadMonitor() { stopTimer(); }

//==============================================================================
void DownloadMonitor::timerCallback()
{
    ++tickCount;

    if (resultHandled)
    {
        driveInstallerDialog();
    }
    else if (downloadTask == nullptr)
    {
        statusCallback ("Download error");
        stop();
    }
    else if (downloadTask->isFinished())
    {
        // The error flag is set before the finished flag, so it is read second.
        if (downloadTask->hadError())
        {
            statusCallback ("Download error");
            stop();
        }
        else
        {
            handleDownloadResult (statusCallback);
            resultHandled = true;
            tickCount = 0;
        }
    }
    else if (downloadTask->getMillisecondsSinceLastByte() >= (juce::uint32) stallMilliseconds)
    {
        reportStall();
    }
    else
    {
        reportProgress();
    }
}

void DownloadMonitor::stop()
{
    if (! isTimerRunning())
        return;

    stopTimer();

    // Installer jobs hold copies of what they need; nothing else refers to a monitor.
    juce::MessageManager::callAsync ([this] { getLiveMonitors().removeObject (this); });
}

void DownloadMonitor::cancelAll()
{
    JUCE_ASSERT_MESSAGE_THREAD

    monitorsCancelled = true;
    getLiveMonitors().clear();

    // A cancelled transfer ends within a second or so, and removes what it wrote;
    // one that the system keeps blocked is not waited for longer than this.
    FileDownload::waitForAllToEnd (3000);
}

int DownloadMonitor::getNumLiveMonitors() { return getLiveMonitors().size(); }

//==============================================================================
juce::String DownloadMonitor::formatSpeed (juce::int64 bytesPerSecond)
{
    constexpr juce::int64 kilo = 1024, mega = 1024 * 1024;

    if (bytesPerSecond >= mega)
        return juce::String (bytesPerSecond / mega) + "MB/s";

    if (bytesPerSecond >= kilo)
        return juce::String (bytesPerSecond / kilo) + "KB/s";

    return juce::String (bytesPerSecond) + "B/s";
}

juce::String DownloadMonitor::formatPercentage (juce::int64 downloaded, juce::int64 totalLength)
{
    auto percentage = totalLength > 0 ? juce::jmin (100.0, (double) downloaded / (double) totalLength * 100.0) : 0.0;
    return juce::String::formatted ("%.1f%%", percentage);
}

void DownloadMonitor::reportProgress()
{
    startTimer (tickMilliseconds);

    auto downloaded = downloadTask->getLengthDownloaded();
    auto speed = (downloaded - lastDownloaded) * 2;
    lastDownloaded = downloaded;

    auto speedText = formatSpeed (speed);
    auto percentageText = formatPercentage (downloaded, downloadTask->getTotalLength());

    juce::Logger::writeToLog ("Downloading: " + percentageText + "\t\t" + speedText);
    statusCallback (percentageText + " " + speedText);
}

void DownloadMonitor::reportStall()
{
    juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> download stalled: nothing received for " +
                              juce::String (stallMilliseconds / 1000) + " seconds");
    downloadTask->cancel();
    statusCallback ("Download error");
    stop();
}

//==============================================================================
void DownloadMonitor::handleDownloadResult (const StatusCallback& callback)
{
    auto statusCode = downloadTask->statusCode();
    auto exists = _tmpDir.existsAsFile();
    auto size = _tmpDir.getSize();

    if (statusCode != 200 || ! exists || size <= 0)
    {
        juce::Logger::writeToLog ("<handleDownloadResult> download failed!");
        juce::Logger::writeToLog ("statuscode: " + juce::String (statusCode));
        juce::Logger::writeToLog (exists ? "existsAsFile() == true" : "existsAsFile() == false");
        juce::Logger::writeToLog ("filesize: " + juce::String (size));
        callback ("Download failed");
        stop();
        return;
    }

    callback ("Downloaded");

    auto installer = _tmpDir;

    if (url.getFileName().endsWith ("zip"))
        installer = InstallerArchive::unpack (_tmpDir);

    // A refused archive, or one without a program, is never handed to a job.
    if (installer == juce::File())
    {
        callback ("Install error");
        stop();
        return;
    }

    auto signer = installerSigner;
    auto folder = workFolder;
    auto processes = installerProcesses;

    // From here until the job has started its installer or let it be, the
    // installer counts as running: its folder stays even if the window closes now.
    auto launchJob = [processes] (std::function<void()> job)
    {
        processes->setStartPending (true);

        if (! juce::Thread::launch (
                [processes, job]
                {
                    job();
                    processes->setStartPending (false);
                }))
            processes->setStartPending (false);
    };

    if (selection.area == "en" && selection.softwareName == "Nuvo Max")
    {
        launchJob ([=] { runCommandLineInstall (installer, folder, signer, callback, processes); });
    }
    else if (selection.softwareName == "Echo Deck")
    {
        launchJob ([=] { runSilentSwitch (installer, folder, signer, callback, processes); });
    }
    else
    {
        // This job speaks only when its installer was not started: then there is
        // no dialog to wait for, and the monitor stops before its time-out.
        juce::WeakReference<DownloadMonitor> self (this);

        auto reportAndStop = [self, callback] (juce::String word)
        {
            callback (word);
            juce::MessageManager::callAsync (
                [self]
                {
                    if (auto* monitor = self.get())
                        monitor->stop();
                });
        };

        launchJob ([=] { runQuietSwitch (installer, folder, signer, reportAndStop, processes); });
    }
}

//==============================================================================
void DownloadMonitor::driveInstallerDialog()
{
    if (selection.skipDialogAutomation || selection.softwareName == "Echo Deck")
    {
        juce::Logger::writeToLog (
            "<DownloadMonitor::timerCallback> ENnuvomax and echodeck no need to click any button, stop timer clock");
        stop();
        return;
    }

    // However the set-up behaves, the request gets its final word.
    if (++roadTicks > limits.wholeRoad / tickMilliseconds)
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> no end of the set-up within " +
                                  juce::String (limits.wholeRoad / 1000) + " seconds");
        statusCallback ("Install error");
        stop();
        return;
    }

    // The time-out counts from the installer's start: unpacking and checking it,
    // and the system starting it, may take their time.
    if (! installerProcesses->hasStarted())
    {
        tickCount = 0;
        return;
    }

    auto dialog = findInstallerDialog();

    if (dialog != nullptr && analyseWindow (dialog))
    {
        tickCount = 0;
    }
    else if (tickCount > limits.dialogTimeOut / tickMilliseconds)
    {
        // No dialog, or one whose page none of the rows describe: either way the
        // request gets its final word.
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> time out");
        statusCallback ("Install error");
        stop();
    }
}

DialogWindows::Handle DownloadMonitor::findInstallerDialog()
{
    for (auto& dialog : dialogWindows->listDialogs())
    {
        if (! dialog.title.contains (selection.product))
            continue;

        // Another install, or any program, may show a window with such a title:
        // its outcome is not this request's.
        if (dialogWindows->isShownBy (dialog.handle, *installerProcesses))
            return dialog.handle;

        if (otherProgramsDialogs.size() < maxLoggedOtherDialogs && ! otherProgramsDialogs.contains (dialog.handle))
        {
            otherProgramsDialogs.add (dialog.handle);
            juce::Logger::writeToLog ("<DownloadMonitor::findInstallerDialog> not driving \"" +
                                      withoutControls (dialog.title) + "\": a window of another program");
        }
    }

    return nullptr;
}

bool DownloadMonitor::analyseWindow (DialogWindows::Handle dialog)
{
    // A press waits in the set-up's queue until it takes it, and is never
    // withdrawn: while the set-up is busy with it, its page is not read again.
    if (lastPressHandled != nullptr && ! *lastPressHandled && dialog == dialogOfLastPress)
        return true;

    for (auto& page : dialogPages)
    {
        if (page.staticText != nullptr && dialogWindows->findChild (dialog, "Static", page.staticText) == nullptr)
            continue;

        auto button =
            page.buttonText != nullptr ? dialogWindows->findChild (dialog, "Button", page.buttonText) : nullptr;

        if (page.buttonText != nullptr && button == nullptr)
            continue;

        if (button != nullptr)
        {
            auto handled = std::make_shared<bool> (false);
            juce::String logLine (page.logLine);

            // Said once the set-up has taken the press, even after the monitor has gone.
            if (dialogWindows->press (button,
                                      [handled, logLine]
                                      {
                                          *handled = true;
                                          juce::Logger::writeToLog (logLine);
                                      }))
            {
                lastPressHandled = handled;
                dialogOfLastPress = dialog;
            }
        }

        if (page.reportsInstalled)
        {
            statusCallback ("Installed");
            stop();
        }

        return true;
    }

    if (dialogWindows->getChildText (dialog, "Static", 1).contains ("Unfortunately the installation failed."))
    {
        auto exitButton = dialogWindows->findChild (dialog, "Button", "E&xit");

        // The set-up makes a page's controls one after another, so the Exit button
        // may come a moment after the text. Without its click the set-up would stay
        // on the screen.
        if (exitButton == nullptr && ++ticksOnFailedPageWithoutExit <= exitButtonWaitTicks)
            return true;

        statusCallback ("Software exist");
        stop();

        if (exitButton != nullptr)
            dialogWindows->press (exitButton, nullptr);

        return true;
    }

    return false;
}

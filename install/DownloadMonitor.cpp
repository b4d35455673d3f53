#include "DownloadMonitor.h"

#include "InstallerArchive.h"

namespace
{
    // Monitors are made on worker threads and end on the message thread.
    juce::CriticalSection liveMonitorsLock;

    juce::OwnedArray<DownloadMonitor>& getLiveMonitors()
    {
        static juce::OwnedArray<DownloadMonitor> liveMonitors;
        return liveMonitors;
    }

    // Deletes the monitor unless cancelAll() has done so already.
    void release (DownloadMonitor* monitor)
    {
        const juce::ScopedLock lock (liveMonitorsLock);
        getLiveMonitors().removeObject (monitor);
    }

    constexpr int tickMilliseconds = 500;
    constexpr int timeOutTicks = 60;

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
DownloadMonitor::DownloadMonitor (InstallRequest selectionToUse, juce::File tmpDir, StatusCallback callback,
                                  std::unique_ptr<DialogWindows> windows)
    : selection (std::move (selectionToUse)), url (selection.url), _tmpDir (std::move (tmpDir)),
      statusCallback (std::move (callback)), dialogWindows (std::move (windows))
{
    _tmpDir = _tmpDir.getChildFile (url.getFileName());
    juce::Logger::writeToLog ("<DownloadMonitor> Download: " + selection.url);

    downloadTask = url.downloadToFile (_tmpDir, juce::URL::DownloadTaskOptions());
    juce::Logger::writeToLog ("<DownloadMonitor> _tmpDir: " + _tmpDir.getFullPathName());

    if (downloadTask == nullptr)
    {
        // Nothing to poll: the server cannot be reached or the file cannot be made.
        statusCallback ("Download error");
        juce::MessageManager::callAsync ([this] { release (this); });
        return;
    }

    startTimer (tickMilliseconds);
}

DownloadMonitor::~DownloadMonitor() { stopTimer(); }

//==============================================================================
void DownloadMonitor::timerCallback()
{
    ++tickCount;

    if (downloadTask->hadError())
    {
        statusCallback ("Download error");
        stop();
    }
    else if (downloadTask->isFinished() && ! resultHandled)
    {
        handleDownloadResult (statusCallback);
        resultHandled = true;
        tickCount = 0;
    }
    else if (! resultHandled)
    {
        reportProgress();
    }
    else
    {
        driveInstallerDialog();
    }
}

void DownloadMonitor::stop()
{
    if (! isTimerRunning())
        return;

    stopTimer();

    // Installer jobs hold copies of what they need; nothing else refers to a monitor.
    juce::MessageManager::callAsync ([this] { release (this); });
}

void DownloadMonitor::cancelAll()
{
    const juce::ScopedLock lock (liveMonitorsLock);
    getLiveMonitors().clear();
}

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

    auto installerPath = installer.getFullPathName();

    if (selection.area == "en" && selection.softwareName == "Nuvo Max")
        juce::Thread::launch ([installerPath, callback] { runCommandLineInstall (installerPath, callback); });
    else if (selection.softwareName == "Echo Deck")
        juce::Thread::launch ([installerPath, callback] { runSilentSwitch (installerPath, callback); });
    else
        juce::Thread::launch ([installerPath] { runQuietSwitch (installerPath); });
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

    if (! findInstallerDialog())
    {
        if (tickCount > timeOutTicks)
        {
            juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> time out");
            statusCallback ("Install error");
            stop();
        }

        return;
    }

    if (analyseWindow())
        tickCount = 0;
    else if (tickCount > timeOutTicks)
        stop();
}

bool DownloadMonitor::findInstallerDialog()
{
    auto product = selection.product.toStdString();

    for (auto& dialog : dialogWindows->listDialogs())
    {
        if (dialog.title.find (product) != std::string::npos)
        {
            dialogTitle = juce::String (dialog.title);
            return true;
        }
    }

    return false;
}

bool DownloadMonitor::analyseWindow()
{
    auto dialog = dialogWindows->findDialog (dialogTitle.toStdString());

    if (dialog == nullptr)
        return false;

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
            dialogWindows->click (button);
            juce::Logger::writeToLog (page.logLine);
        }

        if (page.reportsInstalled)
        {
            statusCallback ("Installed");
            stop();
        }

        return true;
    }

    if (dialogWindows->getChildText (dialog, "Static", 1).find ("Unfortunately the installation failed.") !=
        std::string::npos)
    {
        statusCallback ("Software exist");
        stop();

        if (auto exitButton = dialogWindows->findChild (dialog, "Button", "E&xit"))
            dialogWindows->click (exitButton);

        return true;
    }

    return false;
}

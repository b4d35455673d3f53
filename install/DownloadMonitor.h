#pragma once

#include <juce_events/juce_events.h>

#include "../catalogue/FileDownload.h"
#include "../platform/DialogWindows.h"
#include "../ui/InstallRequest.h"
#include "DialogLimits.h"
#include "InstallerJobs.h"

//==============================================================================
/**
    Carries one install request from the click to the end of the installation:
    downloads the installer into the click's folder, reports progress twice a
    second, hands the finished file to the installer job that fits the request, and
    then drives the driver set-up's dialog to its end: only a dialog of the
    processes that the job started, and each page's button once.

    Everything is reported through the status function. Monitors are made by
    start() and owned by the set of live monitors from then on: a monitor leaves
    it, and is deleted, once it has stopped; cancelAll() ends those still running.
    All of this happens on the message thread.
*/
class DownloadMonitor : public juce::Timer
{
public:
    /** Makes a monitor for the request, starts its download (which connects on a
        thread of its own) and its 500 ms timer. Returns the monitor, which lives
        until it has stopped and the message loop has run once more, or nullptr
        once cancelAll() has been called. The installer is started only if it
        carries the signer's signature; an empty signer starts it unchecked. */
    static DownloadMonitor* start (InstallRequest selection, juce::File tmpDir, StatusCallback statusCallback,
                                   std::unique_ptr<DialogWindows> dialogWindows = DialogWindows::createForThisSystem(),
                                   juce::String installerSigner = getBuildSigner(), DialogLimits limits = {});

    /** The maker's code-signing subject that the program was built with, or empty. */
    static juce::String getBuildSigner();

    /** Cancels the download if it is still under way; it removes what it wrote. */
    ~DownloadMonitor() override;

    /** One tick: the finished download, a progress report, a stall, or the dialog step. */
    void timerCallback() override;

    /** Deletes every live monitor, cancelling its download, and waits a few seconds
        at most for the downloads to end; installer processes already started run on.
        For the end of the program: no monitor starts after it. */
    static void cancelAll();

    /** The processes of the request's installer: empty until its job has started
        it. They may run on after the monitor has gone. */
    std::shared_ptr<ProcessTree> getInstallerProcesses() const { return installerProcesses; }

    /** How many monitors are live. */
    static int getNumLiveMonitors();

    /** The speed text of a progress report: "3MB/s", "12KB/s" or "511B/s" (units of 1024, truncated). */
    static juce::String formatSpeed (juce::int64 bytesPerSecond);

    /** The percentage text of a progress report, such as "45.3%". With no announced
        length (or 0) the share is unknown and "0.0%" is given; never more than "100.0%". */
    static juce::String formatPercentage (juce::int64 downloaded, juce::int64 totalLength);

    /** How long a download may receive nothing before it counts as failed. */
    static constexpr int stallMilliseconds = 60000;

private:
    DownloadMonitor (InstallRequest selection, juce::File tmpDir, StatusCallback statusCallback,
                     std::unique_ptr<DialogWindows> dialogWindows, juce::String installerSigner, DialogLimits limits);

    void reportProgress();
    void reportStall();
    void handleDownloadResult (const StatusCallback& callback);
    void driveInstallerDialog();
    DialogWindows::Handle findInstallerDialog();
    bool analyseWindow (DialogWindows::Handle dialog);
    void stop();

    InstallRequest selection;
    juce::URL url;
    std::unique_ptr<FileDownload> downloadTask;
    juce::File workFolder, _tmpDir;
    StatusCallback statusCallback;
    bool resultHandled = false;
    int ticksOnFailedPageWithoutExit = 0;
    int tickCount = 0, roadTicks = 0;
    juce::int64 lastDownloaded = 0;
    std::unique_ptr<DialogWindows> dialogWindows;
    juce::String installerSigner;
    DialogLimits limits;
    std::shared_ptr<ProcessTree> installerProcesses = std::make_shared<ProcessTree>();
    // The last press and its dialog, until the set-up has handled it.
    std::shared_ptr<bool> lastPressHandled;
    DialogWindows::Handle dialogOfLastPress = nullptr;
    juce::Array<DialogWindows::Handle> otherProgramsDialogs;

    JUCE_DECLARE_WEAK_REFERENCEABLE (DownloadMonitor)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownloadMonitor)
};

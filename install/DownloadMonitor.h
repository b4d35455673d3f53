#pragma once

#include <juce_events/juce_events.h>

#include "InstallerJobs.h"
#include "../platform/DialogWindows.h"
#include "../ui/InstallRequest.h"

//==============================================================================
/**
    Carries one install request from the click to the end of the installation:
    downloads the installer into the click's folder, reports progress twice a
    second, hands the finished file to the installer job that fits the request, and
    then drives the driver set-up's dialog to its end.

    Everything is reported through the status function. Monitors are made with new
    and are owned by the set of live monitors: a monitor leaves it, and is deleted,
    once it has stopped; cancelAll() ends those still running.
*/
class DownloadMonitor : public juce::Timer
{
public:
    /** Starts the download (the connection is opened on the calling thread, so call
        it off the message thread) and the 500 ms timer. When the download cannot
        start at all, reports "Download error" and stops at once. */
    DownloadMonitor (InstallRequest selection, juce::File tmpDir, StatusCallback statusCallback,
                     std::unique_ptr<DialogWindows> dialogWindows = DialogWindows::createForThisSystem());

    ~DownloadMonitor() override;

    /** One tick: an error, the finished download, a progress report, or the dialog step. */
    void timerCallback() override;

    /** Deletes every monitor that is still running, ending its transfer; installer
        processes already started run on. For the end of the program. */
    static void cancelAll();

    /** The speed text of a progress report: "3MB/s", "12KB/s" or "511B/s" (units of 1024, truncated). */
    static juce::String formatSpeed (juce::int64 bytesPerSecond);

    /** The percentage text of a progress report, such as "45.3%". With no announced
        length (or 0) the share is unknown and "0.0%" is given; never more than "100.0%". */
    static juce::String formatPercentage (juce::int64 downloaded, juce::int64 totalLength);

private:
    void reportProgress();
    void handleDownloadResult (const StatusCallback& callback);
    void driveInstallerDialog();
    bool findInstallerDialog();
    bool analyseWindow();
    void stop();

    InstallRequest selection;
    juce::URL url;
    std::unique_ptr<juce::URL::DownloadTask> downloadTask;
    juce::File _tmpDir;
    StatusCallback statusCallback;
    bool resultHandled = false;
    juce::String dialogTitle;
    int tickCount = 0;
    juce::int64 lastDownloaded = 0;
    std::unique_ptr<DialogWindows> dialogWindows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownloadMonitor)
};

#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

//==============================================================================
/**
    The transfer of one installer into its file, on a thread of its own: connects,
    then writes the body (an error page included) into the target file. Its
    counters and flags are made to be polled from another thread, and it can be
    cancelled at any moment, during the connect too.
*/
class InstallerDownload : private juce::Thread
{
public:
    /** Deletes whatever lies at the target and starts connecting on the download's
        own thread. When the target cannot be created, the download has finished at
        once, with an error. */
    InstallerDownload (const juce::URL& url, const juce::File& target);

    /** Cancels the transfer and waits for its thread to end. */
    ~InstallerDownload() override;

    /** Ends the connect or the transfer under way; the download then finishes with
        an error. Safe to call from any thread. */
    void cancel();

    /** The length the server announced, or -1 before the connect or without one. */
    juce::int64 getTotalLength() const noexcept { return totalLength.load(); }

    /** The bytes written to the target so far. */
    juce::int64 getLengthDownloaded() const noexcept { return downloaded.load(); }

    /** True once the transfer has ended, however it ended. The error flag is set
        before this one, so a caller that sees it set can trust hadError(). */
    bool isFinished() const noexcept { return finished.load(); }

    /** True when the connect failed, the transfer broke off or was cancelled, or
        the file could not be written. */
    bool hadError() const noexcept { return error.load(); }

    /** The HTTP status code of the response, or -1 before the connect or without one. */
    int statusCode() const noexcept { return httpCode.load(); }

private:
    void run() override;
    void transfer();

    juce::WebInputStream stream;
    juce::File target;
    std::atomic<juce::int64> totalLength { -1 }, downloaded { 0 };
    std::atomic<int> httpCode { -1 };
    std::atomic<bool> error { false }, finished { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstallerDownload)
};

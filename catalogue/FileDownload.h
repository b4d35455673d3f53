#pragma once

#include <juce_core/juce_core.h>

#include <memory>

//==============================================================================
/**
    The transfer of one file from the maker's servers (an installer, a picture, the
    catalogue), on a thread of its own: connects, then writes the body (an error
    page included) into the target file. Its
    counters and flags are made to be polled from another thread.

    A transfer can be cancelled at any moment, during the connect too, and never
    blocks the caller for it: some systems hold a cancel until a blocked read
    returns. A transfer that ends with an error or cancelled removes what it wrote.

    Up to five redirects are followed, to a full address or a path on the same
    server, but never from https to plain http: such a redirect, and one more than
    five, end the transfer with an error.
*/
class FileDownload
{
public:
    /** Starts the transfer on its own thread: deletes whatever lies at the target,
        connects, and makes the target once the server has answered. A target that
        cannot be made ends the transfer with an error. */
    FileDownload (const juce::URL& url, const juce::File& target);

    /** Cancels the transfer if it is still running; it ends by itself. */
    ~FileDownload();

    /** Ends the connect or the transfer under way, without waiting for it; the
        download then finishes with an error. Safe to call from any thread. */
    void cancel();

    /** The length the server announced, or -1 before the connect or without one. */
    juce::int64 getTotalLength() const noexcept;

    /** The bytes written to the target so far. */
    juce::int64 getLengthDownloaded() const noexcept;

    /** How long the transfer has received nothing: since its last byte, or since it
        started when none has come yet. */
    juce::uint32 getMillisecondsSinceLastByte() const noexcept;

    /** True once the transfer has ended, however it ended. The error flag is set
        before this one, so a caller that sees it set can trust hadError(). */
    bool isFinished() const noexcept;

    /** Waits until the transfer has ended, at most for the time given; returns isFinished(). */
    bool waitForEnd (int timeoutMilliseconds) const;

    /** True when the connect failed, the transfer broke off or was cancelled, or
        the file could not be written. */
    bool hadError() const noexcept;

    /** The HTTP status code of the last response, the redirect's own for a redirect
        not followed, or -1 before the connect or without one. */
    int statusCode() const noexcept;

    /** The name under which a download from the address is saved: its last path
        segment without query or fragment, with what Windows does not allow in a
        file name left out, so that it always names a file inside the folder it is
        put in. Empty when nothing usable is left (a device name such as "CON", "..",
        or no name at all). */
    static juce::String getLocalFileName (const juce::URL& address);

    /** Waits until every transfer of the process has ended, at most for the time
        given; returns true if they all have. For the end of the program. */
    static bool waitForAllToEnd (int timeoutMilliseconds);

private:
    struct Transfer;
    std::shared_ptr<Transfer> transfer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileDownload)
};

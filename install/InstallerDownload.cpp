#include "InstallerDownload.h"

namespace
{
    // Large reads keep a fast transfer from waiting on small ones.
    constexpr int readSize = 256 * 1024;
}

InstallerDownload::InstallerDownload (const juce::URL& url, const juce::File& targetFile)
    : juce::Thread ("Installer download"), stream (url, false), target (targetFile)
{
    // The transfer has no time limit of its own: a stall is the monitor's to judge,
    // and a cancel ends any wait.
    stream.withConnectionTimeout (-1);
    startThread();
}

InstallerDownload::~InstallerDownload()
{
    cancel();
    stopThread (-1);
}

void InstallerDownload::cancel()
{
    signalThreadShouldExit();
    stream.cancel();
}

void InstallerDownload::run()
{
    transfer();
    finished = true;
}

void InstallerDownload::transfer()
{
    target.deleteFile();
    juce::FileOutputStream output (target, readSize);

    if (output.failedToOpen() || threadShouldExit() || ! stream.connect (nullptr) || threadShouldExit())
    {
        error = true;
        return;
    }

    httpCode = stream.getStatusCode();
    totalLength = stream.getTotalLength();

    juce::HeapBlock<char> buffer (readSize);

    while (! stream.isExhausted() && ! threadShouldExit())
    {
        auto length = totalLength.load();
        auto wanted = length < 0 ? readSize : (int) juce::jmin ((juce::int64) readSize, length - downloaded.load());

        if (wanted <= 0)
            break;

        auto received = stream.read (buffer.get(), wanted);

        if (received < 0 || stream.isError() || threadShouldExit())
            break;

        if (! output.write (buffer.get(), (size_t) received))
        {
            error = true;
            return;
        }

        downloaded += received;
    }

    output.flush();

    if (threadShouldExit() || stream.isError() || output.getStatus().failed()
        || (totalLength.load() > 0 && downloaded.load() < totalLength.load()))
        error = true;
}

#include "BlockingDownload.h"

#include "FileDownload.h"

juce::Result BlockingDownload::run (const juce::URL& address, const juce::File& target, int stallMilliseconds)
{
    FileDownload download (address, target);

    while (! download.waitForEnd (50))
    {
        if (download.getMillisecondsSinceLastByte() >= (juce::uint32) stallMilliseconds && ! download.isFinished())
        {
            // The cancelled transfer removes its file when it ends.
            download.cancel();
            return juce::Result::fail ("nothing received for " + juce::String (stallMilliseconds / 1000) + " seconds");
        }
    }

    auto status = download.statusCode();

    if (download.hadError())
        return juce::Result::fail (status <= 0 ? "no connection" : "the transfer broke off");

    if (status != 200)
    {
        target.deleteFile();
        return juce::Result::fail ("the server answered with status " + juce::String (status));
    }

    if (download.getLengthDownloaded() == 0)
    {
        target.deleteFile();
        return juce::Result::fail ("the reply was empty");
    }

    return juce::Result::ok();
}

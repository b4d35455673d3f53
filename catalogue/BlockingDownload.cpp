#include "BlockingDownload.h"

#include "../platform/HostSystem.h"

BlockingDownload::Outcome BlockingDownload::run (juce::URL address, const juce::File& target)
{
    auto task = address.downloadToFile (target, juce::URL::DownloadTaskOptions());

    if (task == nullptr)
        return Outcome::notStarted;

    while (! task->isFinished())
        HostSystem::sleepMilliseconds (50);

    if (! task->hadError() && target.existsAsFile() && target.getSize() > 0)
        return Outcome::complete;

    return Outcome::failed;
}

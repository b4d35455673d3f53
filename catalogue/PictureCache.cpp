#include "PictureCache.h"

#include "../platform/FileSystem.h"
#include "../platform/HostSystem.h"

juce::Image PictureCache::load (const juce::String& address, const juce::File& cacheFolder)
{
    auto fileName = address.fromLastOccurrenceOf ("/", false, false);

    if (! FileSystem::fileExists (cacheFolder))
        cacheFolder.createDirectory();

    auto cached = cacheFolder.getChildFile (fileName);

    if (cached.existsAsFile())
    {
        juce::Logger::writeToLog ("<InterfaceComponent::loadImage> exist pic, not need to download: " +
                                  cached.getFullPathName());
        return juce::ImageFileFormat::loadFrom (cached);
    }

    juce::Logger::writeToLog ("<InterfaceComponent::loadImage> not found");

    auto temp = cached.getParentDirectory().getChildFile ("temp_download");
    auto task = juce::URL (address).downloadToFile (temp, juce::URL::DownloadTaskOptions());

    if (task == nullptr)
        return {};

    while (! task->isFinished())
        HostSystem::sleepMilliseconds (50);

    if (! task->hadError() && temp.existsAsFile() && temp.getSize() > 0)
    {
        if (temp.moveFileTo (cached))
            juce::Logger::writeToLog ("<InterfaceComponent::loadImage> download successfully: " +
                                      cached.getFullPathName());
    }
    else
    {
        juce::Logger::writeToLog ("<InterfaceComponent::loadImage> download failed");
    }

    temp.deleteFile();
    return juce::ImageFileFormat::loadFrom (cached);
}

#include "PictureCache.h"

#include "../platform/FileSystem.h"
#include "BlockingDownload.h"
#include "PictureDecoder.h"

juce::Image PictureCache::load (const juce::String& address, const juce::File& cacheFolder)
{
    auto fileName = address.fromLastOccurrenceOf ("/", false, false);

    if (! FileSystem::fileExists (cacheFolder))
        cacheFolder.createDirectory();

    auto cached = cacheFolder.getChildFile (fileName);

    auto decodeCached = [&cached]
    {
        juce::MemoryBlock data;
        return cached.existsAsFile() && cached.loadFileAsData (data) ? PictureDecoder::decode (data) : juce::Image();
    };

    if (cached.existsAsFile())
    {
        juce::Logger::writeToLog ("<InterfaceComponent::loadImage> exist pic, not need to download: " +
                                  cached.getFullPathName());
        return decodeCached();
    }

    juce::Logger::writeToLog ("<InterfaceComponent::loadImage> not found");

    auto temp = cached.getParentDirectory().getChildFile ("temp_download");
    auto outcome = BlockingDownload::run (juce::URL (address), temp);

    if (outcome == BlockingDownload::Outcome::notStarted)
    {
        // The framework may have made the file before it found it could not connect.
        temp.deleteFile();
        return {};
    }

    if (outcome == BlockingDownload::Outcome::complete)
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
    return decodeCached();
}

#include "PictureCache.h"

#include "../platform/FileSystem.h"
#include "../platform/OwnFolders.h"
#include "BlockingDownload.h"
#include "FileDownload.h"
#include "PictureDecoder.h"

namespace
{
    // The cache folder and the maker's folder above it are the program's own.
    constexpr int numCacheFolders = 2;

    // A product picture is at most 2048 pixels across and down: even stored
    // uncompressed it stays below this.
    constexpr size_t largestPictureFile = 32 * 1024 * 1024;

    juce::Image decodeFile (const juce::File& file)
    {
        juce::MemoryBlock data;
        return FileSystem::readWithoutFollowingLinks (file, data, largestPictureFile) ? PictureDecoder::decode (data)
                                                                                      : juce::Image();
    }
}

juce::Image PictureCache::load (const juce::String& address, const juce::File& cacheFolder)
{
    // Blanks are sent as "%20", as in the installers' addresses.
    juce::URL url (address.replace (" ", "%20"));
    auto fileName = FileDownload::getLocalFileName (url);

    // Users can write in the machine's data folder: a link put in place of one of the
    // cache's folders would have the elevated program write wherever it points. Held
    // while the picture is read or stored.
    OwnFolders folders (cacheFolder, numCacheFolders, OwnFolders::Creation::protectedFromUsers);

    if (! folders.isOpen())
    {
        juce::Logger::writeToLog ("<InterfaceComponent::loadImage> cache folder refused, a link or no folder: " +
                                  cacheFolder.getFullPathName());
        return {};
    }

    auto cached = cacheFolder.getChildFile (fileName);

    if (fileName.isNotEmpty() && cached.existsAsFile())
    {
        juce::Logger::writeToLog ("<InterfaceComponent::loadImage> exist pic, not need to download: " +
                                  cached.getFullPathName());
        return decodeFile (cached);
    }

    juce::Logger::writeToLog ("<InterfaceComponent::loadImage> not found");

    // An address that gives no usable name has no place in the cache.
    if (fileName.isEmpty())
        return {};

    // A temporary file of this download's own: programs that share the cache never
    // take each other's half-written file for a picture.
    auto temp = cacheFolder.getChildFile ("temp_download-" + juce::Uuid().toString());

    if (BlockingDownload::run (url, temp, stallMilliseconds).wasOk())
    {
        // A picture that another program stored meanwhile stays: replacing it would
        // take it away for a moment from whoever is reading it.
        if (FileSystem::moveWithoutReplacing (temp, cached))
            juce::Logger::writeToLog ("<InterfaceComponent::loadImage> download successfully: " +
                                      cached.getFullPathName());
    }
    else
    {
        juce::Logger::writeToLog ("<InterfaceComponent::loadImage> download failed");
    }

    temp.deleteFile();
    return cached.existsAsFile() ? decodeFile (cached) : juce::Image();
}

#include "PictureCache.h"

#include "../platform/FileSystem.h"
#include "BlockingDownload.h"

namespace
{
    constexpr int maximumSide = 4096;

    int readBigEndian16 (const juce::uint8* bytes) { return (bytes[0] << 8) | bytes[1]; }

    juce::int64 readBigEndian32 (const juce::uint8* bytes)
    {
        return ((juce::int64) bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
    }

    // The width and height in the header of a PNG, a GIF or the first frame header
    // of a JPEG; {0, 0} when there is none to read.
    std::pair<juce::int64, juce::int64> readDeclaredSize (const juce::MemoryBlock& data)
    {
        auto* bytes = static_cast<const juce::uint8*> (data.getData());
        auto size = data.getSize();

        static const juce::uint8 pngSignature[] = { 0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a };

        if (size >= 24 && std::memcmp (bytes, pngSignature, sizeof (pngSignature)) == 0
            && std::memcmp (bytes + 12, "IHDR", 4) == 0)
            return { readBigEndian32 (bytes + 16), readBigEndian32 (bytes + 20) };

        if (size >= 10 && (std::memcmp (bytes, "GIF87a", 6) == 0 || std::memcmp (bytes, "GIF89a", 6) == 0))
            return { bytes[6] | (bytes[7] << 8), bytes[8] | (bytes[9] << 8) };

        if (size >= 4 && bytes[0] == 0xff && bytes[1] == 0xd8)
        {
            // Walks the segments to the first frame header (SOF0 to SOF15, less DHT, JPG and DAC).
            for (size_t position = 2; position + 4 <= size;)
            {
                if (bytes[position] != 0xff)
                    break;

                auto marker = bytes[position + 1];
                auto length = (size_t) readBigEndian16 (bytes + position + 2);

                if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
                {
                    if (position + 9 > size)
                        break;

                    return { readBigEndian16 (bytes + position + 7), readBigEndian16 (bytes + position + 5) };
                }

                if (length < 2)
                    break;

                position += 2 + length;
            }
        }

        return { 0, 0 };
    }
}

juce::Image PictureCache::load (const juce::String& address, const juce::File& cacheFolder)
{
    auto fileName = address.fromLastOccurrenceOf ("/", false, false);

    if (! FileSystem::fileExists (cacheFolder))
        cacheFolder.createDirectory();

    auto cached = cacheFolder.getChildFile (fileName);

    auto decodeCached = [&cached]
    {
        juce::MemoryBlock data;
        return cached.existsAsFile() && cached.loadFileAsData (data) ? decode (data) : juce::Image();
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
        return {};

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

juce::Image PictureCache::decode (const juce::MemoryBlock& data)
{
    auto [width, height] = readDeclaredSize (data);

    if (width <= 0 || height <= 0 || width > maximumSide || height > maximumSide)
        return {};

    return juce::ImageFileFormat::loadFrom (data.getData(), data.getSize());
}

#pragma once

#include <juce_graphics/juce_graphics.h>

/** The machine-wide cache of product pictures. */
namespace PictureCache
{
    /** Returns the picture at the address, downloading it into the cache folder only
        when the folder holds no file of that name yet (the name is the address's last
        path segment). Blocks while it downloads. Returns a null image when there is
        no picture or it does not decode; a cached file is never replaced. */
    juce::Image load (const juce::String& address, const juce::File& cacheFolder);

    /** Decodes a PNG, JPEG or GIF picture. Reads the size the picture declares first
        and refuses, before anything is allocated for it, one that is no product
        picture (wider or higher than 4096 pixels) or whose size cannot be read.
        Returns a null image for a refused or undecodable picture. */
    juce::Image decode (const juce::MemoryBlock& data);
}

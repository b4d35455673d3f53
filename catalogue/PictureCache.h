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
}

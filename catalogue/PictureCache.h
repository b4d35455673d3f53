#pragma once

#include <juce_graphics/juce_graphics.h>

/** The machine-wide cache of product pictures. */
namespace PictureCache
{
    /** Returns the picture at the address, downloading it into the cache folder only
        when the folder holds no file of that name yet. The name is the address's last
        path segment without query or fragment, made legal on Windows; an address that
        gives no legal name is never downloaded. Blanks in the address are sent as
        "%20".

        Blocks while it downloads, and gives up once nothing has arrived for
        stallMilliseconds. Only a complete reply with status 200 is cached. Returns a
        null image when there is no picture or it does not decode; a cached file is
        never replaced.

        The cache folder and the folder above it are made, when missing, so that only
        administrators may change them. Nothing is read or stored through a link: a
        cache folder, or the folder above it, that is a link gives no picture, and so
        does a cached file that is a link or has a second name. */
    juce::Image load (const juce::String& address, const juce::File& cacheFolder);

    /** How long a picture download may receive nothing before it gives up. */
    constexpr int stallMilliseconds = 10000;
}

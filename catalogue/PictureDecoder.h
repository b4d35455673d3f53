#pragma once

#include <juce_graphics/juce_graphics.h>

/** Decoding the product pictures that come from the download host: PNG and JPEG,
    the formats they come in. */
namespace PictureDecoder
{
    /** Decodes a PNG or JPEG picture. A picture that declares more than 2048 pixels
        across or down is no product picture and is refused from its header, before
        anything is allocated for it. Returns a null image for a refused, broken or
        unknown picture; a broken one never takes the program down. */
    juce::Image decode (const juce::MemoryBlock& data);
}

#pragma once

#include <juce_graphics/juce_graphics.h>

/** An installed typeface that draws both Chinese and Latin text. */
namespace CjkTypeface
{
    /** Returns such a typeface, or nullptr when none is installed.
        On Windows: "Microsoft YaHei" where it exists, else another installed
        Chinese face. On Linux: a Chinese font file of the system's, loaded
        directly, since the framework does not list font collections (.ttc). */
    juce::Typeface::Ptr find();
}

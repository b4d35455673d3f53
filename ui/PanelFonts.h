#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/**
    The fonts of the panel, chosen so that Chinese text never shows as boxes.

    The framework does not fall back from one face to another glyph by glyph, so a
    named face is used only where it can show the whole text; otherwise the default
    sans-serif face serves, which useCjkCapableDefault() makes a Chinese-capable one.
*/
struct PanelFonts
{
    /** A plain font of the named face and height (for either framework version). */
    static juce::Font make (const juce::String& typefaceName, float height);

    /** The named face if it is installed and can show this text, else the default
        sans-serif face; plain, at the height given. */
    static juce::Font forText (const juce::String& typefaceName, float height, const juce::String& text);

    /** Makes an installed Chinese-capable typeface the look and feel's default
        sans-serif face. Leaves the look and feel as it is when there is none. */
    static void useCjkCapableDefault (juce::LookAndFeel& lookAndFeel);

    /** Makes the look and feel the desktop-wide default. Text of every component
        without a look and feel of its own is then drawn with its faces. */
    static void installAsDesktopDefault (juce::LookAndFeel& lookAndFeel);
};

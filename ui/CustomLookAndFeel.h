#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/**
    The program's own drawing of text-button texts and of the download progress
    bar; everything else is drawn as LookAndFeel_V4 draws it.

    Its default sans-serif face is a Chinese-capable one where such a face is
    installed, so that the panel's Chinese texts show.
*/
class CustomLookAndFeel : public juce::LookAndFeel_V4
{
public:
    CustomLookAndFeel();

    /** Draws the text in "Microsoft YaHei" 16 (or a face that can show it), in the
        button's textColourOnId colour whatever its state, centred on up to two lines. */
    void drawButtonText (juce::Graphics& g, juce::TextButton& button, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;

    /** Draws a rounded light-blue track, a dark-blue fill of whole pixels from the
        left, and the text in white, centred, shortened with an ellipsis if needed. */
    void drawProgressBar (juce::Graphics& g, juce::ProgressBar& progressBar, int width, int height, double progress,
                          const juce::String& textToShow) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomLookAndFeel)
};

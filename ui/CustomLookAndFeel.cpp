#include "CustomLookAndFeel.h"

#include "PanelFonts.h"

CustomLookAndFeel::CustomLookAndFeel() { PanelFonts::useCjkCapableDefault (*this); }

void CustomLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    g.setFont (PanelFonts::forText ("Microsoft YaHei", 16.0f, button.getButtonText()));
    g.setColour (button.findColour (juce::TextButton::textColourOnId));
    g.drawFittedText (button.getButtonText(), 0, 0, button.getWidth(), button.getHeight(), juce::Justification::centred,
                      2);
}

void CustomLookAndFeel::drawProgressBar (juce::Graphics& g, juce::ProgressBar&, int width, int height, double progress,
                                         const juce::String& textToShow)
{
    g.setColour (juce::Colour (0xffadd8e6));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, (float) height, 5.0f);

    g.setColour (juce::Colour (0xff006994));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) (int) (width * progress), (float) height, 5.0f);

    g.setColour (juce::Colour (0xffffffff));
    g.setFont (g.getCurrentFont().withHeight (14.0f));
    g.drawText (textToShow, 0, 0, width, height, juce::Justification::centred, true);
}

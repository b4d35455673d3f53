#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/**
    The content of the main window. For now a plain 600 × 400 panel.
*/
class MainComponent : public juce::Component
{
public:
    MainComponent();

    void paint (juce::Graphics& g) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};

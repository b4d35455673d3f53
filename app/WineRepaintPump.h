#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/**
    Keeps the program's windows painting under Wine.

    The framework flushes repaints on the display's vertical blank, which Wine does
    not report, so without help a window paints once and never again. Under Wine
    this flushes the pending repaints of every window about 60 times a second; on
    Windows itself and elsewhere it does nothing.
*/
class WineRepaintPump : private juce::Timer
{
public:
    WineRepaintPump();
    ~WineRepaintPump() override;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WineRepaintPump)
};

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// The framework's message manager and GUI services exist for the whole run, as
// they do in the program.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI framework;
    testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}

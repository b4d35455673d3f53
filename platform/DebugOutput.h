#pragma once

#include <juce_core/juce_core.h>

/** Where diagnostic text goes for a developer watching the program: the attached
    debugger on Windows, standard error elsewhere. */
namespace DebugOutput
{
    /** Sends the text as it stands; nothing depends on whether anyone receives it. */
    void write (const juce::String& text);
}

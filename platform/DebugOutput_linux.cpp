#include "DebugOutput.h"

#include <cstdio>

void DebugOutput::write (const juce::String& text) { std::fputs (text.toRawUTF8(), stderr); }

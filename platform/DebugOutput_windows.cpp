#include "DebugOutput.h"

#include <windows.h>

void DebugOutput::write (const juce::String& text) { OutputDebugStringW (text.toWideCharPointer()); }

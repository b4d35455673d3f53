#pragma once

#include <juce_core/juce_core.h>

/** One install click: what to download and install, for which product, in which
    area and language. The panel fills it; the download side gets a copy. */
struct InstallRequest
{
    juce::String product;
    juce::String softwareName;
    juce::String area;
    juce::String language;
    bool skipDialogAutomation = false;
    juce::String url;
};

#pragma once

#include <juce_core/juce_core.h>

#include <unordered_map>

/** What the panel is told about the connected products: their names, and per
    product name its software keys, download entries and picture address. */
struct ProductData
{
    juce::StringArray productList;
    std::unordered_map<juce::String, juce::StringArray> driverTypeLists;
    std::unordered_map<juce::String, juce::StringArray> driverDataLists;
    std::unordered_map<juce::String, juce::String> pictureUrls;
};

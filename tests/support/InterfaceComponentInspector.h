#pragma once

#include "ui/InterfaceComponent.h"

// Reaches the panel's state the way the panel's own code sees it.
struct InterfaceComponentInspector
{
    InterfaceComponent& panel;

    juce::OwnedArray<juce::TextButton>& buttons() { return panel.installButtons; }
    juce::StringArray& softwareNames() { return panel.softwareNames; }
    juce::StringArray& matchedEntries() { return panel.matchedEntries; }
    juce::ImageButton& languageButton() { return panel.languageButton; }
    juce::ComboBox& productBox() { return panel.productBox; }
    juce::Label& productLabel() { return panel.productLabel; }
    juce::Label& supportLabel() { return panel.supportLabel; }
    juce::Label& statusLabel() { return panel.statusLabel; }
    juce::ProgressBar& progressBar() { return panel.progressBar; }
    const juce::Image& productImage() const { return panel.productImage; }
    bool isBusy() const { return panel.busy; }
    double getProgress() const { return panel.progress; }
    juce::String getLanguage() const { return panel.language; }
    void setPlatform (const juce::String& word) { panel.platform = word; }
    void setArea (const juce::String& area) { panel.area = area; }

    bool shows (juce::Component& child) const { return child.getParentComponent() == &panel && child.isVisible(); }
    bool takesClicks (juce::Component& c) const
    {
        bool self = false, children = false;
        c.getInterceptsMouseClicks (self, children);
        return self && children;
    }
};

#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    A fresh, empty folder for one test, deleted with everything in it when the
    test ends.
*/
class TemporaryFolder
{
public:
    TemporaryFolder() { folder.createDirectory(); }

    ~TemporaryFolder() { folder.deleteRecursively(); }

    const juce::File& getFolder() const noexcept { return folder; }

private:
    juce::File folder{ juce::File::getSpecialLocation (juce::File::tempDirectory)
                           .getChildFile ("quenz-test-" + juce::Uuid().toString()) };

    JUCE_DECLARE_NON_COPYABLE (TemporaryFolder)
};

#pragma once

#include <juce_core/juce_core.h>

#include "install/InstallerJobs.h"

//==============================================================================
/** Records the status words a monitor or job reports, from whichever thread. */
class StatusRecorder
{
public:
    StatusCallback makeCallback()
    {
        return [this] (juce::String word)
        {
            const juce::ScopedLock lock (wordsLock);
            words.add (word);
        };
    }

    juce::StringArray getWords() const
    {
        const juce::ScopedLock lock (wordsLock);
        return words;
    }

    /** The words that are not progress reports. */
    juce::StringArray getFinalWords() const
    {
        juce::StringArray finalWords;

        for (auto& word : getWords())
            if (! word.contains ("%"))
                finalWords.add (word);

        return finalWords;
    }

private:
    juce::CriticalSection wordsLock;
    juce::StringArray words;
};

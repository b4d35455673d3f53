#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    Collects every message written with juce::Logger::writeToLog while it exists,
    in place of the program's file logger.
*/
class LogCapture : public juce::Logger
{
public:
    LogCapture() { juce::Logger::setCurrentLogger (this); }
    ~LogCapture() override { juce::Logger::setCurrentLogger (nullptr); }

    void logMessage (const juce::String& message) override
    {
        const juce::ScopedLock lock (messagesLock);
        messages.add (message);
    }

    juce::StringArray getMessages() const
    {
        const juce::ScopedLock lock (messagesLock);
        return messages;
    }

private:
    juce::CriticalSection messagesLock;
    juce::StringArray messages;

    JUCE_DECLARE_NON_COPYABLE (LogCapture)
};

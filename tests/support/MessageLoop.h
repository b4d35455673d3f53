#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** Runs the message loop, delivering asynchronous messages, for a while. */
inline void runMessageLoopFor (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Runs the message loop until the condition holds or the time is up; returns the condition. */
inline bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMilliseconds = 10000)
{
    auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;

    while (! condition() && juce::Time::getMillisecondCounter() < deadline)
        runMessageLoopFor (20);

    return condition();
}

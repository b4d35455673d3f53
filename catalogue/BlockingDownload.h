#pragma once

#include <juce_core/juce_core.h>

/** A download made inside an operation: into a file, waited for by polling the
    framework's task every 50 ms. */
namespace BlockingDownload
{
    enum class Outcome
    {
        notStarted, // no connection, or the file could not be made
        failed,     // ended with an error, or left no file or an empty one
        complete
    };

    /** Downloads the address into the file with a plain GET and returns when it has ended. */
    Outcome run (juce::URL address, const juce::File& target);
}

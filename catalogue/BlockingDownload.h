#pragma once

#include <juce_core/juce_core.h>

/** A download made inside an operation: into a file, waited for by polling the
    transfer every 50 ms. */
namespace BlockingDownload
{
    /** Downloads the address into the file with a plain GET and returns when it has
        ended, or once nothing has arrived for the given time: the connect counts, and
        every byte received starts the time again.

        Succeeds only with status 200 and a complete body that is not empty; then the
        file holds it. Otherwise the file is left absent and the result says why. */
    juce::Result run (const juce::URL& address, const juce::File& target, int stallMilliseconds);
}

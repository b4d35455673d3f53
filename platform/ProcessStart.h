#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** Starting the maker's installers: the program itself by its full path, with its
    arguments as a list, never through a command interpreter, so that nothing
    rewrites the name or the arguments between the check and the start. The
    program gets the work folder as its temporary folder, starts in its own
    folder, inherits no handles, and its output goes nowhere. On Windows it gets
    the system's environment, not the user's, and a batch file is not started. */
namespace ProcessStart
{
    /** Starts the program and returns once its process exists; it runs on by
        itself. Returns false if it could not be started. */
    bool startDetached (const juce::File& program, const juce::StringArray& arguments, const juce::File& workFolder);

    /** Starts the program, waits for it to end and returns its exit code, or
        nothing if it could not be started. */
    std::optional<int> runAndWait (const juce::File& program, const juce::StringArray& arguments,
                                   const juce::File& workFolder);
}

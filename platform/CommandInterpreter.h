#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** The command lines that start the maker's installers, and their start.
    Windows: cmd.exe from the system folder, named by its full path, with its
    built-ins start and rmdir. Linux: /bin/sh. */
namespace CommandInterpreter
{
    /** A command that starts the program with one switch and ends at once,
        leaving the program to run on by itself. */
    juce::String startDetached (const juce::String& program, const juce::String& programSwitch);

    /** A command that starts the program with one switch, waits for it and ends
        with the program's exit code. */
    juce::String startAndWait (const juce::String& program, const juce::String& programSwitch);

    /** A command that deletes a folder with everything in it. */
    juce::String removeFolder (const juce::String& folder);

    /** A command that runs the program with the arguments and ends with its exit code. */
    juce::String runAndWait (const juce::String& program, const juce::String& arguments);

    /** Runs one of the commands above to its end; its output goes nowhere, so a
        child that writes much never blocks. Returns the command's exit code, or
        nothing if the interpreter cannot be started. */
    std::optional<int> run (const juce::String& command);
}

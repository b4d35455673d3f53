#pragma once

#include <juce_core/juce_core.h>

/** Starting a program for the signed-in user, such as the companion application
    after an install. The program runs as administrator; what it starts for the
    user must not: it gets the user's own rights, whatever folder it lies in. */
namespace UserProcess
{
    /** Starts the program with the rights of the signed-in user. Windows: with the
        token of the user's desktop shell, never this program's administrator
        token, and never an elevated one. Returns false, having started nothing,
        when it cannot (no shell, or a shell that runs elevated itself). */
    bool startAsSignedInUser (const juce::File& program);
}

#pragma once

#include <juce_core/juce_core.h>

/** Removing a folder that lies where a user may write, with the rights of this
    program, without ever following a link that the user may have planted. */
namespace FolderRemoval
{
    /** Removes the folder base/relativePath with everything in it. A link inside it
        (a symbolic link, a junction, any other reparse point) is removed itself,
        never what it points at; a link on the way down from base means nothing is
        removed. Returns true when the folder is gone or never was. */
    bool removeBelow (const juce::File& base, const juce::String& relativePath);
}

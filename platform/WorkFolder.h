#pragma once

#include <juce_core/juce_core.h>

/** The folders in which the program downloads, unpacks, checks and starts what it
    installs: each made fresh, and changeable only by administrators, so that no
    program of the signed-in user can swap or add a file between the check and
    the start. */
namespace WorkFolder
{
    /** Makes a new folder that did not exist before, for one install request or
        for the catalogue. Windows: QuenzInstall-{uuid} right in the machine's
        program-data folder, with a protected access list (SYSTEM and
        Administrators full control, users read and run). Linux: a folder of mode
        0700 in $TMPDIR (or /tmp). Returns a default-constructed File when no such
        folder can be made. */
    juce::File create();
}

#pragma once

#include <juce_core/juce_core.h>

/** The folders in which the program downloads, unpacks, checks and starts what it
    installs: each made fresh, and changeable only by administrators, so that no
    program of the signed-in user can swap or add a file between the check and
    the start. */
namespace WorkFolder
{
    /** Makes a new folder that did not exist before, for one install request or
        for the catalogue. Windows: Brelvox\QuenzInstall\{uuid} in the machine's
        program-data folder, with a protected access list (SYSTEM and Administrators
        full control, users read and run), every folder on the way checked to be no
        link and to be changeable only by administrators. Linux: a folder of mode
        0700 in $TMPDIR (or /tmp). Returns a default-constructed File when no such
        folder can be made. */
    juce::File create();

    /** True when the folder is a folder (not a link) that only administrators and
        the system can change: its owner is one of them, and nobody else may do
        more than read and run what is in it. Linux: its owner is this user or
        root, and neither group nor others may write. */
    bool onlyAdministratorsCanChange (const juce::File& folder);
}

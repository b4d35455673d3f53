#pragma once

#include <juce_core/juce_core.h>

/** The folders the operating system sets aside for the current user. */
namespace SpecialFolders
{
    /** The current user's roaming application-data folder: CSIDL_APPDATA on Windows,
        $XDG_CONFIG_HOME (or ~/.config) on Linux. Returns a default-constructed
        File when the operating system cannot tell. */
    juce::File getRoamingAppDataFolder();

    /** The current user's temporary folder: GetTempPathW on Windows, $TMPDIR (or
        /tmp) on Linux. */
    juce::File getTemporaryFolder();

    /** The machine-wide folder of the product picture cache: exactly
        C:\ProgramData\Brelvox\QuenzDriver on Windows; on Linux Brelvox/QuenzDriver
        in the first folder of $XDG_DATA_DIRS (or /usr/local/share). */
    juce::File getPictureCacheFolder();

    /** The native program-files folder on Windows: on 64-bit Windows the one of
        64-bit programs, also for a 32-bit process; otherwise CSIDL_PROGRAM_FILES.
        On Linux the first folder of $XDG_DATA_DIRS (or /usr/local/share).
        Default-constructed when the system cannot tell. */
    juce::File getProgramFilesFolder();

    /** The 32-bit program-files folder (CSIDL_PROGRAM_FILESX86) on Windows; on Linux
        the second folder of $XDG_DATA_DIRS (or /usr/share). */
    juce::File getProgramFilesX86Folder();
}

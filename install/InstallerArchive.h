#pragma once

#include <juce_core/juce_core.h>

/** Unpacking a downloaded ZIP archive and finding the installer in it. */
namespace InstallerArchive
{
    /** Unpacks the archive into the folder beside it named after it without its
        extension, in archive order, stopping at the first entry that cannot be
        unpacked (one that would land outside the folder, say). Returns the first
        *.exe lying directly in that folder, or the archive itself when there is none
        (and logs "<handleDownloadResult> decompression failed!"). */
    juce::File unpack (const juce::File& archive);
}

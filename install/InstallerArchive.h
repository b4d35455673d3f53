#pragma once

#include <juce_core/juce_core.h>

/** Unpacking a downloaded ZIP archive and finding the installer in it. */
namespace InstallerArchive
{
    /** Unpacks the archive into the folder beside it named after it without its
        extension, with unpackInto(). Returns the first *.exe lying directly in that
        folder. When the archive is refused or holds no such program, returns a
        default-constructed File and logs "<handleDownloadResult> decompression failed!":
        then nothing of it may be started. */
    juce::File unpack (const juce::File& archive);

    /** Unpacks the entries in archive order into the folder, overwriting files,
        and stops at the first entry that cannot be unpacked: one that would land
        outside the folder or pass through a link, a link itself, or one that holds
        more than it declares. Nothing is unpacked from an archive that declares
        more than 4096 entries or more than 4 GiB (2 GiB in one entry): no installer
        comes so. Returns true when every entry was unpacked. */
    bool unpackInto (juce::ZipFile& zip, const juce::File& folder);
}

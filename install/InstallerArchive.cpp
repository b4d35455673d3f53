#include "InstallerArchive.h"

namespace
{
    // The framework drops the permission bits of unpacked files; an installer
    // that was executable in the archive must stay so where that matters.
    void restoreExecutePermission (const juce::ZipFile::ZipEntry& entry, const juce::File& folder)
    {
        constexpr juce::uint32 anyExecuteBits = 0111;
        auto unixMode = entry.externalFileAttributes >> 16;

        if ((unixMode & anyExecuteBits) != 0)
            folder.getChildFile (entry.filename).setExecutePermission (true);
    }
}

juce::File InstallerArchive::unpack (const juce::File& archive)
{
    juce::Logger::writeToLog ("<handleDownloadResult> Detected ZIP file: " +
                              archive.getFullPathName().fromLastOccurrenceOf ("\\", false, false));

    juce::ZipFile zip (archive);
    auto folder = archive.getSiblingFile (archive.getFileNameWithoutExtension());

    if (! folder.exists())
        folder.createDirectory();

    for (int i = 0; i < zip.getNumEntries(); ++i)
    {
        if (zip.uncompressEntry (i, folder, juce::ZipFile::OverwriteFiles::yes, juce::ZipFile::FollowSymlinks::no)
                .failed())
            break;

        restoreExecutePermission (*zip.getEntry (i), folder);
    }

    auto installers = folder.findChildFiles (juce::File::findFiles, false, "*.exe");

    if (installers.isEmpty())
    {
        juce::Logger::writeToLog ("<handleDownloadResult> decompression failed!");
        return archive;
    }

    return installers.getFirst();
}

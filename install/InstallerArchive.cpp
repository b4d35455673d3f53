#include "InstallerArchive.h"

namespace
{
    constexpr int maximumEntries = 4096;
    constexpr juce::int64 maximumEntryBytes = (juce::int64) 2 << 30;
    constexpr juce::int64 maximumArchiveBytes = (juce::int64) 4 << 30;

    // The framework drops the permission bits of unpacked files; an installer
    // that was executable in the archive must stay so where that matters.
    void restoreExecutePermission (const juce::ZipFile::ZipEntry& entry, const juce::File& file)
    {
        constexpr juce::uint32 anyExecuteBits = 0111;
        auto unixMode = entry.externalFileAttributes >> 16;

        if ((unixMode & anyExecuteBits) != 0)
            file.setExecutePermission (true);
    }

    bool declaresTooMuch (const juce::ZipFile& zip)
    {
        if (zip.getNumEntries() > maximumEntries)
            return true;

        juce::int64 total = 0;

        for (int i = 0; i < zip.getNumEntries(); ++i)
        {
            auto size = zip.getEntry (i)->uncompressedSize;

            if (size < 0 || size > maximumEntryBytes || (total += size) > maximumArchiveBytes)
                return true;
        }

        return false;
    }

    bool passesThroughALink (const juce::File& folder, juce::File file)
    {
        for (file = file.getParentDirectory(); file != folder && file.isAChildOf (folder);
             file = file.getParentDirectory())
            if (file.isSymbolicLink())
                return true;

        return false;
    }

    // Copies the entry's content, but never more than it declared.
    bool writeEntry (juce::InputStream& content, juce::int64 declaredSize, const juce::File& target)
    {
        juce::FileOutputStream output (target);

        if (output.failedToOpen())
            return false;

        juce::HeapBlock<char> buffer (65536);
        juce::int64 written = 0;

        for (;;)
        {
            auto wanted = (int) juce::jmin ((juce::int64) 65536, declaredSize - written + 1);
            auto received = content.read (buffer.get(), wanted);

            if (received <= 0)
                break;

            if ((written += received) > declaredSize || ! output.write (buffer.get(), (size_t) received))
                return false;
        }

        output.flush();
        return output.getStatus().wasOk();
    }

    bool unpackEntry (juce::ZipFile& zip, int index, const juce::File& folder)
    {
        auto& entry = *zip.getEntry (index);
#if JUCE_WINDOWS
        auto entryPath = entry.filename;
#else
        auto entryPath = entry.filename.replaceCharacter ('\\', '/');
#endif

        if (entryPath.isEmpty())
            return true;

        auto target = folder.getChildFile (entryPath);

        if (! target.isAChildOf (folder) || entry.isSymbolicLink || passesThroughALink (folder, target))
            return false;

        if (entryPath.endsWithChar ('/') || entryPath.endsWithChar ('\\'))
            return target.createDirectory().wasOk();

        std::unique_ptr<juce::InputStream> content (zip.createStreamForEntry (index));

        if (content == nullptr || (target.exists() && ! target.deleteFile())
            || target.getParentDirectory().createDirectory().failed())
            return false;

        if (! writeEntry (*content, entry.uncompressedSize, target))
        {
            target.deleteFile();
            return false;
        }

        restoreExecutePermission (entry, target);
        return true;
    }
}

bool InstallerArchive::unpackInto (juce::ZipFile& zip, const juce::File& folder)
{
    if (declaresTooMuch (zip))
        return false;

    for (int i = 0; i < zip.getNumEntries(); ++i)
        if (! unpackEntry (zip, i, folder))
            return false;

    return true;
}

juce::File InstallerArchive::unpack (const juce::File& archive)
{
    juce::Logger::writeToLog ("<handleDownloadResult> Detected ZIP file: " +
                              archive.getFullPathName().fromLastOccurrenceOf ("\\", false, false));

    juce::ZipFile zip (archive);
    auto folder = archive.getSiblingFile (archive.getFileNameWithoutExtension());

    if (! folder.exists())
        folder.createDirectory();

    unpackInto (zip, folder);

    auto installers = folder.findChildFiles (juce::File::findFiles, false, "*.exe");

    if (installers.isEmpty())
    {
        juce::Logger::writeToLog ("<handleDownloadResult> decompression failed!");
        return archive;
    }

    return installers.getFirst();
}

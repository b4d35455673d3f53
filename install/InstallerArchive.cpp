#include "InstallerArchive.h"

namespace
{
    constexpr int maximumEntries = 4096;
    constexpr juce::int64 maximumEntryBytes = (juce::int64) 2 << 30;
    constexpr juce::int64 maximumArchiveBytes = (juce::int64) 4 << 30;
    constexpr int maximumPathLength = 1024;

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

    // An entry's name comes as the archive's bytes: the framework's text and file
    // functions take only valid UTF-8, and a control character or half a surrogate
    // pair would make a file that cannot be listed again.
    bool isProperText (const juce::String& name)
    {
        if (! juce::CharPointer_UTF8::isValidString (name.toRawUTF8(), std::numeric_limits<int>::max()))
            return false;

        for (auto character : name)
            if (character < 0x20 || character == 0x7f || (character >= 0xd800 && character <= 0xdfff) ||
                character > 0x10ffff)
                return false;

        return true;
    }

    // By the paths' text, as the framework's own test recurses once per folder level.
    bool liesInside (const juce::File& folder, const juce::File& file)
    {
        return file.getFullPathName().startsWith (folder.getFullPathName() + juce::File::getSeparatorString());
    }

    bool passesThroughALink (const juce::File& folder, const juce::File& file)
    {
        for (auto parent = file.getParentDirectory(); liesInside (folder, parent);)
        {
            if (parent.isSymbolicLink())
                return true;

            // Some odd names have a parent no shorter than themselves.
            auto next = parent.getParentDirectory();

            if (next.getFullPathName().length() >= parent.getFullPathName().length())
                return true;

            parent = next;
        }

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

        if (! isProperText (entry.filename))
            return false;

#if JUCE_WINDOWS
        auto entryPath = entry.filename;
#else
        auto entryPath = entry.filename.replaceCharacter ('\\', '/');
#endif

        if (entryPath.isEmpty())
            return true;

        // No installer's files lie that deep; a path of thousands of levels would
        // only cost time and stack.
        if (entryPath.length() > maximumPathLength)
            return false;

        auto target = folder.getChildFile (entryPath);

        if (! liesInside (folder, target) || entry.isSymbolicLink || passesThroughALink (folder, target))
            return false;

        if (entryPath.endsWithChar ('/') || entryPath.endsWithChar ('\\'))
            return target.createDirectory().wasOk();

        std::unique_ptr<juce::InputStream> content (zip.createStreamForEntry (index));

        if (content == nullptr || (target.exists() && ! target.deleteFile()) ||
            target.getParentDirectory().createDirectory().failed())
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

    auto installers = unpackInto (zip, folder) ? folder.findChildFiles (juce::File::findFiles, false, "*.exe")
                                               : juce::Array<juce::File>();

    if (installers.isEmpty())
    {
        juce::Logger::writeToLog ("<handleDownloadResult> decompression failed!");
        return {};
    }

    return installers.getFirst();
}

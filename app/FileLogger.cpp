#include "FileLogger.h"

#include "../platform/DebugOutput.h"
#include "../platform/FileSystem.h"
#include "../platform/OwnFolders.h"

namespace
{
    constexpr auto windowsLineEnd = "\r\n";

    // The log's folder and the maker's folder above it are the program's own.
    constexpr int numLogFolders = 2;
}

FileLogger::FileLogger (const juce::File& file, const juce::String& welcomeMessage) : logFile (file)
{
    appendToFile (welcomeMessage + windowsLineEnd, true);
}

void FileLogger::logMessage (const juce::String& message)
{
    appendToFile ("[" + juce::Time::getCurrentTime().formatted ("%Y-%m-%d %H:%M:%S") + "] " + message + windowsLineEnd,
                  false);

    DebugOutput::write (message + "\n");
}

void FileLogger::appendToFile (const juce::String& text, bool createIfMissing) const
{
    // The log lies in the user's folders, where a link put in place of the file or
    // of one of its folders would have the elevated program write wherever it points.
    OwnFolders folders (logFile.getParentDirectory(), numLogFolders,
                        createIfMissing ? OwnFolders::Creation::plain : OwnFolders::Creation::none);

    if (! folders.isOpen())
        return;

    juce::MemoryOutputStream bytes;
    bytes.writeText (text, false, false, windowsLineEnd);

    // Another writer holding the file (a second instance, say) costs this one line only.
    FileSystem::appendWithoutFollowingLinks (logFile, bytes.getData(), bytes.getDataSize(), createIfMissing);
}

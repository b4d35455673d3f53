#include "FileLogger.h"

#include "../platform/DebugOutput.h"
#include "../platform/FileSystem.h"

namespace
{
    constexpr int logBufferSize = 16384;
    constexpr auto windowsLineEnd = "\r\n";
}

FileLogger::FileLogger (const juce::File& file, const juce::String& welcomeMessage) : logFile (file)
{
    if (logFile.getFullPathName().isEmpty() || ! FileSystem::fileExists (logFile))
        if (logFile.create().failed())
            return;

    appendToFile (welcomeMessage + windowsLineEnd);
}

void FileLogger::logMessage (const juce::String& message)
{
    if (logFile.getFullPathName().isNotEmpty() && FileSystem::fileExists (logFile))
        appendToFile ("[" + juce::Time::getCurrentTime().formatted ("%Y-%m-%d %H:%M:%S") + "] " + message +
                      windowsLineEnd);

    DebugOutput::write (message + "\n");
}

void FileLogger::appendToFile (const juce::String& text) const
{
    juce::FileOutputStream stream (logFile, logBufferSize);

    // Another writer holding the file (a second instance, say) costs this one line only.
    if (stream.openedOk())
        stream.writeText (text, false, false, windowsLineEnd);
}

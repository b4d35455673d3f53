#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    The run-time log: appends every message, stamped with the local time, to one
    text file, and passes it unstamped to the debugger output.

    The file is opened anew for every message, so each line is on disk as soon as
    logMessage() returns and no handle stays open between messages. A log file that
    is deleted while the program runs is not created again.

    The file and the two folders it lies in (the maker's and the program's) are
    opened without following links: a line meant for a file or folder that a user
    replaced by a link, or for a file with a second name, is not written.
*/
class FileLogger : public juce::Logger
{
public:
    /** Creates the log file and its folders if they are missing, then appends the
        welcome text as the start line.

        If the file cannot be created, no start line is written and no later message
        reaches a file either; messages still go to the debugger output.
    */
    FileLogger (const juce::File& logFile, const juce::String& welcomeMessage);

    /** Appends "[YYYY-MM-DD HH:MM:SS] " + message + CR LF to the file if it exists,
        writing every bare line feed inside the message as CR LF, then sends the
        message plus one line feed to the debugger output.
    */
    void logMessage (const juce::String& message) override;

private:
    void appendToFile (const juce::String& text, bool createIfMissing) const;

    juce::File logFile;

    JUCE_DECLARE_NON_COPYABLE (FileLogger)
};

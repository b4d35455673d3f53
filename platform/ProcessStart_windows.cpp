#include "ProcessStart.h"

#include <windows.h>

#include <userenv.h>

#include <vector>

namespace
{
    // One argument as the C runtime's parser reads it back: quoted, with the
    // backslashes before a quote doubled. Nothing else reads the line, so % ! ^ &
    // stay what they are.
    juce::String quoted (const juce::String& argument)
    {
        juce::String result ("\"");
        int backslashes = 0;

        for (auto character : argument)
        {
            if (character == '\\')
            {
                ++backslashes;
                continue;
            }

            result << juce::String::repeatedString ("\\", character == '"' ? backslashes * 2 + 1 : backslashes);
            backslashes = 0;
            result << juce::String::charToString (character);
        }

        return result + juce::String::repeatedString ("\\", backslashes * 2) + "\"";
    }

    void append (std::vector<wchar_t>& block, const juce::String& entry)
    {
        auto text = entry.toWideCharPointer();
        block.insert (block.end(), text, text + wcslen (text) + 1);
    }

    // The system's environment, not this process's: the user can set variables
    // for their own programs (a profiler to load, a search path), and the
    // installer runs as administrator. TEMP and TMP point into the work folder.
    std::vector<wchar_t> environmentFor (const juce::File& workFolder)
    {
        std::vector<wchar_t> block;
        void* strings = nullptr;

        if (! CreateEnvironmentBlock (&strings, nullptr, FALSE))
            strings = nullptr;

        for (auto entry = static_cast<const wchar_t*> (strings); entry != nullptr && *entry != 0;
             entry += wcslen (entry) + 1)
        {
            juce::String variable (entry);
            auto name = variable.upToFirstOccurrenceOf ("=", false, false);

            if (! name.equalsIgnoreCase ("TEMP") && ! name.equalsIgnoreCase ("TMP"))
                append (block, variable);
        }

        if (strings != nullptr)
            DestroyEnvironmentBlock (strings);

        append (block, "TEMP=" + workFolder.getFullPathName());
        append (block, "TMP=" + workFolder.getFullPathName());
        block.push_back (0);
        return block;
    }

    HANDLE start (const juce::File& program, const juce::StringArray& arguments, const juce::File& workFolder)
    {
        // The system hands these to the command interpreter.
        if (program.hasFileExtension ("bat;cmd"))
            return nullptr;

        auto commandLine = quoted (program.getFullPathName());

        for (auto& argument : arguments)
            commandLine << " " << quoted (argument);

        auto environment = environmentFor (workFolder);
        // The system may write into the command line it is given.
        std::vector<wchar_t> line;
        append (line, commandLine);

        STARTUPINFOW startup = {};
        startup.cb = sizeof (startup);
        PROCESS_INFORMATION process = {};

        if (! CreateProcessW (program.getFullPathName().toWideCharPointer(), line.data(), nullptr, nullptr, FALSE,
                              CREATE_UNICODE_ENVIRONMENT, environment.data(),
                              program.getParentDirectory().getFullPathName().toWideCharPointer(), &startup, &process))
            return nullptr;

        CloseHandle (process.hThread);
        return process.hProcess;
    }
}

bool ProcessStart::startDetached (const juce::File& program, const juce::StringArray& arguments,
                                  const juce::File& workFolder)
{
    auto process = start (program, arguments, workFolder);

    if (process == nullptr)
        return false;

    CloseHandle (process);
    return true;
}

std::optional<int> ProcessStart::runAndWait (const juce::File& program, const juce::StringArray& arguments,
                                             const juce::File& workFolder)
{
    auto process = start (program, arguments, workFolder);

    if (process == nullptr)
        return {};

    DWORD exitCode = 1;
    WaitForSingleObject (process, INFINITE);
    GetExitCodeProcess (process, &exitCode);
    CloseHandle (process);
    return (int) exitCode;
}

#include "CommandInterpreter.h"

#include <windows.h>

namespace
{
    // The interpreter is named by its full path: a bare "cmd.exe" is looked for
    // beside the program and in the current folder first, where anyone may have put
    // one. Without the system folder there is no command at all.
    juce::String withInterpreter (const juce::String& command)
    {
        wchar_t systemFolder[MAX_PATH] = {};
        auto length = GetSystemDirectoryW (systemFolder, MAX_PATH);

        if (length == 0 || length >= MAX_PATH)
            return {};

        return "\"" + juce::String (systemFolder) + "\\cmd.exe\" /c " + command;
    }
}

juce::String CommandInterpreter::startDetached (const juce::String& program, const juce::String& programSwitch)
{
    return withInterpreter ("start \"\" \"" + program + "\" " + programSwitch);
}

juce::String CommandInterpreter::startAndWait (const juce::String& program, const juce::String& programSwitch)
{
    return withInterpreter ("start \"\" /wait \"" + program + "\" " + programSwitch);
}

juce::String CommandInterpreter::removeFolder (const juce::String& folder)
{
    return withInterpreter ("rmdir /s /q \"" + folder + "\"");
}

juce::String CommandInterpreter::runAndWait (const juce::String& program, const juce::String& arguments)
{
    // cmd.exe drops the first and the last quote of what follows /c, so the whole
    // command is quoted once more around the quoted program path.
    return withInterpreter ("\"\"" + program + "\" " + arguments + "\"");
}

std::optional<int> CommandInterpreter::run (const juce::String& command)
{
    juce::ChildProcess process;

    if (command.isEmpty() || ! process.start (command, 0))
        return {};

    process.waitForProcessToFinish (-1);
    return (int) process.getExitCode();
}

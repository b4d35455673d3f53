#include "CommandInterpreter.h"

juce::String CommandInterpreter::startDetached (const juce::String& program, const juce::String& programSwitch)
{
    return "cmd.exe /c start \"\" \"" + program + "\" " + programSwitch;
}

juce::String CommandInterpreter::removeFolder (const juce::String& folder)
{
    return "cmd.exe /c rmdir /s /q \"" + folder + "\"";
}

juce::String CommandInterpreter::runAndWait (const juce::String& program, const juce::String& arguments)
{
    // cmd.exe drops the first and the last quote of what follows /c, so the whole
    // command is quoted once more around the quoted program path.
    return "cmd.exe /c \"\"" + program + "\" " + arguments + "\"";
}

bool CommandInterpreter::start (juce::ChildProcess& process, const juce::String& command)
{
    return process.start (command, 0);
}

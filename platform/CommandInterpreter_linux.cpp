#include "CommandInterpreter.h"

namespace
{
    juce::String quotedForShell (const juce::String& text) { return "'" + text.replace ("'", "'\\''") + "'"; }
}

juce::String CommandInterpreter::startDetached (const juce::String& program, const juce::String& programSwitch)
{
    return "nohup " + quotedForShell (program) + " " + programSwitch + " >/dev/null 2>&1 &";
}

juce::String CommandInterpreter::startAndWait (const juce::String& program, const juce::String& programSwitch)
{
    return quotedForShell (program) + " " + programSwitch;
}

juce::String CommandInterpreter::removeFolder (const juce::String& folder)
{
    return "rm -rf " + quotedForShell (folder);
}

juce::String CommandInterpreter::runAndWait (const juce::String& program, const juce::String& arguments)
{
    return quotedForShell (program) + " " + arguments;
}

bool CommandInterpreter::start (juce::ChildProcess& process, const juce::String& command)
{
    return process.start (juce::StringArray{ "/bin/sh", "-c", command }, 0);
}

#include "CommandInterpreter.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

std::optional<int> CommandInterpreter::run (const juce::String& command)
{
    // Spawned rather than forked: a forked child runs this program's own code
    // until it starts the shell, and blocks for ever on any lock another thread
    // happened to hold at the fork (the sanitizer's allocator has such locks).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2 (&actions, STDOUT_FILENO, STDERR_FILENO);

    char* arguments[] = { const_cast<char*> ("/bin/sh"), const_cast<char*> ("-c"),
                          const_cast<char*> (command.toRawUTF8()), nullptr };
    pid_t child = 0;
    auto spawned = posix_spawn (&child, "/bin/sh", &actions, nullptr, arguments, environ) == 0;
    posix_spawn_file_actions_destroy (&actions);

    if (! spawned)
        return {};

    int state = 0;

    while (waitpid (child, &state, 0) < 0)
        if (errno != EINTR)
            return -1;

    return WIFEXITED (state) ? WEXITSTATUS (state) : -1;
}

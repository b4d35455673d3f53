#include "ProcessStart.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace
{
    // Spawned rather than forked: a forked child runs this program's own code
    // until it starts the installer, and blocks for ever on any lock another
    // thread happened to hold at the fork (the sanitizer's allocator has such locks).
    pid_t start (const juce::File& program, const juce::StringArray& arguments, const juce::File& workFolder)
    {
        juce::StringArray argumentStrings (program.getFullPathName());
        argumentStrings.addArray (arguments);

        std::vector<char*> argumentVector;

        for (auto& argument : argumentStrings)
            argumentVector.push_back (const_cast<char*> (argument.toRawUTF8()));

        argumentVector.push_back (nullptr);

        juce::StringArray environmentStrings;

        for (auto entry = environ; *entry != nullptr; ++entry)
            if (! juce::String (*entry).startsWith ("TMPDIR="))
                environmentStrings.add (*entry);

        environmentStrings.add ("TMPDIR=" + workFolder.getFullPathName());

        std::vector<char*> environmentVector;

        for (auto& entry : environmentStrings)
            environmentVector.push_back (const_cast<char*> (entry.toRawUTF8()));

        environmentVector.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2 (&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawn_file_actions_addchdir_np (&actions, program.getParentDirectory().getFullPathName().toRawUTF8());
        posix_spawn_file_actions_addclosefrom_np (&actions, STDERR_FILENO + 1);

        pid_t child = 0;
        auto spawned = posix_spawn (&child, program.getFullPathName().toRawUTF8(), &actions, nullptr,
                                    argumentVector.data(), environmentVector.data()) == 0;
        posix_spawn_file_actions_destroy (&actions);
        return spawned ? child : -1;
    }

    std::optional<int> waitFor (pid_t child)
    {
        int state = 0;

        while (waitpid (child, &state, 0) < 0)
            if (errno != EINTR)
                return -1;

        return WIFEXITED (state) ? WEXITSTATUS (state) : -1;
    }

    // Programs started to run on by themselves are reaped once they have ended,
    // at the next start and at the end of the program.
    struct DetachedChildren
    {
        ~DetachedChildren() { reapEnded(); }

        void add (pid_t child)
        {
            const juce::ScopedLock lock (guard);
            reapEnded();
            children.add (child);
        }

        void reapEnded()
        {
            const juce::ScopedLock lock (guard);

            for (int i = children.size(); --i >= 0;)
                if (waitpid (children[i], nullptr, WNOHANG) != 0)
                    children.remove (i);
        }

        juce::CriticalSection guard;
        juce::Array<pid_t> children;
    };

    DetachedChildren detachedChildren;
}

bool ProcessStart::startDetached (const juce::File& program, const juce::StringArray& arguments,
                                  const juce::File& workFolder)
{
    auto child = start (program, arguments, workFolder);

    if (child < 0)
        return false;

    detachedChildren.add (child);
    return true;
}

std::optional<int> ProcessStart::runAndWait (const juce::File& program, const juce::StringArray& arguments,
                                             const juce::File& workFolder)
{
    auto child = start (program, arguments, workFolder);

    if (child < 0)
        return {};

    return waitFor (child);
}

#include "ProcessTree.h"

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
        posix_spawn_file_actions_addopen (&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2 (&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawn_file_actions_addchdir_np (&actions, program.getParentDirectory().getFullPathName().toRawUTF8());
        posix_spawn_file_actions_addclosefrom_np (&actions, STDERR_FILENO + 1);

        // A process group of its own holds everything the installer starts, as
        // long as none of it makes a group or session of its own.
        posix_spawnattr_t attributes;
        posix_spawnattr_init (&attributes);
        posix_spawnattr_setflags (&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup (&attributes, 0);

        pid_t child = 0;
        auto spawned = posix_spawn (&child, program.getFullPathName().toRawUTF8(), &actions, &attributes,
                                    argumentVector.data(), environmentVector.data()) == 0;
        posix_spawnattr_destroy (&attributes);
        posix_spawn_file_actions_destroy (&actions);
        return spawned ? child : -1;
    }

    // Started programs that no tree waits for any more are reaped once they have
    // ended, at the next hand-over and at the end of the program.
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

struct ProcessTree::Handles
{
    pid_t processId = -1;
    std::optional<int> exitCode;
    // Kept for the threads that ask whether the tree runs while another waits for its end.
    juce::CriticalSection reaping;
};

ProcessTree::ProcessTree() = default;

ProcessTree::~ProcessTree()
{
    if (handles != nullptr && ! handles->exitCode.has_value())
        detachedChildren.add (handles->processId);
}

bool ProcessTree::start (const juce::File& program, const juce::StringArray& arguments, const juce::File& workFolder)
{
    if (handles != nullptr)
        return false;

    auto child = ::start (program, arguments, workFolder);

    if (child < 0)
        return false;

    handles = std::make_unique<Handles>();
    handles->processId = child;
    started.store (true, std::memory_order_release);
    return true;
}

std::optional<int> ProcessTree::waitForExitCode()
{
    if (! hasStarted())
        return {};

    int state = 0;
    pid_t waited = 0;

    while ((waited = waitpid (handles->processId, &state, 0)) < 0 && errno == EINTR)
        ;

    const juce::ScopedLock lock (handles->reaping);

    if (waited == handles->processId)
        handles->exitCode = WIFEXITED (state) ? WEXITSTATUS (state) : -1;

    return handles->exitCode.value_or (-1);
}

bool ProcessTree::contains (juce::uint32 processId) const
{
    return hasStarted() && getpgid ((pid_t) processId) == handles->processId;
}

bool ProcessTree::anyProcessRuns() const
{
    {
        // An ended program that nobody has reaped would still count.
        const juce::ScopedLock lock (handles->reaping);
        int state = 0;

        if (! handles->exitCode.has_value() && waitpid (handles->processId, &state, WNOHANG) == handles->processId)
            handles->exitCode = WIFEXITED (state) ? WEXITSTATUS (state) : -1;
    }

    // A member that changed its user cannot be signalled, but runs.
    return kill (-handles->processId, 0) == 0 || errno == EPERM;
}

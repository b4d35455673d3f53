#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <optional>

//==============================================================================
/**
    One of the maker's installers, started by this program, together with every
    process it starts in turn: a set-up often shows its dialog from a child.

    The program is started by its full path, with its arguments as a list, never
    through a command interpreter, so that nothing rewrites the name or the
    arguments between the check and the start. It gets the work folder as its
    temporary folder, starts in its own folder, inherits no handles, and its
    output goes nowhere. On Windows it gets the system's environment, not the
    user's, and a batch file is not started.

    A tree is made empty and started once, on any thread; the other threads that
    share it see it as started from then on.
*/
class ProcessTree
{
public:
    ProcessTree();

    /** Lets go of the tree; its processes run on. */
    ~ProcessTree();

    /** Starts the program. Returns false if it could not be started, or if this
        tree was started before. */
    bool start (const juce::File& program, const juce::StringArray& arguments, const juce::File& workFolder);

    /** Whether start() has started the program. */
    bool hasStarted() const noexcept { return started.load (std::memory_order_acquire); }

    /** Waits for the started program to end and returns its exit code, or nothing
        if it was not started. */
    std::optional<int> waitForExitCode();

    /** Whether the process with this system id belongs to the tree: the started
        program or a process that it or its descendants started and that still runs. */
    bool contains (juce::uint32 processId) const;

    /** Marks that start() is about to be called on another thread, or no longer:
        while the start is pending, the tree counts as running. */
    void setStartPending (bool pending) noexcept { startPending.store (pending); }

    /** Whether any process of the tree still runs, or its start is pending. */
    bool isRunning() const { return startPending.load() || (hasStarted() && anyProcessRuns()); }

private:
    // Once started: whether a process of the tree still runs.
    bool anyProcessRuns() const;

    struct Handles;
    std::unique_ptr<Handles> handles;
    std::atomic<bool> started{ false }, startPending{ false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProcessTree)
};

#include "ProcessTree.h"

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

    // A job of the installer's own, with no limits: a child of the installer that
    // is made without breaking away is counted in it, and one that asks to break
    // away (some set-ups do) may.
    HANDLE makeJob()
    {
        auto job = CreateJobObjectW (nullptr, nullptr);

        if (job == nullptr)
            return nullptr;

        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;

        // A job that refused the set-up's helpers their start would be worse than none.
        if (! SetInformationJobObject (job, JobObjectExtendedLimitInformation, &limits, sizeof (limits)))
        {
            CloseHandle (job);
            return nullptr;
        }

        return job;
    }
}

struct ProcessTree::Handles
{
    ~Handles()
    {
        CloseHandle (process);

        if (job != nullptr)
            CloseHandle (job);
    }

    HANDLE process = nullptr;
    // Without a job (a system that cannot give one here) the tree is the started process alone.
    HANDLE job = nullptr;
    DWORD processId = 0;
};

ProcessTree::ProcessTree() = default;
ProcessTree::~ProcessTree() = default;

bool ProcessTree::start (const juce::File& program, const juce::StringArray& arguments, const juce::File& workFolder)
{
    // The system hands these to the command interpreter.
    if (handles != nullptr || program.hasFileExtension ("bat;cmd"))
        return false;

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

    // Suspended until it is in its job, so that nothing it starts is missed.
    if (! CreateProcessW (program.getFullPathName().toWideCharPointer(), line.data(), nullptr, nullptr, FALSE,
                          CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment.data(),
                          program.getParentDirectory().getFullPathName().toWideCharPointer(), &startup, &process))
        return false;

    auto startedHandles = std::make_unique<Handles>();
    startedHandles->process = process.hProcess;
    startedHandles->processId = process.dwProcessId;
    startedHandles->job = makeJob();

    if (startedHandles->job != nullptr && ! AssignProcessToJobObject (startedHandles->job, process.hProcess))
    {
        CloseHandle (startedHandles->job);
        startedHandles->job = nullptr;
    }

    auto resumed = ResumeThread (process.hThread) != (DWORD) -1;
    CloseHandle (process.hThread);

    // Never left behind suspended.
    if (! resumed)
    {
        TerminateProcess (process.hProcess, 1);
        return false;
    }

    handles = std::move (startedHandles);
    started.store (true, std::memory_order_release);
    return true;
}

std::optional<int> ProcessTree::waitForExitCode()
{
    if (! hasStarted())
        return {};

    DWORD exitCode = 1;
    WaitForSingleObject (handles->process, INFINITE);
    GetExitCodeProcess (handles->process, &exitCode);
    return (int) exitCode;
}

bool ProcessTree::contains (juce::uint32 processId) const
{
    if (! hasStarted())
        return false;

    if (handles->job == nullptr)
        return processId == handles->processId && anyProcessRuns();

    // Room for the ids of a set-up and a good number of helpers; a larger tree is
    // asked for again with room for all.
    std::vector<ULONG_PTR> buffer (64);

    for (;;)
    {
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*> (buffer.data());
        auto size = (DWORD) (buffer.size() * sizeof (ULONG_PTR));
        list->NumberOfAssignedProcesses = 0;
        list->NumberOfProcessIdsInList = 0;

        auto complete = QueryInformationJobObject (handles->job, JobObjectBasicProcessIdList, list, size, nullptr);

        if (! complete && GetLastError() != ERROR_MORE_DATA)
            return false;

        if (list->NumberOfProcessIdsInList < list->NumberOfAssignedProcesses)
        {
            buffer.resize (list->NumberOfAssignedProcesses + 8);
            continue;
        }

        for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i)
            if (list->ProcessIdList[i] == processId)
                return true;

        return false;
    }
}

bool ProcessTree::anyProcessRuns() const
{
    if (handles->job != nullptr)
    {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};

        if (QueryInformationJobObject (handles->job, JobObjectBasicAccountingInformation, &accounting,
                                       sizeof (accounting), nullptr))
            return accounting.ActiveProcesses > 0;
    }

    return WaitForSingleObject (handles->process, 0) == WAIT_TIMEOUT;
}

#include "InstallerJobs.h"

#include "../platform/CommandInterpreter.h"
#include "../platform/FileSystem.h"
#include "../platform/SpecialFolders.h"

namespace
{
    // Runs the command to its end; returns false when it could not even start.
    bool runToEnd (juce::ChildProcess& process, const juce::String& command)
    {
        if (! CommandInterpreter::start (process, command))
            return false;

        process.waitForProcessToFinish (-1);
        return true;
    }

    // The final word of a job that reads the installer's exit code.
    void runAndReport (const juce::String& command, const StatusCallback& statusCallback)
    {
        juce::ChildProcess process;
        auto installed = runToEnd (process, command) && process.getExitCode() == 0;
        statusCallback (installed ? "Installed" : "Install error");
    }
}

void runQuietSwitch (juce::String installer, StatusCallback statusCallback)
{
    juce::ChildProcess process;

    if (! runToEnd (process, CommandInterpreter::startDetached (installer, "/S")))
        statusCallback ("Install error");
}

void runSilentSwitch (juce::String installer, StatusCallback statusCallback)
{
    runAndReport (CommandInterpreter::startAndWait (installer, "/silent"), statusCallback);
}

void runCommandLineInstall (juce::String installer, StatusCallback statusCallback)
{
    auto roamingData = SpecialFolders::getRoamingAppDataFolder();

    if (roamingData != juce::File())
    {
        auto oldInstaller = roamingData.getChildFile ("Brelvox").getChildFile ("Nuvo Max").getChildFile ("installer");

        if (FileSystem::fileExists (oldInstaller))
        {
            juce::ChildProcess removal;
            runToEnd (removal, CommandInterpreter::removeFolder (oldInstaller.getFullPathName()));
        }
    }

    runAndReport (CommandInterpreter::runAndWait (installer, "install --al -c"), statusCallback);
}

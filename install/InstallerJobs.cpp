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

    void reportExitCode (juce::ChildProcess& process, const StatusCallback& statusCallback)
    {
        statusCallback (process.getExitCode() == 0 ? "Installed" : "Install error");
    }
}

void runQuietSwitch (juce::String installer)
{
    juce::ChildProcess process;
    runToEnd (process, CommandInterpreter::startDetached (installer, "/S"));
}

void runSilentSwitch (juce::String installer, StatusCallback statusCallback)
{
    juce::ChildProcess process;

    if (runToEnd (process, CommandInterpreter::startDetached (installer, "/silent")))
        reportExitCode (process, statusCallback);
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

    juce::ChildProcess process;

    if (runToEnd (process, CommandInterpreter::runAndWait (installer, "install --al -c")))
        reportExitCode (process, statusCallback);
}

#include "InstallerJobs.h"

#include "../platform/CommandInterpreter.h"
#include "../platform/FileSystem.h"
#include "../platform/SpecialFolders.h"

namespace
{
    // The final word of a job that reads the installer's exit code.
    void runAndReport (const juce::String& command, const StatusCallback& statusCallback)
    {
        statusCallback (CommandInterpreter::run (command) == 0 ? "Installed" : "Install error");
    }
}

void runQuietSwitch (juce::String installer, StatusCallback statusCallback)
{
    if (! CommandInterpreter::run (CommandInterpreter::startDetached (installer, "/S")))
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
            CommandInterpreter::run (CommandInterpreter::removeFolder (oldInstaller.getFullPathName()));
    }

    runAndReport (CommandInterpreter::runAndWait (installer, "install --al -c"), statusCallback);
}

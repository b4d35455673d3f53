#include "InstallerJobs.h"

#include <juce_events/juce_events.h>

#include "../platform/CommandInterpreter.h"
#include "../platform/FileSystem.h"
#include "../platform/InstallerSignature.h"
#include "../platform/SpecialFolders.h"

namespace
{
    // Jobs run on threads of their own; the log is written on the message thread.
    void log (const juce::String& line)
    {
        juce::MessageManager::callAsync ([line] { juce::Logger::writeToLog (line); });
    }

    // Whether the job may start the installer: only when it carries the signer's
    // signature, or when no signer is named. Says in the log why not.
    bool mayStart (const InstallerSignature& signature, const juce::String& installer)
    {
        auto verdict = signature.getVerdict();

        if (verdict == InstallerSignature::Verdict::notChecked)
            log ("<InstallerJobs> installer signatures not checked");
        else if (verdict != InstallerSignature::Verdict::signedBySigner)
            log ("<InstallerJobs> not starting " + installer + ": " + InstallerSignature::describe (verdict));

        return verdict == InstallerSignature::Verdict::signedBySigner ||
               verdict == InstallerSignature::Verdict::notChecked;
    }

    // The final word of a job that reads the installer's exit code.
    void runAndReport (const juce::String& command, const StatusCallback& statusCallback)
    {
        statusCallback (CommandInterpreter::run (command) == 0 ? "Installed" : "Install error");
    }
}

void runQuietSwitch (juce::String installer, juce::String signer, StatusCallback statusCallback)
{
    InstallerSignature signature (installer, signer);

    if (! mayStart (signature, installer) ||
        ! CommandInterpreter::run (CommandInterpreter::startDetached (installer, "/S")))
        statusCallback ("Install error");
}

void runSilentSwitch (juce::String installer, juce::String signer, StatusCallback statusCallback)
{
    InstallerSignature signature (installer, signer);

    if (! mayStart (signature, installer))
        statusCallback ("Install error");
    else
        runAndReport (CommandInterpreter::startAndWait (installer, "/silent"), statusCallback);
}

void runCommandLineInstall (juce::String installer, juce::String signer, StatusCallback statusCallback)
{
    InstallerSignature signature (installer, signer);

    if (! mayStart (signature, installer))
    {
        statusCallback ("Install error");
        return;
    }

    auto roamingData = SpecialFolders::getRoamingAppDataFolder();

    if (roamingData != juce::File())
    {
        auto oldInstaller = roamingData.getChildFile ("Brelvox").getChildFile ("Nuvo Max").getChildFile ("installer");

        if (FileSystem::fileExists (oldInstaller))
            CommandInterpreter::run (CommandInterpreter::removeFolder (oldInstaller.getFullPathName()));
    }

    runAndReport (CommandInterpreter::runAndWait (installer, "install --al -c"), statusCallback);
}

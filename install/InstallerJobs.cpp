#include "InstallerJobs.h"

#include <juce_events/juce_events.h>

#include "../platform/FolderRemoval.h"
#include "../platform/InstallerSignature.h"
#include "../platform/SpecialFolders.h"

namespace
{
    // Jobs run on threads of their own; the log is written on the message thread.
    void log (const juce::String& line)
    {
        juce::MessageManager::callAsync ([line] { juce::Logger::writeToLog (line); });
    }

    // Whatever its name, a file that begins so is loaded or started as a program.
    bool isProgram (const juce::File& file)
    {
        juce::FileInputStream stream (file);
        char header[2] = {};
        return stream.openedOk() && stream.read (header, 2) == 2 && header[0] == 'M' && header[1] == 'Z';
    }

    // Whether the job may start the installer: only when it and every other
    // program in the work folder carry the signer's signature, or when no signer
    // is named. Each checked program stays held until the checks are let go of.
    // Says in the log why not.
    bool mayStart (const juce::File& installer, const juce::File& workFolder, const juce::String& signer,
                   juce::OwnedArray<InstallerSignature>& checks)
    {
        auto verdict = checks.add (new InstallerSignature (installer, signer))->getVerdict();
        auto refusal = "<InstallerJobs> not starting " + installer.getFullPathName() + ": ";

        if (verdict == InstallerSignature::Verdict::notChecked)
        {
            log ("<InstallerJobs> installer signatures not checked");
            return true;
        }

        if (verdict != InstallerSignature::Verdict::signedBySigner)
        {
            log (refusal + InstallerSignature::describe (verdict));
            return false;
        }

        for (auto& file : workFolder.findChildFiles (juce::File::findFiles, true))
        {
            if (file == installer || ! isProgram (file))
                continue;

            verdict = checks.add (new InstallerSignature (file, signer))->getVerdict();

            if (verdict != InstallerSignature::Verdict::signedBySigner)
            {
                log (refusal + InstallerSignature::describe (verdict) + " (" + file.getFullPathName() + ")");
                return false;
            }
        }

        return true;
    }

    // The final word of a job that reads the installer's exit code.
    void runAndReport (const juce::File& installer, const juce::StringArray& arguments, const juce::File& workFolder,
                       const StatusCallback& statusCallback, ProcessTree& setup)
    {
        auto exitCode = setup.start (installer, arguments, workFolder) ? setup.waitForExitCode() : std::nullopt;
        statusCallback (exitCode == 0 ? "Installed" : "Install error");
    }
}

void runQuietSwitch (juce::File installer, juce::File workFolder, juce::String signer, StatusCallback statusCallback,
                     std::shared_ptr<ProcessTree> setup)
{
    juce::OwnedArray<InstallerSignature> checks;

    if (! mayStart (installer, workFolder, signer, checks) || ! setup->start (installer, { "/S" }, workFolder))
        statusCallback ("Install error");
}

void runSilentSwitch (juce::File installer, juce::File workFolder, juce::String signer, StatusCallback statusCallback,
                      std::shared_ptr<ProcessTree> setup)
{
    juce::OwnedArray<InstallerSignature> checks;

    if (! mayStart (installer, workFolder, signer, checks))
        statusCallback ("Install error");
    else
        runAndReport (installer, { "/silent" }, workFolder, statusCallback, *setup);
}

void runCommandLineInstall (juce::File installer, juce::File workFolder, juce::String signer,
                            StatusCallback statusCallback, std::shared_ptr<ProcessTree> setup)
{
    juce::OwnedArray<InstallerSignature> checks;

    if (! mayStart (installer, workFolder, signer, checks))
    {
        statusCallback ("Install error");
        return;
    }

    auto roamingData = SpecialFolders::getRoamingAppDataFolder();

    if (roamingData != juce::File())
        FolderRemoval::removeBelow (roamingData, "Brelvox/Nuvo Max/installer");

    runAndReport (installer, { "install", "--al", "-c" }, workFolder, statusCallback, *setup);
}

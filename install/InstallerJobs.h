#pragma once

#include <juce_core/juce_core.h>

#include <functional>

#include "../platform/ProcessTree.h"

/** Reports a status word of the download and install side; safe to call from any thread. */
using StatusCallback = std::function<void (juce::String)>;

/*  Each job runs on a thread of its own and starts its installer by itself, by
    its full path, with the request's work folder as its temporary folder. When a
    signer is given, a job starts its installer only if the installer and every
    other program in the work folder (any file that begins as a Windows program
    does, whatever its name) carry that signer's valid signature; otherwise it logs
    the file and the reason and reports "Install error". Without a signer it logs
    that signatures were not checked, and starts the installer. The installer is
    started in the process tree given, through which the caller can follow it. */

/** Starts the installer with the quiet switch "/S" and returns once its process
    exists. Reports nothing when the installer was started: the dialog automation
    follows the set-up. Reports "Install error" when it could not be started. */
void runQuietSwitch (juce::File installer, juce::File workFolder, juce::String signer, StatusCallback statusCallback,
                     std::shared_ptr<ProcessTree> setup = std::make_shared<ProcessTree>());

/** Runs the installer with the switch "/silent", waits for it to end, and reports
    "Installed" when it ended with 0, otherwise (not startable included) "Install error". */
void runSilentSwitch (juce::File installer, juce::File workFolder, juce::String signer, StatusCallback statusCallback,
                      std::shared_ptr<ProcessTree> setup = std::make_shared<ProcessTree>());

/** Removes the old installer folder (Brelvox/Nuvo Max/installer in the roaming
    application-data folder) if there is one, without following links, then runs
    the installer with "install --al -c" and reports "Installed" for exit code 0,
    otherwise (not startable included) "Install error". */
void runCommandLineInstall (juce::File installer, juce::File workFolder, juce::String signer,
                            StatusCallback statusCallback,
                            std::shared_ptr<ProcessTree> setup = std::make_shared<ProcessTree>());

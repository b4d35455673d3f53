#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** Reports a status word of the download and install side; safe to call from any thread. */
using StatusCallback = std::function<void (juce::String)>;

/** Starts the installer with the quiet switch "/S" and returns once the command
    interpreter has ended. Reports nothing: the dialog automation follows the set-up. */
void runQuietSwitch (juce::String installer);

/** Starts the installer with the switch "/silent" and reports "Installed" when the
    command interpreter ends with 0, otherwise "Install error"; nothing if it cannot start. */
void runSilentSwitch (juce::String installer, StatusCallback statusCallback);

/** Deletes the old installer folder (Brelvox/Nuvo Max/installer in the roaming
    application-data folder) if there is one, then runs the installer with
    "install --al -c" and reports "Installed" for exit code 0, otherwise "Install error". */
void runCommandLineInstall (juce::String installer, StatusCallback statusCallback);

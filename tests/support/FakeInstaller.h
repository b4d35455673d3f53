#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    Stand-in installers for the job tests: each records the arguments it was
    started with in "<its path>.ran", its temporary folder and current folder in
    "<its path>.env", and ends with the exit code asked for. On
    Windows it is a copy of tools/fake-installer (named by QUENZ_FAKE_INSTALLER),
    elsewhere a shell script. A slow one takes three seconds before it records
    its arguments and ends. A parent first starts a child process that runs six
    seconds, and writes its process id into "<its path>.child".
*/
struct FakeInstaller
{
    static juce::File make (const juce::File& folder, const juce::String& name, int exitCode, bool chatty = false,
                            bool slow = false, bool parent = false)
    {
        folder.createDirectory();
        auto fileName = name + (exitCode != 0 ? " fail" : "") + (chatty ? " chatty" : "") + (slow ? " slow" : "") +
                        (parent ? " parent" : "") + ".exe";
        auto installer = folder.getChildFile (fileName);

#if JUCE_WINDOWS
        juce::File (juce::SystemStats::getEnvironmentVariable ("QUENZ_FAKE_INSTALLER", {})).copyFileTo (installer);
#else
        installer.replaceWithText (
            juce::String ("#!/bin/sh\n") + (chatty ? "head -c 262144 /dev/zero\n" : "") + (slow ? "sleep 3\n" : "") +
                (parent ? "sleep 6 &\necho $! > \"$0.child\"\n" : "") +
                "printf 'TMPDIR=%s\\nfolder=%s\\n' \"$TMPDIR\" \"$(pwd)\" > \"$0.env\"\n" +
                "printf '%s\\n' \"$*\" > \"$0.ran\"\n" + "exit " + juce::String (exitCode) + "\n",
            false, false, "\n");
        installer.setExecutePermission (true);
#endif

        return installer;
    }

    /** What the installer was started with, once it has run; waits up to ten seconds. */
    static juce::String waitForArguments (const juce::File& installer)
    {
        auto record = installer.getSiblingFile (installer.getFileName() + ".ran");

        for (int i = 0; i < 500 && ! record.existsAsFile(); ++i)
            juce::Thread::sleep (20);

        juce::Thread::sleep (50);
        return record.loadFileAsString().trim();
    }

    /** The lines of "<its path>.env" once it has run. */
    static juce::StringArray readEnvironment (const juce::File& installer)
    {
        waitForArguments (installer);
        return juce::StringArray::fromLines (
            installer.getSiblingFile (installer.getFileName() + ".env").loadFileAsString().trim());
    }
};

#include "SpecialFolders.h"

namespace
{
    juce::File getFolderFromEnvironment (const char* variable, const juce::File& fallback)
    {
        auto value = juce::SystemStats::getEnvironmentVariable (variable, {});

        // Relative values are invalid by the XDG rules and are ignored like empty ones.
        if (juce::File::isAbsolutePath (value))
            return juce::File (value);

        return fallback;
    }
}

juce::File SpecialFolders::getRoamingAppDataFolder()
{
    return getFolderFromEnvironment (
        "XDG_CONFIG_HOME", juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".config"));
}

juce::File SpecialFolders::getTemporaryFolder() { return getFolderFromEnvironment ("TMPDIR", juce::File ("/tmp")); }

namespace
{
    // The machine-wide data folders, $XDG_DATA_DIRS, in order; relative entries are ignored.
    juce::File getMachineDataFolder (int index)
    {
        juce::StringArray folders;

        for (auto& folder :
             juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_DIRS", {}), ":", {}))
            if (juce::File::isAbsolutePath (folder))
                folders.add (folder);

        if (folders.isEmpty())
            folders = { "/usr/local/share", "/usr/share" };

        return juce::File (folders[juce::jmin (index, folders.size() - 1)]);
    }
}

juce::File SpecialFolders::getPictureCacheFolder()
{
    return getMachineDataFolder (0).getChildFile ("Brelvox").getChildFile ("QuenzDriver");
}

juce::File SpecialFolders::getProgramFilesFolder() { return getMachineDataFolder (0); }

juce::File SpecialFolders::getProgramFilesX86Folder() { return getMachineDataFolder (1); }

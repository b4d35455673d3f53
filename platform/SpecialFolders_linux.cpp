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

juce::File SpecialFolders::getPictureCacheFolder()
{
    auto dataFolders =
        juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_DIRS", {}), ":", {});
    juce::File machineData ("/usr/local/share");

    for (auto& folder : dataFolders)
    {
        if (juce::File::isAbsolutePath (folder))
        {
            machineData = juce::File (folder);
            break;
        }
    }

    return machineData.getChildFile ("Brelvox").getChildFile ("QuenzDriver");
}

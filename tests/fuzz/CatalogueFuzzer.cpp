// libFuzzer target: any bytes as a catalogue file must give a record or the log
// line of a refused file, never a crash, a hang or a leak.

#include <cstddef>
#include <cstdint>

#include <unistd.h>

#include "catalogue/DeviceDatabase.h"

namespace
{
    class SilentLogger : public juce::Logger
    {
        void logMessage (const juce::String&) override {}
    };

    const juce::File& getCatalogueFile()
    {
        static const juce::File file = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                           .getChildFile ("quenz-catalogue-fuzz-" + juce::String (getpid()) + ".xml");
        return file;
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    static SilentLogger logger;
    juce::Logger::setCurrentLogger (&logger);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    getCatalogueFile().replaceWithData (data, size);

    for (auto* platform : { "win64", "win32" })
        DeviceDatabase record (getCatalogueFile(), "0xA1", platform);

    return 0;
}

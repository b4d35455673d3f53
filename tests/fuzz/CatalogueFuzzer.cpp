// libFuzzer target: any bytes as a catalogue must give, for each record built
// from them, either the record's log lines or the log line of a refused file;
// never a crash, a hang or a leak. The bytes stay in memory.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "catalogue/DeviceDatabase.h"

namespace
{
    // Tells which of the two endings a record wrote.
    class OutcomeLogger : public juce::Logger
    {
    public:
        void logMessage (const juce::String& message) override
        {
            if (message == "<DeviceDatabase> Invalid XML file or wrong root element!")
                ++refusals;
            else if (message.startsWith ("\n<DeviceDatabase::displayData> _driverTypeList:"))
                ++records;
        }

        int refusals = 0, records = 0;
    };

    OutcomeLogger& getLogger()
    {
        static OutcomeLogger logger;
        return logger;
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::Logger::setCurrentLogger (&getLogger());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto catalogue = DeviceDatabase::parseCatalogue (juce::MemoryBlock (data, size));

    for (auto* platform : { "win64", "win32" })
    {
        auto& logger = getLogger();
        logger.refusals = logger.records = 0;

        DeviceDatabase record (catalogue.get(), "0x00A1", platform);

        if (logger.refusals + logger.records != 1)
            std::abort();
    }

    return 0;
}

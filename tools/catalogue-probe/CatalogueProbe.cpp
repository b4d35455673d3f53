// Lets a person try catalogues and the USB scan by hand.
//
//   catalogue_probe FILE DEVICEID   builds the device record from the catalogue file and
//                                   prints every message it logs, one per line, as logged
//   catalogue_probe --scan          prints the device ids of the maker's connected devices

#include <juce_core/juce_core.h>

#include <cstdio>

#include "catalogue/DeviceDatabase.h"
#include "devices/UsbDeviceScan.h"

namespace
{
    class StandardOutputLogger : public juce::Logger
    {
    public:
        void logMessage (const juce::String& message) override { std::fputs ((message + "\n").toRawUTF8(), stdout); }
    };
}

int main (int argc, char* argv[])
{
    if (argc == 2 && juce::String (argv[1]) == "--scan")
    {
        for (auto& deviceId : scanUsbDevices())
            std::printf ("%s\n", deviceId.toRawUTF8());

        return 0;
    }

    if (argc == 3)
    {
        StandardOutputLogger logger;
        juce::Logger::setCurrentLogger (&logger);
        DeviceDatabase record (juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[1])),
                               juce::String::fromUTF8 (argv[2]));
        juce::Logger::setCurrentLogger (nullptr);
        return 0;
    }

    std::fprintf (stderr, "usage: catalogue_probe FILE DEVICEID\n       catalogue_probe --scan\n");
    return 2;
}

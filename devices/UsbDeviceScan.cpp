#include "UsbDeviceScan.h"

#include "../platform/UsbDevices.h"

juce::StringArray scanUsbDevices()
{
    juce::StringArray result;

    UsbDevices::forEachPresentDevice (
        [&result] (const char* hardwareIdText)
        {
            juce::String hardwareId (hardwareIdText);

            if (extractUsbId (hardwareId, "VID_") != makerVendorId)
                return;

            result.addIfNotAlreadyThere (extractUsbId (hardwareId, "PID_"));
        });

    return result;
}

juce::String extractUsbId (const juce::String& hardwareId, juce::String prefix)
{
    int position = 0;

    if (prefix.isNotEmpty())
    {
        position = hardwareId.indexOfIgnoreCase (prefix);

        if (position < 0)
            return {};
    }

    // Four is the length of both prefixes in use, "VID_" and "PID_".
    auto digits = hardwareId.substring (position + 4, position + 8);

    if (! digits.containsOnly ("0123456789ABCDEFabcdef"))
        return {};

    return "0x" + digits;
}

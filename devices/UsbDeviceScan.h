#pragma once

#include <juce_core/juce_core.h>

/** The maker's vendor id as the scan compares it. */
constexpr auto makerVendorId = "0x2E71";

/** Lists the device ids ("0x" + four hexadecimal digits, such as "0x00A1") of the
    maker's USB devices that are plugged in now: distinct, in the order in which the
    operating system lists them. Empty when there are none or the list cannot be had. */
juce::StringArray scanUsbDevices();

/** Returns "0x" + the four characters that follow the prefix in the hardware id
    (found without regard to case; an empty prefix means the start), or an empty
    string when the prefix is missing or those characters are not all hexadecimal.
    The digits keep the case in which they stand. */
juce::String extractUsbId (const juce::String& hardwareId, juce::String prefix);

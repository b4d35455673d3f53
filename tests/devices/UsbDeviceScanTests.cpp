#include <gtest/gtest.h>

#include "devices/UsbDeviceScan.h"

TEST (ExtractUsbId, TakesTheFourCharactersAfterThePrefix)
{
    struct Case
    {
        const char* hardwareId;
        const char* prefix;
        const char* expected;
    };

    const Case cases[] = {
        { "USB\\VID_2E71&PID_00A1&REV_0100", "VID_", "0x2E71" },
        { "USB\\VID_2E71&PID_00A1&REV_0100", "PID_", "0x00A1" },
        { "USB\\VID_2E71&PID_00A1&MI_01", "PID_", "0x00A1" },
        { "USB\\vid_2e71&pid_00a1", "VID_", "0x2e71" }, // found without regard to case, kept as written
        { "USB\\VID_2E71", "PID_", "" },                // no product part
        { "USB\\VID_2E71&PID_00G1", "PID_", "" },       // not hexadecimal
        { "USB\\VID_2E71&PID_0A", "PID_", "0x0A" },     // the text ends sooner
        { "USB\\VID_2E71&PID_", "PID_", "0x" },
        { "ROOT_HUB30", "VID_", "" },
        { "ABCD1234", "", "0x1234" }, // an empty prefix stands at the start
    };

    for (auto& c : cases)
        EXPECT_EQ (extractUsbId (c.hardwareId, c.prefix), c.expected) << c.hardwareId << " after " << c.prefix;
}

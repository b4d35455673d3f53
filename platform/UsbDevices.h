#pragma once

#include <functional>

/** The USB devices that are plugged in now, as the operating system lists them. */
namespace UsbDevices
{
    /** Calls back once per present USB device node (interface nodes of composite
        devices included) with its first, most specific hardware id, such as
        "USB\VID_2E71&PID_00A1&REV_0100". Devices whose id cannot be read are
        skipped; if the list of devices cannot be had, there is no call at all. */
    void forEachPresentDevice (const std::function<void (const char* hardwareId)>& callback);
}

#include "UsbDevices.h"

#include <juce_core/juce_core.h>

// Linux has no hardware-id text: it is composed here from sysfs in the Windows
// form, uppercase with leading zeros kept, so that the rest of the program reads
// it the same way. Interface nodes carry their device's ids, as on Windows.
namespace
{
    juce::String readAttribute (const juce::File& node, const char* name)
    {
        return node.getChildFile (name).loadFileAsString().trim().toUpperCase();
    }

    juce::String makeHardwareId (const juce::File& node)
    {
        if (node.getChildFile ("idVendor").existsAsFile())
            return "USB\\VID_" + readAttribute (node, "idVendor") + "&PID_" + readAttribute (node, "idProduct") +
                   "&REV_" + readAttribute (node, "bcdDevice");

        if (node.getChildFile ("bInterfaceNumber").existsAsFile())
        {
            auto device = node.getParentDirectory();

            if (device.getChildFile ("idVendor").existsAsFile())
                return "USB\\VID_" + readAttribute (device, "idVendor") + "&PID_" +
                       readAttribute (device, "idProduct") + "&MI_" + readAttribute (node, "bInterfaceNumber");
        }

        return {};
    }
}

void UsbDevices::forEachPresentDevice (const std::function<void (const char* hardwareId)>& callback)
{
    juce::File devices ("/sys/bus/usb/devices");
    auto nodes = devices.findChildFiles (juce::File::findFilesAndDirectories, false);
    nodes.sort();

    for (auto& link : nodes)
    {
        auto node = link.isSymbolicLink() ? link.getLinkedTarget() : link;
        auto hardwareId = makeHardwareId (node);

        if (hardwareId.isNotEmpty())
            callback (hardwareId.toRawUTF8());
    }
}

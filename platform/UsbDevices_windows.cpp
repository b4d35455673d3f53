#include "UsbDevices.h"

#include <windows.h>
#include <setupapi.h>

void UsbDevices::forEachPresentDevice (const std::function<void (const char* hardwareId)>& callback)
{
    auto deviceSet = SetupDiGetClassDevsA (nullptr, "USB", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);

    if (deviceSet == INVALID_HANDLE_VALUE)
        return;

    SP_DEVINFO_DATA deviceInfo{};
    deviceInfo.cbSize = sizeof (SP_DEVINFO_DATA);

    for (DWORD index = 0; SetupDiEnumDeviceInfo (deviceSet, index, &deviceInfo); ++index)
    {
        BYTE hardwareIds[256] = {};

        if (! SetupDiGetDeviceRegistryPropertyA (deviceSet, &deviceInfo, SPDRP_HARDWAREID, nullptr, hardwareIds,
                                                 sizeof (hardwareIds), nullptr))
            continue;

        // The buffer holds a list of NUL-terminated ids; the first is the most specific.
        callback (reinterpret_cast<const char*> (hardwareIds));
    }

    SetupDiDestroyDeviceInfoList (deviceSet);
}

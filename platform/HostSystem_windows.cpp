#include "HostSystem.h"

#include <windows.h>

bool HostSystem::isRunningUnderWine()
{
    auto ntdll = GetModuleHandleW (L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress (ntdll, "wine_get_version") != nullptr;
}

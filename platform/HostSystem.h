#pragma once

/** Facts about the system the program runs on that the framework does not give. */
namespace HostSystem
{
    /** True when this Windows program runs under Wine rather than on Windows itself. */
    bool isRunningUnderWine();
}

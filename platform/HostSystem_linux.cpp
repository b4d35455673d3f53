#include "HostSystem.h"

#include <chrono>
#include <thread>

bool HostSystem::isRunningUnderWine() { return false; }

void HostSystem::sleepMilliseconds (int milliseconds)
{
    std::this_thread::sleep_for (std::chrono::milliseconds (milliseconds));
}

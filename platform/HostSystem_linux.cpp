#include "HostSystem.h"

bool HostSystem::isRunningUnderWine() { return false; }

#include "WineRepaintPump.h"

#include "../platform/HostSystem.h"

WineRepaintPump::WineRepaintPump()
{
    if (HostSystem::isRunningUnderWine())
        startTimerHz (60);
}

WineRepaintPump::~WineRepaintPump() { stopTimer(); }

void WineRepaintPump::timerCallback()
{
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer (i))
            peer->performAnyPendingRepaintsNow();
}

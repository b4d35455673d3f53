#pragma once

//==============================================================================
/**
    How long the automation of a driver set-up's dialog waits, in milliseconds;
    counted in the monitor's ticks of half a second.
*/
struct DialogLimits
{
    /** How long the set-up may show no dialog whose page is known, from the start
        of its installer on, or from its last known page. */
    int dialogTimeOut = 30000;

    /** How long the whole road may take, from the downloaded installer to the
        set-up's last page: a real driver installation takes a few minutes. */
    int wholeRoad = 20 * 60 * 1000;
};

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "../ui/InstallRequest.h"

/** After a successful install: finding the installed companion application, and
    offering to start it. */
namespace CompanionLaunch
{
    /** The companion's executable, Brelvox/<folder>/<name>.exe, under the first of
        the program-files folder, the 32-bit program-files folder and the roaming
        application-data folder where it exists as a file; when it exists under none,
        the candidate under the roaming application-data folder. */
    juce::File findExecutable (const juce::String& softwareName);

    /** Looks for the companion of the request's software and, when it is there, asks
        in the request's language whether to start it; starts it on the first button.
        Returns at once: the question does not block. */
    void offer (const InstallRequest& request, juce::Component* associatedComponent);
}

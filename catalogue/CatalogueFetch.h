#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/** The catalogue's address: "https://" + the catalogue host this program was
    built with + "/brelvox/release/software/list.xml". In a build with the test
    seams, a set environment variable QUENZ_CATALOGUE_URL replaces the whole
    address (for tests and demonstrations); the shipped build has no such seam,
    since anything of the user's could set it. */
juce::String getCatalogueAddress();

/** Downloads the catalogue into the folder as "list.xml", by way of
    "temp_download.xml" beside it, and waits for the download to end. The folder
    should be this run's own: another run could otherwise replace or delete the
    catalogue this one reads.

    The new catalogue replaces list.xml only when the server answered with status
    200 and a complete body that is not empty; otherwise whatever list.xml was there
    stays. A server that sends nothing for 15 seconds, the connect included, fails
    the fetch. Logs "XML file downloaded successfully: " + path, or
    "Failed to download XML file: " + the reason.

    Returns the catalogue file, list.xml in that folder, whatever the outcome.
*/
juce::File fetchCatalogue (const juce::URL& catalogueAddress, const juce::File& temporaryFolder);

/** How long the catalogue fetch may receive nothing before it fails. */
constexpr int catalogueStallMilliseconds = 15000;

#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/** The catalogue's address: "https://" + the catalogue host this program was
    built with + "/brelvox/release/software/list.xml". When the environment
    variable QUENZ_CATALOGUE_URL is set, its value replaces the whole address
    (for tests and demonstrations). */
juce::String getCatalogueAddress();

/** Downloads the catalogue into the folder as "list.xml", by way of
    "temp_download.xml" beside it, and waits for the download to end.

    The new catalogue replaces list.xml only when the download completed without an
    error and is not empty; otherwise whatever list.xml was there stays. Logs
    "XML file downloaded successfully: " + path, or "Failed to download XML file";
    logs nothing when the download cannot even start.

    Returns the catalogue file, list.xml in that folder, whatever the outcome.
*/
juce::File fetchCatalogue (juce::URL catalogueAddress, const juce::File& temporaryFolder);

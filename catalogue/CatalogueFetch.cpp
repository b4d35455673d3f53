#include "CatalogueFetch.h"

#include "BlockingDownload.h"

juce::String getCatalogueAddress()
{
    auto replacement = juce::SystemStats::getEnvironmentVariable ("QUENZ_CATALOGUE_URL", {});

    if (replacement.isNotEmpty())
        return replacement;

    return juce::String ("https://") + QUENZ_CATALOGUE_HOST + "/brelvox/release/software/list.xml";
}

juce::File fetchCatalogue (juce::URL catalogueAddress, const juce::File& temporaryFolder)
{
    auto catalogueFile = temporaryFolder.getChildFile ("list.xml");
    auto target = catalogueFile.getParentDirectory().getChildFile ("temp_download.xml");

    auto outcome = BlockingDownload::run (catalogueAddress, target);

    if (outcome == BlockingDownload::Outcome::notStarted)
        return catalogueFile;

    if (outcome == BlockingDownload::Outcome::complete)
    {
        if (catalogueFile.exists())
            catalogueFile.deleteFile();

        if (target.moveFileTo (catalogueFile))
            juce::Logger::writeToLog ("XML file downloaded successfully: " + catalogueFile.getFullPathName());
    }
    else
    {
        juce::Logger::writeToLog ("Failed to download XML file");
    }

    return catalogueFile;
}

#include "CatalogueFetch.h"

#include "BlockingDownload.h"

juce::String getCatalogueAddress()
{
#if QUENZ_TEST_SEAMS
    auto replacement = juce::SystemStats::getEnvironmentVariable ("QUENZ_CATALOGUE_URL", {});

    if (replacement.isNotEmpty())
        return replacement;
#endif

    return juce::String ("https://") + QUENZ_CATALOGUE_HOST + "/brelvox/release/software/list.xml";
}

juce::File fetchCatalogue (const juce::URL& catalogueAddress, const juce::File& temporaryFolder)
{
    auto catalogueFile = temporaryFolder.getChildFile ("list.xml");
    auto target = catalogueFile.getParentDirectory().getChildFile ("temp_download.xml");

    auto result = BlockingDownload::run (catalogueAddress, target, catalogueStallMilliseconds);

    if (result.failed())
    {
        juce::Logger::writeToLog ("Failed to download XML file: " + result.getErrorMessage());
        return catalogueFile;
    }

    if (catalogueFile.exists())
        catalogueFile.deleteFile();

    if (target.moveFileTo (catalogueFile))
        juce::Logger::writeToLog ("XML file downloaded successfully: " + catalogueFile.getFullPathName());

    return catalogueFile;
}

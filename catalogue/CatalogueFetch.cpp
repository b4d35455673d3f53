#include "CatalogueFetch.h"

#include "../platform/HostSystem.h"

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

    auto task = catalogueAddress.downloadToFile (target, juce::URL::DownloadTaskOptions());

    if (task == nullptr)
        return catalogueFile;

    while (! task->isFinished())
        HostSystem::sleepMilliseconds (50);

    if (! task->hadError() && target.existsAsFile() && target.getSize() > 0)
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

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "support/Printers.h"

#include "catalogue/CatalogueFetch.h"
#include "catalogue/DeviceDatabase.h"
#include "catalogue/FileDownload.h"
#include "support/LogCapture.h"
#include "support/MakerServer.h"
#include "support/TemporaryFolder.h"

namespace
{
    const juce::String
        goodCatalogue ("<list driverBaseUrlCN=\"https://dl.example\">"
                       "<item pid=\"161\" name=\"Q\" type=\"nuvo\" os=\"win64\" file=\"n.zip\"/></list>");

    struct FetchFixture : public testing::Test
    {
        FetchFixture() { oldCatalogue.replaceWithText ("old catalogue"); }

        // A transfer given up on ends on its own thread, a little later.
        ~FetchFixture() override { FileDownload::waitForAllToEnd (10000); }

        juce::File fetch (const juce::String& address)
        {
            return fetchCatalogue (juce::URL (address), temporary.getFolder());
        }

        juce::String uniquePath (const juce::String& name) const { return juce::Uuid().toString() + "/" + name; }

        TemporaryFolder temporary;
        juce::File oldCatalogue{ temporary.getFolder().getChildFile ("list.xml") };
        LogCapture log;
    };
}

TEST_F (FetchFixture, ReplacesTheCatalogueWithACompleteDownload)
{
    auto address = MakerServer::publish (uniquePath ("list.xml"), goodCatalogue);

    auto catalogueFile = fetch (address);

    EXPECT_EQ (catalogueFile, oldCatalogue);
    EXPECT_EQ (catalogueFile.loadFileAsString(), goodCatalogue);
    EXPECT_FALSE (temporary.getFolder().getChildFile ("temp_download.xml").exists());
    EXPECT_EQ (log.getMessages(),
               juce::StringArray ("XML file downloaded successfully: " + catalogueFile.getFullPathName()));
}

TEST_F (FetchFixture, KeepsTheOldCatalogueWhenTheFetchFails)
{
    struct Case
    {
        const char* name;
        juce::String address;
        juce::String reason;
    };

    auto path = uniquePath ("list.xml");
    MakerServer::publish (path, goodCatalogue);

    const Case cases[] = {
        { "an error page", MakerServer::getAddress() + "/fault/notfound/" + path,
          "the server answered with status 404" },
        { "an empty body", MakerServer::getAddress() + "/fault/empty/" + path, "the reply was empty" },
        { "a body cut short of its announced length", MakerServer::getAddress() + "/fault/truncated/" + path,
          "the transfer broke off" },
        { "a server that cannot be reached", MakerServer::getRefusingAddress() + "/brelvox/release/software/list.xml",
          "no connection" },
    };

    for (auto& c : cases)
    {
        LogCapture caseLog;
        auto catalogueFile = fetch (c.address);

        EXPECT_EQ (catalogueFile.loadFileAsString(), "old catalogue") << c.name;
        EXPECT_EQ (caseLog.getMessages(), juce::StringArray ("Failed to download XML file: " + c.reason)) << c.name;
        EXPECT_FALSE (temporary.getFolder().getChildFile ("temp_download.xml").exists()) << c.name;
    }
}

TEST_F (FetchFixture, GivesUpOnAServerThatSendsNothingForFifteenSeconds)
{
    auto path = uniquePath ("list.xml");
    MakerServer::publish (path, goodCatalogue);

    const juce::String faults[] = { "stall", "silent" };
    TemporaryFolder folders[2];
    std::thread fetches[2];

    // Both at once: each waits out its fifteen seconds.
    for (int i = 0; i < 2; ++i)
    {
        folders[i].getFolder().getChildFile ("list.xml").replaceWithText ("old catalogue");
        auto address = juce::URL (MakerServer::getAddress() + "/fault/" + faults[i] + "/" + path);
        fetches[i] = std::thread ([address, &folder = folders[i]] { fetchCatalogue (address, folder.getFolder()); });
    }

    for (auto& fetch : fetches)
        fetch.join();

    for (auto& folder : folders)
        EXPECT_EQ (folder.getFolder().getChildFile ("list.xml").loadFileAsString(), "old catalogue");

    EXPECT_EQ (log.getMessages(), juce::StringArray ("Failed to download XML file: nothing received for 15 seconds",
                                                     "Failed to download XML file: nothing received for 15 seconds"));
}

TEST (CatalogueAddress, IsTheBuiltInHostUnlessTheTestSeamReplacesIt)
{
    auto setVariable = [] (const char* value)
    {
#if JUCE_WINDOWS
        _putenv_s ("QUENZ_CATALOGUE_URL", value); // an empty value removes it
#else
        if (*value == 0)
            unsetenv ("QUENZ_CATALOGUE_URL");
        else
            setenv ("QUENZ_CATALOGUE_URL", value, 1);
#endif
    };

    auto previous = juce::SystemStats::getEnvironmentVariable ("QUENZ_CATALOGUE_URL", {});

    setVariable ("");
    EXPECT_EQ (getCatalogueAddress(),
               juce::String ("https://") + QUENZ_CATALOGUE_HOST + "/brelvox/release/software/list.xml");

    setVariable ("https://localhost:1/other.xml");
    EXPECT_EQ (getCatalogueAddress(), "https://localhost:1/other.xml");

    setVariable (previous.toRawUTF8());
}

#include <gtest/gtest.h>

#include "support/Printers.h"

#include "catalogue/CatalogueFetch.h"
#include "catalogue/DeviceDatabase.h"
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

TEST_F (FetchFixture, StoresAnErrorPageWhichTheRecordThenRefuses)
{
    auto catalogueFile = fetch (MakerServer::getAddress() + "/" + uniquePath ("missing.xml"));

    EXPECT_TRUE (catalogueFile.loadFileAsString().contains ("404"));

    DeviceDatabase record (catalogueFile, "0xA1");
    juce::StringArray expected{ "XML file downloaded successfully: " + catalogueFile.getFullPathName(),
                                "<DeviceDatabase> Invalid XML file or wrong root element!" };
    EXPECT_EQ (log.getMessages(), expected);
}

TEST_F (FetchFixture, KeepsTheOldCatalogueWhenTheDownloadFails)
{
    struct Case
    {
        const char* name;
        const char* faultPath;
    };

    const Case cases[] = {
        { "empty body", "fault/empty/" },
        { "body cut short of its announced length", "fault/truncated/" },
    };

    for (auto& c : cases)
    {
        LogCapture caseLog;
        auto path = uniquePath ("list.xml");
        MakerServer::publish (path, goodCatalogue);

        auto catalogueFile = fetch (MakerServer::getAddress() + "/" + c.faultPath + path);

        EXPECT_EQ (catalogueFile.loadFileAsString(), "old catalogue") << c.name;
        EXPECT_EQ (caseLog.getMessages(), juce::StringArray ("Failed to download XML file")) << c.name;
    }
}

TEST_F (FetchFixture, KeepsTheOldCatalogueWhenTheServerCannotBeReached)
{
    auto catalogueFile = fetch (MakerServer::getRefusingAddress() + "/brelvox/release/software/list.xml");

    EXPECT_EQ (catalogueFile.loadFileAsString(), "old catalogue");

    // WinINet refuses to start such a download; libcurl starts it and reports the error at its end.
#if JUCE_WINDOWS
    EXPECT_EQ (log.getMessages(), juce::StringArray());
#else
    EXPECT_EQ (log.getMessages(), juce::StringArray ("Failed to download XML file"));
#endif
}

#include <gtest/gtest.h>

#include "support/Printers.h"

#include "catalogue/PictureCache.h"
#include "support/LogCapture.h"
#include "support/MakerServer.h"
#include "support/TemporaryFolder.h"

namespace
{
    juce::MemoryBlock makePng (int width, int height)
    {
        juce::Image image (juce::Image::RGB, width, height, true);
        image.clear (image.getBounds(), juce::Colours::orange);
        juce::MemoryOutputStream png;
        juce::PNGImageFormat().writeImageToStream (image, png);
        return png.getMemoryBlock();
    }

    struct PictureFixture : public testing::Test
    {
        juce::String uniqueFolder = juce::Uuid().toString();
        TemporaryFolder temporary;
        juce::File cacheFolder{ temporary.getFolder().getChildFile ("Brelvox/QuenzDriver") };
        LogCapture log;
    };
}

TEST_F (PictureFixture, DownloadsOnceAndThenReadsTheCache)
{
    auto address = MakerServer::publish (uniqueFolder + "/pictures/q2.png", makePng (56, 40));
    auto cached = cacheFolder.getChildFile ("q2.png");

    auto first = PictureCache::load (address, cacheFolder);
    auto second = PictureCache::load (address, cacheFolder);

    EXPECT_EQ (first.getWidth(), 56);
    EXPECT_EQ (second.getHeight(), 40);
    juce::StringArray expected{ "<InterfaceComponent::loadImage> not found",
                                "<InterfaceComponent::loadImage> download successfully: " + cached.getFullPathName(),
                                "<InterfaceComponent::loadImage> exist pic, not need to download: " +
                                    cached.getFullPathName() };
    EXPECT_EQ (log.getMessages(), expected);
    EXPECT_EQ (MakerServer::countRequests (uniqueFolder + "/pictures/q2.png"), 1);
    EXPECT_FALSE (cacheFolder.getChildFile ("temp_download").exists());
}

TEST_F (PictureFixture, NeverReplacesACachedFile)
{
    auto address = MakerServer::publish (uniqueFolder + "/q3.png", makePng (10, 10));
    cacheFolder.createDirectory();
    cacheFolder.getChildFile ("q3.png").replaceWithText ("not a picture");

    EXPECT_FALSE (PictureCache::load (address, cacheFolder).isValid());
    EXPECT_EQ (cacheFolder.getChildFile ("q3.png").loadFileAsString(), "not a picture");
    EXPECT_EQ (MakerServer::countRequests (uniqueFolder + "/q3.png"), 0);
}

TEST_F (PictureFixture, GivesNoPictureWhenThereIsNone)
{
    struct Case
    {
        const char* name;
        juce::String address;
        juce::StringArray expectedLog;
    };

    const juce::String notFound ("<InterfaceComponent::loadImage> not found");
    const juce::String failed ("<InterfaceComponent::loadImage> download failed");

    // WinINet refuses to start a download it cannot connect for; libcurl starts it
    // and reports the error at its end.
#if JUCE_WINDOWS
    const juce::StringArray cannotStart{ notFound };
#else
    const juce::StringArray cannotStart{ notFound, failed };
#endif

    MakerServer::publish (uniqueFolder + "/e.png", makePng (4, 4));
    auto errorPageAddress = MakerServer::getAddress() + "/" + uniqueFolder + "/missing.png";
    auto cachedErrorPage = cacheFolder.getChildFile ("missing.png");

    const Case cases[] = {
        { "no address", {}, cannotStart },
        { "address without slash", "q9.png", cannotStart },
        { "empty body", MakerServer::getAddress() + "/fault/empty/" + uniqueFolder + "/e.png", { notFound, failed } },
        { "error page is cached",
          errorPageAddress,
          { notFound, "<InterfaceComponent::loadImage> download successfully: " + cachedErrorPage.getFullPathName() } },
    };

    for (auto& c : cases)
    {
        LogCapture caseLog;
        EXPECT_FALSE (PictureCache::load (c.address, cacheFolder).isValid()) << c.name;
        EXPECT_EQ (caseLog.getMessages(), c.expectedLog) << c.name;

        // Without a name the temporary file would lie beside the cache folder.
        EXPECT_FALSE (cacheFolder.getChildFile ("temp_download").exists()) << c.name;
        EXPECT_FALSE (cacheFolder.getSiblingFile ("temp_download").exists()) << c.name;
    }

    EXPECT_FALSE (cacheFolder.getChildFile ("q9.png").exists());
    EXPECT_TRUE (cachedErrorPage.loadFileAsString().contains ("404"));
}

TEST_F (PictureFixture, TakesAnAddressWithoutSlashWholeAsTheFileName)
{
    cacheFolder.createDirectory();
    auto png = makePng (7, 5);
    cacheFolder.getChildFile ("q9.png").replaceWithData (png.getData(), png.getSize());

    EXPECT_EQ (PictureCache::load ("q9.png", cacheFolder).getWidth(), 7);
}

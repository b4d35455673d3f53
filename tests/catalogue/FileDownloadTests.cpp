#include <gtest/gtest.h>

#include "support/Printers.h"

#include "catalogue/FileDownload.h"
#include "support/MakerServer.h"
#include "support/TemporaryFolder.h"

TEST (LocalFileName, IsAPlainLegalNameInsideTheFolder)
{
    const std::pair<const char*, const char*> cases[] = {
        { "https://h/d/Setup%20v2.exe?x=1", "Setup%20v2.exe" },
        { "https://h/d/Driver.zip", "Driver.zip" },
        { "https://h/d/q2.png#top", "q2.png" },
        { "https://h/d/q2.png?v=2#top", "q2.png" },
        { "https://h/d/..\\..\\Windows\\evil.exe", "....Windowsevil.exe" },
        { "https://h/d/C:evil.exe", "Cevil.exe" },
        { "https://h/d/a<b>c|d?.exe", "abcd" },
        { "https://h/d/setup.exe. . ", "setup.exe" },
        { "https://h/d/..", "" },
        { "https://h/d/", "" },
        { "https://h/d/CON", "" },
        { "https://h/d/nul.exe", "" },
        { "https://h/d/COM1 .zip", "" },
        { "https://h/d/CONSOLE.exe", "CONSOLE.exe" },
    };

    for (auto& [address, expected] : cases)
        EXPECT_EQ (FileDownload::getLocalFileName (juce::URL (address)), expected) << address;
}

TEST (Redirect, IsFollowedOnlyWhileTheDownloadStaysOnHttps)
{
    struct Case
    {
        const char* name;
        const char* mode;
        bool downloads;
    };

    // The stand-in server answers /fault/MODE/path with a redirect to /path.
    const Case cases[] = {
        { "to plain http", "redirect-http", false },
        { "to https on the same server", "redirect-https", true },
        { "to a path on the same server", "redirect-path", true },
    };

    auto path = juce::Uuid().toString() + "/setup.bin";
    MakerServer::publish (path, "the installer");
    TemporaryFolder temporary;

    for (auto& c : cases)
    {
        auto target = temporary.getFolder().getChildFile (c.mode);
        FileDownload download (juce::URL (MakerServer::getAddress() + "/fault/" + c.mode + "/" + path), target);

        ASSERT_TRUE (download.waitForEnd (60000)) << c.name;
        EXPECT_EQ (! download.hadError() && download.statusCode() == 200, c.downloads)
            << c.name << ", status " << download.statusCode();
        EXPECT_EQ (target.loadFileAsString(), c.downloads ? "the installer" : "") << c.name;
        EXPECT_EQ (target.exists(), c.downloads) << c.name;
    }

    EXPECT_EQ (MakerServer::countRequests (path), 2) << "the plain http address is never asked";
}

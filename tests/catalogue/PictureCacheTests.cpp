#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "support/Printers.h"

#include "catalogue/PictureCache.h"
#include "catalogue/FileDownload.h"
#include "support/LogCapture.h"
#include "support/MakerServer.h"
#include "support/TemporaryFolder.h"

#if JUCE_WINDOWS
#include "platform/HostSystem.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

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

    bool makeHardLink (const juce::File& existing, const juce::File& link)
    {
#if JUCE_WINDOWS
        return CreateHardLinkW (link.getFullPathName().toWideCharPointer(),
                                existing.getFullPathName().toWideCharPointer(), nullptr) != 0;
#else
        return ::link (existing.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()) == 0;
#endif
    }

    // Who besides SYSTEM and the administrators may change the folder: on Windows as
    // its access list says, a list not protected from the folder above counting as
    // letting in whoever that one does; on Linux as its mode says.
    juce::StringArray findOthersWhoMayChange (const juce::File& folder)
    {
        juce::StringArray others;
#if JUCE_WINDOWS
        PACL accessList = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;

        if (GetNamedSecurityInfoW (folder.getFullPathName().toWideCharPointer(), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, &accessList, nullptr,
                                   &descriptor) != ERROR_SUCCESS)
            return { "no access list could be read" };

        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;

        if (! GetSecurityDescriptorControl (descriptor, &control, &revision) || (control & SE_DACL_PROTECTED) == 0)
            others.add ("whoever the folder above lets change it");

        if (accessList == nullptr)
            others.add ("everyone, as there is no list");

        const DWORD changes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                              FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

        for (DWORD i = 0; accessList != nullptr && i < accessList->AceCount; ++i)
        {
            ACCESS_ALLOWED_ACE* entry = nullptr;

            if (! GetAce (accessList, i, reinterpret_cast<void**> (&entry)) ||
                entry->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || (entry->Mask & changes) == 0)
                continue;

            auto sid = static_cast<PSID> (&entry->SidStart);

            if (IsWellKnownSid (sid, WinLocalSystemSid) || IsWellKnownSid (sid, WinBuiltinAdministratorsSid))
                continue;

            LPWSTR name = nullptr;
            ConvertSidToStringSidW (sid, &name);
            others.add (juce::String (name));
            LocalFree (name);
        }

        LocalFree (descriptor);
#else
        struct stat info;

        if (stat (folder.getFullPathName().toRawUTF8(), &info) != 0)
            return { "no mode could be read" };

        if ((info.st_mode & S_IWGRP) != 0)
            others.add ("the group");

        if ((info.st_mode & S_IWOTH) != 0)
            others.add ("everyone");
#endif
        return others;
    }

    struct PictureFixture : public testing::Test
    {
        // A transfer given up on ends on its own thread, a little later.
        ~PictureFixture() override { FileDownload::waitForAllToEnd (10000); }

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

TEST_F (PictureFixture, LeavesNoTemporaryFileWhenThePictureCannotBeStored)
{
    auto address = MakerServer::publish (uniqueFolder + "/d.png", makePng (4, 4));
    cacheFolder.getChildFile ("d.png/in the way").create(); // a folder where the picture would go

    EXPECT_FALSE (PictureCache::load (address, cacheFolder).isValid());
    EXPECT_EQ (log.getMessages(), juce::StringArray ("<InterfaceComponent::loadImage> not found"));
    EXPECT_EQ (cacheFolder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
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

    MakerServer::publish (uniqueFolder + "/e.png", makePng (4, 4));

    const Case cases[] = {
        { "no address", {}, { notFound } },
        { "an address that names no file", MakerServer::getAddress() + "/" + uniqueFolder + "/..", { notFound } },
        { "address without slash", "q9.png", { notFound, failed } },
        { "empty body", MakerServer::getAddress() + "/fault/empty/" + uniqueFolder + "/e.png", { notFound, failed } },
        { "error page", MakerServer::getAddress() + "/" + uniqueFolder + "/missing.png", { notFound, failed } },
        { "unreachable server", MakerServer::getRefusingAddress() + "/e.png", { notFound, failed } },
    };

    for (auto& c : cases)
    {
        LogCapture caseLog;
        EXPECT_FALSE (PictureCache::load (c.address, cacheFolder).isValid()) << c.name;
        EXPECT_EQ (caseLog.getMessages(), c.expectedLog) << c.name;
        EXPECT_EQ (cacheFolder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0)
            << c.name << ": nothing cached, no temporary file left";
        EXPECT_EQ (cacheFolder.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1)
            << c.name << ": nothing beside the cache folder";
    }
}

TEST_F (PictureFixture, NamesTheCachedFileAfterTheAddressAndKeepsItInTheCache)
{
    const auto png = makePng (6, 3);
    MakerServer::publish (uniqueFolder + "/q x.png", png);
    MakerServer::publish (uniqueFolder + "/p.png", png);

    const std::pair<const char*, const char*> served[] = {
        { "/q x.png", "q%20x.png" }, // blanks are sent as "%20"
        { "/p.png?v=2", "p.png" },
        { "/p.png#top", "p.png" },
    };

    for (auto& [path, name] : served)
    {
        cacheFolder.deleteRecursively();

        EXPECT_EQ (PictureCache::load (MakerServer::getAddress() + "/" + uniqueFolder + path, cacheFolder).getWidth(),
                   6)
            << path;
        EXPECT_EQ (cacheFolder.getChildFile (name).getSize(), (juce::int64) png.getSize()) << path;
        EXPECT_EQ (cacheFolder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << path;
    }

    // Whatever the server makes of these, the cache folder is the only place written to.
    const char* hostile[] = { "/..\\..\\p.png", "/C:p.png", "/C:\\p.png", "/%2e%2e", "/..%5cp.png" };

    for (auto* path : hostile)
    {
        cacheFolder.deleteRecursively();
        PictureCache::load (MakerServer::getAddress() + "/" + uniqueFolder + path, cacheFolder);

        EXPECT_EQ (temporary.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << path;
        EXPECT_EQ (cacheFolder.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1)
            << path;

        for (auto& entry : juce::RangedDirectoryIterator (cacheFolder, false, "*", juce::File::findFilesAndDirectories))
            EXPECT_TRUE (entry.getFile().existsAsFile() && ! entry.getFile().getFileName().containsAnyOf ("\\:/"))
                << path << " gave " << entry.getFile().getFullPathName();
    }
}

TEST_F (PictureFixture, GivesUpOnAServerThatSendsNothingForTenSeconds)
{
    MakerServer::publish (uniqueFolder + "/s.png", makePng (300, 300));

    const juce::String faults[] = { "stall", "silent" };
    std::thread loads[2];
    bool gotPicture[2] = { true, true };

    // Both at once: each waits out its ten seconds.
    for (int i = 0; i < 2; ++i)
        loads[i] = std::thread (
            [this, i, &faults, &gotPicture]
            {
                auto address = MakerServer::getAddress() + "/fault/" + faults[i] + "/" + uniqueFolder + "/s.png";
                gotPicture[i] = PictureCache::load (address, cacheFolder).isValid();
            });

    for (auto& load : loads)
        load.join();

    EXPECT_FALSE (gotPicture[0]);
    EXPECT_FALSE (gotPicture[1]);
    EXPECT_EQ (log.getMessages().joinIntoString ("|"),
               juce::StringArray (
                   "<InterfaceComponent::loadImage> not found", "<InterfaceComponent::loadImage> not found",
                   "<InterfaceComponent::loadImage> download failed", "<InterfaceComponent::loadImage> download failed")
                   .joinIntoString ("|"));
    EXPECT_FALSE (cacheFolder.getChildFile ("s.png").exists());
}

TEST_F (PictureFixture, TwoDownloadsIntoOneCacheEachCacheAWholePicture)
{
    // Programs that share the cache can download one picture at the same time.
    MakerServer::publish (uniqueFolder + "/slow.png", makePng (200, 100));
    auto address = MakerServer::getAddress() + "/fault/slow/" + uniqueFolder + "/slow.png";

    std::thread loads[2];
    int widths[2] = {};

    for (int i = 0; i < 2; ++i)
        loads[i] = std::thread ([this, i, &address, &widths]
                                { widths[i] = PictureCache::load (address, cacheFolder).getWidth(); });

    for (auto& load : loads)
        load.join();

    EXPECT_EQ (widths[0], 200);
    EXPECT_EQ (widths[1], 200);
    EXPECT_EQ (cacheFolder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (PictureFixture, KeepsThePictureThatAnotherProgramCachedDuringTheDownload)
{
    // Noise does not compress: the slow server takes well over a second for it.
    juce::Image noise (juce::Image::RGB, 120, 120, false);
    juce::Random random (1);

    for (int y = 0; y < noise.getHeight(); ++y)
        for (int x = 0; x < noise.getWidth(); ++x)
            noise.setPixelAt (x, y, juce::Colour ((juce::uint32) random.nextInt() | 0xff000000u));

    juce::MemoryOutputStream png;
    juce::PNGImageFormat().writeImageToStream (noise, png);
    auto path = "fault/slow/" + uniqueFolder + "/noise.png";
    MakerServer::publish (uniqueFolder + "/noise.png", png.getMemoryBlock());

    int width = 0;
    std::thread load ([&]
                      { width = PictureCache::load (MakerServer::getAddress() + "/" + path, cacheFolder).getWidth(); });

    for (int i = 0; i < 500 && MakerServer::countRequests (path) == 0; ++i)
        juce::Thread::sleep (10);

    auto theirs = makePng (7, 5);
    auto cached = cacheFolder.getChildFile ("noise.png");
    cached.replaceWithData (theirs.getData(), theirs.getSize());
    load.join();

    EXPECT_EQ (width, 7);
    juce::MemoryBlock stored;
    EXPECT_TRUE (cached.loadFileAsData (stored));
    EXPECT_EQ (stored, theirs);
    EXPECT_EQ (cacheFolder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (PictureFixture, TakesAnAddressWithoutSlashWholeAsTheFileName)
{
    cacheFolder.createDirectory();
    auto png = makePng (7, 5);
    cacheFolder.getChildFile ("q9.png").replaceWithData (png.getData(), png.getSize());

    EXPECT_EQ (PictureCache::load ("q9.png", cacheFolder).getWidth(), 7);
}

TEST_F (PictureFixture, NeitherReadsNorStoresThroughALink)
{
    struct Case
    {
        const char* name;
        std::function<bool (const juce::File& elsewhere, const juce::File& cache)> plant;
    };

    // Each plants a link where the cache keeps or will keep q5.png, to the other
    // user's picture or folder.
    const Case cases[] = {
#if ! JUCE_WINDOWS
        // Symbolic links the framework makes on Linux only, and Wine makes none.
        { "symbolic link as the cached picture",
          [] (auto& elsewhere, auto& cache)
          {
              return cache.createDirectory().wasOk() &&
                     elsewhere.getChildFile ("q5.png").createSymbolicLink (cache.getChildFile ("q5.png"), false);
          } },
        { "symbolic link as the cache folder",
          [] (auto& elsewhere, auto& cache) {
              return cache.getParentDirectory().createDirectory().wasOk() &&
                     elsewhere.createSymbolicLink (cache, false);
          } },
        { "symbolic link as the maker's folder", [] (auto& elsewhere, auto& cache)
          { return elsewhere.createSymbolicLink (cache.getParentDirectory(), false); } },
#endif
        { "hard link as the cached picture",
          [] (auto& elsewhere, auto& cache)
          {
              return cache.createDirectory().wasOk() &&
                     makeHardLink (elsewhere.getChildFile ("q5.png"), cache.getChildFile ("q5.png"));
          } },
    };

    auto address = MakerServer::publish (uniqueFolder + "/q5.png", makePng (9, 9));
    auto theirs = makePng (5, 5);

    for (auto& c : cases)
    {
        TemporaryFolder place;
        auto elsewhere = place.getFolder().getChildFile ("elsewhere");
        auto cache = place.getFolder().getChildFile ("Brelvox/QuenzDriver");
        ASSERT_TRUE (elsewhere.createDirectory().wasOk());
        ASSERT_TRUE (elsewhere.getChildFile ("q5.png").replaceWithData (theirs.getData(), theirs.getSize()));
        ASSERT_TRUE (c.plant (elsewhere, cache)) << c.name;

        EXPECT_FALSE (PictureCache::load (address, cache).isValid()) << c.name;

        juce::MemoryBlock stored;
        EXPECT_TRUE (elsewhere.getChildFile ("q5.png").loadFileAsData (stored)) << c.name;
        EXPECT_EQ (stored, theirs) << c.name;
        EXPECT_EQ (elsewhere.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << c.name;
    }
}

TEST_F (PictureFixture, MakesItsFoldersSoThatOnlyAdministratorsCanChangeThem)
{
#if JUCE_WINDOWS
    if (HostSystem::isRunningUnderWine())
        GTEST_SKIP() << "Wine keeps no access list here: it reports one made up from the folder's Unix mode";

    PictureCache::load ({}, cacheFolder);
#else
    // The folders' modes, not the mask of whoever started the program, keep users out.
    auto previousMask = umask (0);
    PictureCache::load ({}, cacheFolder);
    umask (previousMask);
#endif

    ASSERT_TRUE (cacheFolder.isDirectory());
    EXPECT_EQ (findOthersWhoMayChange (cacheFolder), juce::StringArray());
    EXPECT_EQ (findOthersWhoMayChange (cacheFolder.getParentDirectory()), juce::StringArray());
}

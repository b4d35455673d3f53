#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>

#include "app/FileLogger.h"
#include "support/TemporaryFolder.h"

#if JUCE_WINDOWS
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace
{
    std::string readBytes (const juce::File& file)
    {
        juce::MemoryBlock content;
        file.loadFileAsData (content);
        return std::string (content.begin(), content.end());
    }

    // Removes every "[YYYY-MM-DD HH:MM:SS] " stamp; which lines carry one is checked
    // by StampsEachMessageWithTheLocalTime.
    std::string withoutStamps (const std::string& text)
    {
        static const std::regex stamp (R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\] )");
        return std::regex_replace (text, stamp, "");
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

    struct LogFixture : public testing::Test
    {
        TemporaryFolder temporary;
        juce::File logFile{ temporary.getFolder().getChildFile ("Brelvox/QuenzInstall/runtimeLog.txt") };
    };
}

TEST_F (LogFixture, CreatesMissingFoldersAndStartsWithTheWelcomeLine)
{
    FileLogger logger (logFile, "Application started at 8 Dec 2025 11:33:05pm");

    EXPECT_EQ (readBytes (logFile), "Application started at 8 Dec 2025 11:33:05pm\r\n");
}

TEST_F (LogFixture, AppendsToTheLogOfAnEarlierRun)
{
    logFile.create();
    logFile.replaceWithText ("earlier run\r\n");

    FileLogger logger (logFile, "welcome");
    logger.logMessage ("message");

    EXPECT_EQ (withoutStamps (readBytes (logFile)), "earlier run\r\nwelcome\r\nmessage\r\n");
}

TEST_F (LogFixture, StampsEachMessageWithTheLocalTime)
{
    auto before = juce::Time::getCurrentTime();
    FileLogger logger (logFile, "welcome");
    logger.logMessage ("first");
    logger.logMessage ("second\nof two lines");
    logger.logMessage ("third");

    // After the welcome line, every message starts a line with its stamp.
    const std::regex stamped (R"(\[(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})\] (.*)\r)");
    const std::vector<std::string> messages{ "first", "second", "third" };

    std::istringstream lines (readBytes (logFile));
    std::string line;
    size_t next = 0;

    ASSERT_TRUE (std::getline (lines, line));
    EXPECT_EQ (line, "welcome\r");

    while (std::getline (lines, line))
    {
        std::smatch match;

        if (line == "of two lines\r")
            continue;

        ASSERT_TRUE (std::regex_match (line, match, stamped)) << "line without a stamp: " << line;
        ASSERT_LT (next, messages.size());
        EXPECT_EQ (match[7], messages[next++]);

        juce::Time stamp (std::stoi (match[1]), std::stoi (match[2]) - 1, std::stoi (match[3]), std::stoi (match[4]),
                          std::stoi (match[5]), std::stoi (match[6]), 0, true);
        EXPECT_LE (std::abs ((stamp - before).inSeconds()), 2.0) << line;
    }

    EXPECT_EQ (next, messages.size());
}

TEST_F (LogFixture, WritesLineEndingsAsCarriageReturnLineFeed)
{
    struct Case
    {
        const char* name;
        juce::String message;
        std::string expected;
    };

    const Case cases[] = {
        { "plain message", "hello", "hello\r\n" },
        { "empty message", "", "\r\n" },
        { "three line feeds", "\n\n\n", "\r\n\r\n\r\n\r\n" },
        { "line feed inside", "<Writer> first\nsecond", "<Writer> first\r\nsecond\r\n" },
        { "existing pair kept", "first\r\nsecond", "first\r\nsecond\r\n" },
        { "lone carriage return", "first\rsecond", "first\rsecond\r\n" },
        { "UTF-8 without mark",
          juce::String (juce::CharPointer_UTF8 ("\xe5\xae\x89\xe8\xa3\x85\xe6\x88\x90\xe5\x8a\x9f")),
          "\xe5\xae\x89\xe8\xa3\x85\xe6\x88\x90\xe5\x8a\x9f\r\n" },
    };

    for (auto& c : cases)
    {
        logFile.deleteFile();
        FileLogger logger (logFile, "welcome");
        logger.logMessage (c.message);

        EXPECT_EQ (withoutStamps (readBytes (logFile)), "welcome\r\n" + c.expected) << c.name;
    }
}

TEST_F (LogFixture, DoesNotRecreateADeletedLog)
{
    FileLogger logger (logFile, "welcome");
    ASSERT_TRUE (logFile.deleteFile());

    logger.logMessage ("after deletion");

    EXPECT_FALSE (logFile.exists());
}

TEST_F (LogFixture, RunsWithoutAFileWhenItCannotBeCreated)
{
    auto blocker = temporary.getFolder().getChildFile ("not-a-folder");
    blocker.replaceWithText ("a file where the log folder should be");
    auto impossibleLog = blocker.getChildFile ("runtimeLog.txt");

    FileLogger logger (impossibleLog, "welcome");
    logger.logMessage ("message");

    EXPECT_FALSE (impossibleLog.exists());
    EXPECT_EQ (blocker.loadFileAsString(), "a file where the log folder should be");
}

TEST_F (LogFixture, WritesNothingThroughALinkPlantedInPlaceOfTheFileOrItsFolders)
{
    struct Case
    {
        const char* name;
        std::function<bool (const juce::File& elsewhere, const juce::File& log)> plant;
    };

    // Each plants a link where the log will be, to the other user's file or folder.
    const Case cases[] = {
#if ! JUCE_WINDOWS
        // Symbolic links the framework makes on Linux only, and Wine makes none.
        { "symbolic link as the log file",
          [] (auto& elsewhere, auto& log)
          {
              return log.getParentDirectory().createDirectory().wasOk() &&
                     elsewhere.getChildFile ("precious.txt").createSymbolicLink (log, false);
          } },
        { "symbolic link as the log folder",
          [] (auto& elsewhere, auto& log)
          {
              return log.getParentDirectory().getParentDirectory().createDirectory().wasOk() &&
                     elsewhere.createSymbolicLink (log.getParentDirectory(), false);
          } },
        { "symbolic link as the maker's folder", [] (auto& elsewhere, auto& log)
          { return elsewhere.createSymbolicLink (log.getParentDirectory().getParentDirectory(), false); } },
#endif
        { "hard link as the log file",
          [] (auto& elsewhere, auto& log)
          {
              return log.getParentDirectory().createDirectory().wasOk() &&
                     makeHardLink (elsewhere.getChildFile ("precious.txt"), log);
          } },
    };

    for (auto& c : cases)
    {
        TemporaryFolder place;
        auto elsewhere = place.getFolder().getChildFile ("elsewhere");
        auto log = place.getFolder().getChildFile ("Brelvox/QuenzInstall/runtimeLog.txt");
        ASSERT_TRUE (elsewhere.createDirectory().wasOk());
        ASSERT_TRUE (elsewhere.getChildFile ("precious.txt").replaceWithText ("precious"));
        ASSERT_TRUE (c.plant (elsewhere, log)) << c.name;

        {
            FileLogger logger (log, "welcome");
            logger.logMessage ("message");
        }

        EXPECT_EQ (readBytes (elsewhere.getChildFile ("precious.txt")), "precious") << c.name;
        EXPECT_EQ (elsewhere.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << c.name;
    }
}

TEST_F (LogFixture, SendsTheUnstampedMessageToTheDebuggerOutput)
{
#if JUCE_WINDOWS
    GTEST_SKIP() << "the debugger output cannot be read back here";
#else
    FileLogger logger (logFile, "welcome");

    testing::internal::CaptureStderr();
    logger.logMessage ("first\nsecond");
    EXPECT_EQ (testing::internal::GetCapturedStderr(), "first\nsecond\n");
#endif
}

TEST_F (LogFixture, LosesOnlyTheLineThatMeetsAnotherWriter)
{
#if ! JUCE_WINDOWS
    GTEST_SKIP() << "only Windows refuses a second writer";
#else
    FileLogger logger (logFile, "welcome");

    {
        juce::FileOutputStream otherWriter (logFile);
        ASSERT_TRUE (otherWriter.openedOk());
        logger.logMessage ("while another writer holds the file");
    }

    logger.logMessage ("after it let go");

    EXPECT_EQ (withoutStamps (readBytes (logFile)), "welcome\r\nafter it let go\r\n");
#endif
}

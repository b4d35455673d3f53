// The measures that are taken inside one process, each printing its figures as
// "NAME VALUE" lines on the standard output for bench/bench.py:
//
//   quenz_bench device-change CATALOGUE REPEATS
//       a device change of the program's own window content (the USB scan, a record
//       per device, the panel), against one parse of the same catalogue file by
//       the framework's parser, its tree freed again: "change_ms" and "parse_ms".
//       Run with the catalogue address of the program's test seam and simulated devices.
//   quenz_bench download URL TARGET
//       one installer download as the program makes it; exit code 0 when it succeeded.
//   quenz_bench unpack ARCHIVE
//       one unpacking of an installer archive as the program does it.
//   quenz_bench word-latency URL SIZE REPEATS
//       installs of an archive of SIZE bytes: "latency_ms" from the moment the file
//       is complete on disk to the moment "Downloaded" is reported.
//   quenz_bench installs URL COUNT
//       COUNT installs one after another: "rss_first_kb" after the first and
//       "rss_last_kb" after the last.

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstdio>
#include <optional>
#include <thread>

#include "app/FileLogger.h"
#include "catalogue/FileDownload.h"
#include "controller/MainComponent.h"
#include "install/DownloadMonitor.h"
#include "install/InstallerArchive.h"
#include "platform/SpecialFolders.h"
#include "support/MessageLoop.h"

namespace
{
    double millisecondsNow() { return juce::Time::getMillisecondCounterHiRes(); }

    void print (const char* name, double value) { std::printf ("%s %.3f\n", name, value); }

    InstallRequest makeRequest (const juce::String& url)
    {
        InstallRequest request;
        request.product = "Quenz Q2";
        request.softwareName = "Echo Deck";
        request.area = request.language = "cn";
        request.url = url;
        return request;
    }

    // The words of one install, as the program's window gets them.
    struct InstallWords
    {
        std::atomic<double> downloadedAt{ 0.0 };
        std::atomic<int> count{ 0 };

        StatusCallback makeCallback()
        {
            return [this] (juce::String word)
            {
                if (word == "Downloaded")
                    downloadedAt = millisecondsNow();

                if (! word.containsChar ('%'))
                    ++count;
            };
        }
    };

    // One install of the archive at the address, from the click to its second final word.
    bool install (const juce::String& url, const juce::File& folder, InstallWords& words)
    {
        folder.createDirectory();
        DownloadMonitor::start (makeRequest (url), folder, words.makeCallback());

        return runMessageLoopUntil ([&words] { return words.count == 2 && DownloadMonitor::getNumLiveMonitors() == 0; },
                                    30000);
    }

    long readResidentKilobytes()
    {
        auto status = juce::File ("/proc/self/status").loadFileAsString();
        return status.fromFirstOccurrenceOf ("VmRSS:", false, false).trim().getLargeIntValue();
    }

    //==============================================================================
    int measureDeviceChange (const juce::File& catalogue, int repeats)
    {
        for (int i = 0; i < repeats; ++i)
        {
            MainComponent mainComponent;

            // One parse of the same file as the program fetched, as the framework's
            // parser does it whole: reading the file, parsing it and letting go of the tree.
            auto parseStart = millisecondsNow();
            auto parsed = juce::XmlDocument::parse (catalogue) != nullptr;
            auto parseMilliseconds = millisecondsNow() - parseStart;

            auto changeStart = millisecondsNow();
            mainComponent.timerCallback();
            auto changeMilliseconds = millisecondsNow() - changeStart;

            if (! parsed)
                return 1;

            print ("change_ms", changeMilliseconds);
            print ("parse_ms", parseMilliseconds);
        }

        return 0;
    }

    int measureDownload (const juce::String& url, const juce::File& target)
    {
        FileDownload download (juce::URL (url), target);

        while (! download.isFinished())
            juce::Thread::sleep (2);

        return download.hadError() || download.statusCode() != 200 ? 1 : 0;
    }

    int measureUnpack (const juce::File& archive) { return InstallerArchive::unpack (archive) != juce::File() ? 0 : 1; }

    int measureWordLatency (const juce::String& url, juce::int64 size, int repeats)
    {
        auto scratch = SpecialFolders::getTemporaryFolder().getChildFile ("quenz-bench-latency");

        for (int i = 0; i < repeats; ++i)
        {
            auto folder = scratch.getChildFile (juce::String (i));
            auto target = folder.getChildFile (juce::URL (url).getFileName());
            InstallWords words;
            std::atomic<double> completeAt{ 0.0 };
            std::atomic<bool> watching{ true };

            // Sees the file complete on disk within a fraction of a millisecond.
            std::thread watcher (
                [&]
                {
                    while (watching && completeAt == 0.0)
                    {
                        if (target.getSize() == size)
                            completeAt = millisecondsNow();

                        std::this_thread::sleep_for (std::chrono::microseconds (100));
                    }
                });

            auto ok = install (url, folder, words);
            watching = false;
            watcher.join();

            if (! ok || completeAt == 0.0 || words.downloadedAt == 0.0)
                return 1;

            print ("latency_ms", words.downloadedAt - completeAt);
        }

        scratch.deleteRecursively();
        return 0;
    }

    int measureInstalls (const juce::String& url, int count)
    {
        auto scratch = SpecialFolders::getTemporaryFolder().getChildFile ("quenz-bench-installs");

        for (int i = 0; i < count; ++i)
        {
            InstallWords words;
            auto folder = scratch.getChildFile (juce::String (i));

            if (! install (url, folder, words))
                return 1;

            folder.deleteRecursively();

            if (i == 0)
                print ("rss_first_kb", (double) readResidentKilobytes());
        }

        print ("rss_last_kb", (double) readResidentKilobytes());
        scratch.deleteRecursively();
        return 0;
    }

    int run (const juce::StringArray& arguments)
    {
        auto measure = arguments[0];

        if (measure == "device-change" && arguments.size() == 3)
            return measureDeviceChange (juce::File (arguments[1]), arguments[2].getIntValue());

        if (measure == "download" && arguments.size() == 3)
            return measureDownload (arguments[1], juce::File (arguments[2]));

        if (measure == "unpack" && arguments.size() == 2)
            return measureUnpack (juce::File (arguments[1]));

        if (measure == "word-latency" && arguments.size() == 4)
            return measureWordLatency (arguments[1], arguments[2].getLargeIntValue(), arguments[3].getIntValue());

        if (measure == "installs" && arguments.size() == 3)
            return measureInstalls (arguments[1], arguments[2].getIntValue());

        std::fprintf (stderr, "usage: see the head of bench/QuenzBench.cpp\n");
        return 2;
    }
}

int main (int argc, char** argv)
{
    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    // A download and an unpacking run on a thread of the program, as here, with no
    // need of the message loop; the other measures use the program's window content.
    std::optional<juce::ScopedJuceInitialiser_GUI> framework;
    std::optional<FileLogger> logger;

    if (arguments[0] != "download" && arguments[0] != "unpack")
    {
        framework.emplace();

        // The program's log, as it writes it, in the benchmark's own folder.
        logger.emplace (SpecialFolders::getTemporaryFolder().getChildFile ("quenz-bench.log"), "Benchmark started");
        juce::Logger::setCurrentLogger (&*logger);
    }

    auto result = run (arguments);

    if (framework)
        DownloadMonitor::cancelAll();

    juce::Logger::setCurrentLogger (nullptr);
    std::fflush (stdout);
    return result;
}

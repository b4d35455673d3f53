#include "FileDownload.h"

#include "../platform/FileSystem.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace
{
    // A read returns only once it is full (WinINet's, and the framework's own on
    // Linux), and Wine lets a cancel wait for it: the first read fills within two
    // seconds even at 20 KB/s. Reads that fill fast grow, since on a fast line the
    // framework spends more on the handling of many small reads than on the bytes.
    constexpr int smallestRead = 32 * 1024, largestRead = 1024 * 1024;
    constexpr double fastReadMilliseconds = 50.0, slowReadMilliseconds = 500.0;

    // As many as the framework follows by itself.
    constexpr int maximumRedirects = 5;

    bool isRedirect (int status)
    {
        return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    }

    // Where a redirect from the address leads: to a full address, or to a path on the
    // same server. Anything else gives an empty address, which is not followed.
    juce::URL resolveLocation (const juce::URL& address, const juce::String& location)
    {
        if (location.startsWithIgnoreCase ("https://") || location.startsWithIgnoreCase ("http://"))
            return juce::URL (location);

        if (! location.startsWithChar ('/') || location.startsWith ("//"))
            return {};

        auto whole = address.toString (false);
        auto pathStart = whole.indexOfChar (whole.indexOf ("://") + 3, '/');
        return juce::URL ((pathStart < 0 ? whole : whole.substring (0, pathStart)) + location);
    }

    // A download on https stays on it: plain http would let anyone on the way read or
    // change what is downloaded, an installer that the elevated program starts.
    bool mayRedirect (const juce::URL& from, const juce::URL& to)
    {
        return to.getScheme().equalsIgnoreCase ("https") ||
               (to.getScheme().equalsIgnoreCase ("http") && from.getScheme().equalsIgnoreCase ("http"));
    }

    // The threads of transfers and of their cancels still running, for the end of
    // the program.
    struct RunningThreads
    {
        std::mutex lock;
        std::condition_variable ended;
        int count = 0;
    };

    RunningThreads& getRunningThreads()
    {
        static RunningThreads runningThreads;
        return runningThreads;
    }

    // Runs the job on a thread of its own that the end of the program waits for.
    void launchCounted (std::function<void()> job)
    {
        auto& running = getRunningThreads();

        {
            const std::lock_guard<std::mutex> lock (running.lock);
            ++running.count;
        }

        auto finish = [&running]
        {
            const std::lock_guard<std::mutex> lock (running.lock);
            --running.count;
            running.ended.notify_all();
        };

        // A thread of the standard library's: once the job has let go of what it
        // holds and said so, nothing of the framework's is left to delete, so the
        // end of the program finds no object of a thread still on its way out.
        try
        {
            std::thread (
                [job, finish]() mutable
                {
                    job();
                    job = nullptr;
                    finish();
                })
                .detach();
        }
        catch (const std::system_error&)
        {
            job();
            finish();
        }
    }
}

// What the transfer's thread and the owner share; it lives as long as either.
struct FileDownload::Transfer
{
    Transfer (const juce::URL& url, const juce::File& targetFile) : address (url), target (targetFile) {}

    void run()
    {
        auto succeeded = transferToTarget();

        if (! succeeded)
        {
            target.deleteFile();
            error = true;
        }

        finished = true;
        ended.signal();
    }

    bool transferToTarget()
    {
        target.deleteFile();

        // The file is made once the server has answered: a server that never does
        // leaves nothing behind.
        if (! connectFollowingRedirects())
            return false;

        auto output = FileSystem::createNewFile (target);

        if (output == nullptr)
            return false;

        totalLength = stream->getTotalLength();

        auto readSize = smallestRead;
        juce::HeapBlock<char> buffer (readSize);

        while (! stream->isExhausted() && ! cancelled)
        {
            auto length = totalLength.load();
            auto wanted = length < 0 ? readSize : (int) juce::jmin ((juce::int64) readSize, length - downloaded.load());

            if (wanted <= 0)
                break;

            auto readStart = juce::Time::getMillisecondCounterHiRes();
            auto received = stream->read (buffer.get(), wanted);
            auto readMilliseconds = juce::Time::getMillisecondCounterHiRes() - readStart;

            if (received < 0 || stream->isError() || cancelled)
                break;

            if (! output->write (buffer.get(), (size_t) received))
                return false;

            downloaded += received;

            if (received > 0)
                lastByteTime = juce::Time::getMillisecondCounter();

            if (received == readSize && readMilliseconds < fastReadMilliseconds && readSize < largestRead)
            {
                readSize *= 2;
                buffer.realloc (readSize);
            }
            else if (readMilliseconds > slowReadMilliseconds && readSize > smallestRead)
            {
                readSize /= 2;
            }
        }

        return ! cancelled && ! stream->isError() &&
               (totalLength.load() <= 0 || downloaded.load() >= totalLength.load());
    }

    // The framework would follow a redirect from https to plain http, so redirects
    // are followed here, each with a connection of its own.
    bool connectFollowingRedirects()
    {
        auto next = address;

        for (int redirects = 0;; ++redirects)
        {
            if (! startStream (next) || ! stream->connect (nullptr) || cancelled)
                return false;

            httpCode = stream->getStatusCode();

            if (! isRedirect (httpCode))
                return true;

            auto location = resolveLocation (next, stream->getResponseHeaders()["Location"]);

            if (redirects == maximumRedirects || ! mayRedirect (next, location))
                return false;

            // Moved, not copied: the framework copies an empty block of post data
            // with a null pointer, which the sanitizer reports.
            next = std::move (location);
        }
    }

    // Only this thread replaces the stream; a cancel reaches whichever is current.
    bool startStream (const juce::URL& url)
    {
        auto started = std::make_unique<juce::WebInputStream> (url, false);

        // No time limit of its own: a stall is the monitor's to judge, and a cancel
        // ends any wait.
        started->withConnectionTimeout (-1).withNumRedirectsToFollow (0);

        const std::lock_guard<std::mutex> lock (streamLock);

        if (cancelled)
            return false;

        stream = std::move (started);
        return true;
    }

    void cancelStream()
    {
        const std::lock_guard<std::mutex> lock (streamLock);

        if (stream != nullptr)
            stream->cancel();
    }

    const juce::URL address;
    std::mutex streamLock;
    std::unique_ptr<juce::WebInputStream> stream;
    juce::File target;
    std::atomic<juce::int64> totalLength{ -1 }, downloaded{ 0 };
    std::atomic<juce::uint32> lastByteTime{ juce::Time::getMillisecondCounter() };
    std::atomic<int> httpCode{ -1 };
    std::atomic<bool> cancelled{ false }, error{ false }, finished{ false };
    juce::WaitableEvent ended{ true };
};

FileDownload::FileDownload (const juce::URL& url, const juce::File& target)
    : transfer (std::make_shared<Transfer> (url, target))
{
    launchCounted ([running = transfer] { running->run(); });
}

FileDownload::~FileDownload()
{
    if (! transfer->finished)
        cancel();
}

void FileDownload::cancel()
{
    if (transfer->cancelled.exchange (true))
        return;

    // Wine holds a cancel until a read blocked on a silent server returns, so the
    // cancel is made on a thread of its own.
    launchCounted ([running = transfer] { running->cancelStream(); });
}

juce::int64 FileDownload::getTotalLength() const noexcept { return transfer->totalLength; }
juce::int64 FileDownload::getLengthDownloaded() const noexcept { return transfer->downloaded; }
bool FileDownload::isFinished() const noexcept { return transfer->finished; }
bool FileDownload::waitForEnd (int timeoutMilliseconds) const { return transfer->ended.wait (timeoutMilliseconds); }

juce::uint32 FileDownload::getMillisecondsSinceLastByte() const noexcept
{
    return juce::Time::getMillisecondCounter() - transfer->lastByteTime;
}
bool FileDownload::hadError() const noexcept { return transfer->error; }
int FileDownload::statusCode() const noexcept { return transfer->httpCode; }

juce::String FileDownload::getLocalFileName (const juce::URL& address)
{
    juce::String name;

    for (auto character : address.getFileName().upToFirstOccurrenceOf ("#", false, false))
        if (character >= 32 && ! juce::String ("<>:\"/\\|?*").containsChar (character))
            name += character;

    while (name.endsWithChar ('.') || name.endsWithChar (' '))
        name = name.dropLastCharacters (1);

    static const juce::StringArray deviceNames{ "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                                "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                                "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9" };

    if (deviceNames.contains (name.upToFirstOccurrenceOf (".", false, false).trimEnd(), true))
        return {};

    return name;
}

bool FileDownload::waitForAllToEnd (int timeoutMilliseconds)
{
    auto& running = getRunningThreads();
    std::unique_lock<std::mutex> lock (running.lock);
    return running.ended.wait_for (lock, std::chrono::milliseconds (timeoutMilliseconds),
                                   [&running] { return running.count == 0; });
}

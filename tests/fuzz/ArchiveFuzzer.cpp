// libFuzzer target: any bytes as an installer archive are unpacked into a folder of
// their own, and nothing may come to lie outside that folder, nor may any link be
// made; never a crash, a hang or a leak.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <ftw.h>
#include <unistd.h>

#include "install/InstallerArchive.h"

namespace
{
    // A folder of this process's own in memory where there is one: sandbox/unpacked
    // is where the archive goes, and nothing else may appear in the sandbox.
    const juce::File& getSandbox()
    {
        static const juce::File sandbox = juce::File (juce::File ("/dev/shm").isDirectory() ? "/dev/shm" : "/tmp")
                                              .getChildFile ("quenz-archive-fuzz-" + juce::String (getpid()));
        return sandbox;
    }

    bool sawALink = false;

    int removeEntry (const char* path, const struct stat*, int type, struct FTW*)
    {
        if (type == FTW_SL || type == FTW_SLN)
            sawALink = true;

        return ::remove (path);
    }

    // One walk that never follows a link: notes whether any entry is one, and
    // removes everything, deepest first.
    bool removeNotingLinks (const juce::File& folder)
    {
        sawALink = false;
        nftw (folder.getFullPathName().toRawUTF8(), removeEntry, 16, FTW_PHYS | FTW_DEPTH);
        return sawALink;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    juce::ZipFile zip (new juce::MemoryInputStream (data, size, false), true);

    // Most inputs are no archive at all: nothing to unpack, nothing to look at.
    if (zip.getNumEntries() == 0)
        return 0;

    auto& sandbox = getSandbox();
    auto folder = sandbox.getChildFile ("unpacked");
    folder.createDirectory();

    InstallerArchive::unpackInto (zip, folder);

    if (sandbox.getNumberOfChildFiles (juce::File::findFilesAndDirectories) != 1)
        std::abort();

    if (removeNotingLinks (sandbox))
        std::abort();
    return 0;
}

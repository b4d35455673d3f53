// libFuzzer target: any bytes as an installer archive are unpacked into a folder of
// their own, and nothing may come to lie outside that folder, nor may any link be
// made; never a crash, a hang or a leak.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

    bool holdsALink (const juce::File& folder)
    {
        for (auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFilesAndDirectories))
            if (entry.getFile().isSymbolicLink())
                return true;

        return false;
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

    if (sandbox.getNumberOfChildFiles (juce::File::findFilesAndDirectories) != 1 || holdsALink (folder))
        std::abort();

    sandbox.deleteRecursively();
    return 0;
}

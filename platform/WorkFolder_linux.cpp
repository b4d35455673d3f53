#include "WorkFolder.h"

#include "SpecialFolders.h"

#include <cstdlib>

juce::File WorkFolder::create()
{
    // Made with mode 0700 under a name nobody could have taken first.
    auto pattern = SpecialFolders::getTemporaryFolder().getChildFile ("quenz-XXXXXX").getFullPathName();
    juce::HeapBlock<char> path (strlen (pattern.toRawUTF8()) + 1);
    strcpy (path.get(), pattern.toRawUTF8());

    if (mkdtemp (path.get()) == nullptr)
        return {};

    return juce::File (juce::String::fromUTF8 (path.get()));
}

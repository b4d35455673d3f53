#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    The stand-in for the maker's servers that the test set-up started
    (tools/maker-server). Tests publish files into its folder and fetch them
    from its address; see the server for the /fault/MODE/ paths.
*/
struct MakerServer
{
    /** The set-up's folder, named by QUENZ_MAKER_SERVER. */
    static juce::File getStateFolder()
    {
        return juce::File (juce::SystemStats::getEnvironmentVariable ("QUENZ_MAKER_SERVER", {}));
    }

    /** "https://localhost:PORT". */
    static juce::String getAddress() { return getStateFolder().getChildFile ("url").loadFileAsString().trim(); }

    /** Writes a file at the path below the served folder and returns its address. */
    static juce::String publish (const juce::String& path, const juce::MemoryBlock& content)
    {
        auto file = getStateFolder().getChildFile ("www").getChildFile (path);
        file.getParentDirectory().createDirectory();
        file.replaceWithData (content.getData(), content.getSize());
        return getAddress() + "/" + path;
    }

    static juce::String publish (const juce::String& path, const juce::String& text)
    {
        return publish (path, juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()));
    }

    /** How many requests the server has had for this path. */
    static int countRequests (const juce::String& path)
    {
        juce::StringArray lines;
        lines.addLines (getStateFolder().getChildFile ("requests.log").loadFileAsString());
        int count = 0;

        for (auto& line : lines)
            if (line == "GET /" + path)
                ++count;

        return count;
    }

    /** An address on the loopback interface where nothing listens. */
    static juce::String getRefusingAddress()
    {
        juce::StreamingSocket socket;
        socket.createListener (0, "127.0.0.1");
        auto port = socket.getBoundPort();
        socket.close();
        return "https://localhost:" + juce::String (port);
    }
};

#pragma once

#include <juce_core/juce_core.h>

#include <memory>

//==============================================================================
/**
    The program's own folders at the end of a path, below a folder of the system
    (the user's roaming application-data folder, the machine's data folder), opened
    one by one without following links. The elevated program writes in them, and a
    standard user could put a symbolic link or junction in place of one of them to
    send those writes elsewhere.

    While the object lives, the folders stay open: on Windows nobody can rename or
    delete them meanwhile, so that a path inside them names what was checked. Linux
    has no such hold; there they are checked when opened.
*/
class OwnFolders
{
public:
    /** What to do about a folder of the chain that is missing. */
    enum class Creation
    {
        none,              /**< Leaves it missing: the chain does not open. */
        plain,             /**< Makes it as the system makes new folders there. */
        protectedFromUsers /**< Makes it so that only SYSTEM and administrators may
                                change it; users may read it. */
    };

    /** Opens innermost and the folders above it, numFolders in all, from the outermost
        down, making the missing ones as asked.

        The chain does not open when one of them is a link of any kind or no folder,
        or is missing and cannot be made. */
    OwnFolders (const juce::File& innermost, int numFolders, Creation creation);

    ~OwnFolders();

    /** True if every folder of the chain was opened and found a plain folder. */
    bool isOpen() const noexcept;

private:
    struct Held;
    std::unique_ptr<Held> held;

    JUCE_DECLARE_NON_COPYABLE (OwnFolders)
};

#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

#include "ProcessTree.h"
#include <vector>

//==============================================================================
/**
    The desktop's dialog windows ("#32770") and their controls, as far as the
    automation of the maker's driver set-up needs them. Texts are read as text
    into a buffer of 256 characters: at most 255 of them.

    On Windows these are user32's windows; elsewhere there are no such dialogs and
    the list is always empty. Tests put a fake of their own in its place.
*/
class DialogWindows
{
public:
    using Handle = void*;

    struct Dialog
    {
        Handle handle;
        juce::String title;
    };

    virtual ~DialogWindows() = default;

    /** Every top-level "#32770" window, in the window manager's order, with its title. */
    virtual std::vector<Dialog> listDialogs() = 0;

    /** Whether the dialog is a window of a process of the tree. */
    virtual bool isShownBy (Handle dialog, const ProcessTree& processes) = 0;

    /** The dialog's first direct child of the class whose whole text is the text, or nullptr. */
    virtual Handle findChild (Handle dialog, const juce::String& className, const juce::String& text) = 0;

    /** The text of the dialog's direct child of the class at that index in child order
        (0 is the first); empty when there is no such child. */
    virtual juce::String getChildText (Handle dialog, const juce::String& className, int index) = 0;

    /** Presses the button without waiting for it: the press waits in the queue of
        the button's window until that window takes it, however long that is, and
        is never withdrawn. Once the window has handled it, onHandled is called on
        this thread, from its message loop. Returns false when the press could
        not be sent (the window has gone). */
    virtual bool press (Handle button, std::function<void()> onHandled) = 0;

    /** The dialogs of this operating system. */
    static std::unique_ptr<DialogWindows> createForThisSystem();
};

#pragma once

#include <juce_core/juce_core.h>

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

    /** Presses the button. Returns true once its window has handled the press;
        false after a few seconds when it has not, or at once when that window has
        stopped answering. Then the press may still be under way in that window, or
        may have been withdrawn: which of the two, only its next page tells. */
    virtual bool click (Handle button) = 0;

    /** Whether the dialog takes a message within a moment: a set-up that has gone
        back to its message loop has finished or withdrawn every press sent before. */
    virtual bool answers (Handle dialog) = 0;

    /** The dialogs of this operating system. */
    static std::unique_ptr<DialogWindows> createForThisSystem();
};

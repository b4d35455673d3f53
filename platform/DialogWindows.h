#pragma once

#include <juce_core/juce_core.h>

#include <memory>
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

    /** The top-level "#32770" window whose whole title is the text, or nullptr. */
    virtual Handle findDialog (const juce::String& title) = 0;

    /** The dialog's first direct child of the class whose whole text is the text, or nullptr. */
    virtual Handle findChild (Handle dialog, const juce::String& className, const juce::String& text) = 0;

    /** The text of the dialog's direct child of the class at that index in child order
        (0 is the first); empty when there is no such child. */
    virtual juce::String getChildText (Handle dialog, const juce::String& className, int index) = 0;

    /** Presses the button. Returns when its window has handled the press, or after
        a few seconds when that window does not answer: the press then counts as made. */
    virtual void click (Handle button) = 0;

    /** The dialogs of this operating system. */
    static std::unique_ptr<DialogWindows> createForThisSystem();
};

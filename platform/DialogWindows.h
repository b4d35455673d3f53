#pragma once

#include <memory>
#include <string>
#include <vector>

//==============================================================================
/**
    The desktop's dialog windows ("#32770") and their controls, as far as the
    automation of the maker's driver set-up needs them. Texts are read into a
    256-byte buffer, as bytes: at most 255 of them.

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
        std::string title;
    };

    virtual ~DialogWindows() = default;

    /** Every top-level "#32770" window, in the window manager's order, with its title. */
    virtual std::vector<Dialog> listDialogs() = 0;

    /** The top-level "#32770" window whose whole title is the text, or nullptr. */
    virtual Handle findDialog (const std::string& title) = 0;

    /** The dialog's first direct child of the class whose whole text is the text, or nullptr. */
    virtual Handle findChild (Handle dialog, const std::string& className, const std::string& text) = 0;

    /** The text of the dialog's direct child of the class at that index in child order
        (0 is the first); empty when there is no such child. */
    virtual std::string getChildText (Handle dialog, const std::string& className, int index) = 0;

    /** Presses the button and returns when its window has handled the press. */
    virtual void click (Handle button) = 0;

    /** The dialogs of this operating system. */
    static std::unique_ptr<DialogWindows> createForThisSystem();
};

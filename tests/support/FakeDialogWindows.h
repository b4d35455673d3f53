#pragma once

#include <functional>

#include "platform/DialogWindows.h"

//==============================================================================
/**
    A desktop of dialogs kept in memory, for the page logic of the driver set-up's
    automation. The test owns the screen; the monitor owns a FakeDialogWindows that
    looks at it.
*/
struct FakeScreen
{
    struct Control
    {
        std::string className, text;
    };

    struct Dialog
    {
        std::string title;
        std::vector<Control> controls;
    };

    std::vector<Dialog> dialogs;
    std::vector<std::string> clicks;

    /** Called with the pressed button's text, to move the dialog on. */
    std::function<void (const std::string&)> onClick;

    void show (const std::string& title, std::vector<Control> controls)
    {
        dialogs = { { title, std::move (controls) } };
    }
};

class FakeDialogWindows : public DialogWindows
{
public:
    explicit FakeDialogWindows (std::shared_ptr<FakeScreen> screenToUse) : screen (std::move (screenToUse)) {}

    std::vector<Dialog> listDialogs() override
    {
        std::vector<Dialog> list;

        for (auto& dialog : screen->dialogs)
            list.push_back ({ &dialog, dialog.title.substr (0, 255) });

        return list;
    }

    Handle findDialog (const std::string& title) override
    {
        for (auto& dialog : screen->dialogs)
            if (dialog.title.substr (0, 255) == title)
                return &dialog;

        return nullptr;
    }

    Handle findChild (Handle dialog, const std::string& className, const std::string& text) override
    {
        for (auto& control : static_cast<FakeScreen::Dialog*> (dialog)->controls)
            if (control.className == className && control.text == text)
                return &control;

        return nullptr;
    }

    std::string getChildText (Handle dialog, const std::string& className, int index) override
    {
        for (auto& control : static_cast<FakeScreen::Dialog*> (dialog)->controls)
            if (control.className == className && index-- == 0)
                return control.text.substr (0, 255);

        return {};
    }

    void click (Handle button) override
    {
        auto text = static_cast<FakeScreen::Control*> (button)->text;
        screen->clicks.push_back (text);

        if (screen->onClick)
            screen->onClick (text);
    }

private:
    std::shared_ptr<FakeScreen> screen;
};

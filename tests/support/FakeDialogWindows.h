#pragma once

#include <deque>
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
        // False for a window of a program other than the started installer.
        bool shownBySetup = true;
    };

    // Windows keep their handles while others come and go.
    std::deque<Dialog> dialogs;
    std::vector<std::string> clicks;

    /** Called with the pressed button's text when the press is handled, to move the dialog on. */
    std::function<void (const std::string&)> onClick;

    /** How many of the next presses the set-up does not handle at once: they stay
        under way until finishPresses(). */
    int pressesHeld = 0;

    /** Lets the held presses be handled, as a set-up that is done with its work does. */
    void finishPresses()
    {
        auto held = std::move (pressesUnderWay);
        pressesUnderWay.clear();

        for (auto& handle : held)
            handle();
    }

    std::vector<std::function<void()>> pressesUnderWay;

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
            list.push_back ({ &dialog, cut (dialog.title) });

        return list;
    }

    bool isShownBy (Handle dialog, const ProcessTree&) override
    {
        return static_cast<FakeScreen::Dialog*> (dialog)->shownBySetup;
    }

    Handle findChild (Handle dialog, const juce::String& className, const juce::String& text) override
    {
        for (auto& control : static_cast<FakeScreen::Dialog*> (dialog)->controls)
            if (juce::String::fromUTF8 (control.className.c_str()) == className &&
                juce::String::fromUTF8 (control.text.c_str()) == text)
                return &control;

        return nullptr;
    }

    juce::String getChildText (Handle dialog, const juce::String& className, int index) override
    {
        for (auto& control : static_cast<FakeScreen::Dialog*> (dialog)->controls)
            if (juce::String::fromUTF8 (control.className.c_str()) == className && index-- == 0)
                return cut (control.text);

        return {};
    }

    bool press (Handle button, std::function<void()> onHandled) override
    {
        auto text = static_cast<FakeScreen::Control*> (button)->text;
        screen->clicks.push_back (text);

        // A held press lives on the screen: it holds the screen only weakly.
        auto handle = [weakScreen = std::weak_ptr<FakeScreen> (screen), text, onHandled]
        {
            if (auto screen = weakScreen.lock(); screen != nullptr && screen->onClick)
                screen->onClick (text);

            if (onHandled)
                onHandled();
        };

        if (screen->pressesHeld > 0)
        {
            --screen->pressesHeld;
            screen->pressesUnderWay.push_back (handle);
        }
        else
        {
            handle();
        }

        return true;
    }

private:
    // As the system reads it: at most 255 characters.
    static juce::String cut (const std::string& text)
    {
        return juce::String::fromUTF8 (text.c_str()).substring (0, 255);
    }

    std::shared_ptr<FakeScreen> screen;
};

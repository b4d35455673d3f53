#include "DialogWindows.h"

#include <windows.h>

namespace
{
    constexpr auto dialogClass = L"#32770";
    constexpr int textBufferSize = 256;

    // A set-up window that has stopped answering holds a click no longer than this.
    constexpr UINT clickTimeoutMilliseconds = 3000;

    // How long a look at a busy set-up may hold the program's own window.
    constexpr UINT answerTimeoutMilliseconds = 200;

    juce::String readText (HWND window)
    {
        wchar_t text[textBufferSize] = {};
        GetWindowTextW (window, text, textBufferSize);
        return juce::String (text);
    }

    class User32DialogWindows : public DialogWindows
    {
    public:
        std::vector<Dialog> listDialogs() override
        {
            std::vector<Dialog> dialogs;

            for (HWND window = nullptr; (window = FindWindowExW (nullptr, window, dialogClass, nullptr)) != nullptr;)
                dialogs.push_back ({ window, readText (window) });

            return dialogs;
        }

        bool isShownBy (Handle dialog, const ProcessTree& processes) override
        {
            DWORD processId = 0;
            GetWindowThreadProcessId ((HWND) dialog, &processId);
            return processId != 0 && processes.contains (processId);
        }

        Handle findChild (Handle dialog, const juce::String& className, const juce::String& text) override
        {
            return FindWindowExW ((HWND) dialog, nullptr, className.toWideCharPointer(), text.toWideCharPointer());
        }

        juce::String getChildText (Handle dialog, const juce::String& className, int index) override
        {
            HWND child = nullptr;

            for (int i = 0; i <= index; ++i)
                if ((child = FindWindowExW ((HWND) dialog, child, className.toWideCharPointer(), nullptr)) == nullptr)
                    return {};

            return readText (child);
        }

        bool click (Handle button) override
        {
            DWORD_PTR result = 0;
            return SendMessageTimeoutW ((HWND) button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, clickTimeoutMilliseconds,
                                        &result) != 0;
        }

        bool answers (Handle dialog) override
        {
            DWORD_PTR result = 0;
            return SendMessageTimeoutW ((HWND) dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, answerTimeoutMilliseconds,
                                        &result) != 0;
        }
    };
}

std::unique_ptr<DialogWindows> DialogWindows::createForThisSystem() { return std::make_unique<User32DialogWindows>(); }

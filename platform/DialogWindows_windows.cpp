#include "DialogWindows.h"

#include <windows.h>

namespace
{
    constexpr auto dialogClass = L"#32770";
    constexpr int textBufferSize = 256;

    DWORD getProcessId (HWND window)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId (window, &processId);
        return processId;
    }

    void CALLBACK pressHandled (HWND, UINT, ULONG_PTR data, LRESULT)
    {
        std::unique_ptr<std::function<void()>> onHandled (reinterpret_cast<std::function<void()>*> (data));

        if (*onHandled)
            (*onHandled)();
    }

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
            auto processId = getProcessId ((HWND) dialog);
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

        bool press (Handle button, std::function<void()> onHandled) override
        {
            auto handler = std::make_unique<std::function<void()>> (std::move (onHandled));

            if (! SendMessageCallbackW ((HWND) button, BM_CLICK, 0, 0, pressHandled, (ULONG_PTR) handler.get()))
                return false;

            // The callback owns it from now on. A window whose thread ends without
            // taking the press leaves it behind.
            handler.release();
            return true;
        }
    };
}

std::unique_ptr<DialogWindows> DialogWindows::createForThisSystem() { return std::make_unique<User32DialogWindows>(); }

#include "DialogWindows.h"

#include <windows.h>

namespace
{
    constexpr auto dialogClass = "#32770";
    constexpr int textBufferSize = 256;

    std::string readText (HWND window)
    {
        char text[textBufferSize] = {};
        GetWindowTextA (window, text, textBufferSize);
        return text;
    }

    class User32DialogWindows : public DialogWindows
    {
    public:
        std::vector<Dialog> listDialogs() override
        {
            std::vector<Dialog> dialogs;

            for (HWND window = nullptr; (window = FindWindowExA (nullptr, window, dialogClass, nullptr)) != nullptr;)
                dialogs.push_back ({ window, readText (window) });

            return dialogs;
        }

        Handle findDialog (const std::string& title) override { return FindWindowA (dialogClass, title.c_str()); }

        Handle findChild (Handle dialog, const std::string& className, const std::string& text) override
        {
            return FindWindowExA ((HWND) dialog, nullptr, className.c_str(), text.c_str());
        }

        std::string getChildText (Handle dialog, const std::string& className, int index) override
        {
            HWND child = nullptr;

            for (int i = 0; i <= index; ++i)
                if ((child = FindWindowExA ((HWND) dialog, child, className.c_str(), nullptr)) == nullptr)
                    return {};

            return readText (child);
        }

        void click (Handle button) override { SendMessageA ((HWND) button, BM_CLICK, 0, 0); }
    };
}

std::unique_ptr<DialogWindows> DialogWindows::createForThisSystem() { return std::make_unique<User32DialogWindows>(); }

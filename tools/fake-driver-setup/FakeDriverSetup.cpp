// A stand-in for the maker's interactive driver set-up, for the Windows tests.
//
// Its file name says what it does: "<title> - <ending>.exe", for example
// "Quenz Q2 Setup - reboot.exe". It shows a "#32770" dialog titled <title> that
// walks the set-up's pages: language choice, ready to install, installing (for a
// few seconds), then the ending: "reboot" (finished, reboot offered), "exit"
// (finished, no reboot needed, the default) or "fail" (the installation failed).
// Words after the ending change its ways ("... - reboot hang.exe"):
//   hang     it stops answering for ten seconds when INSTALL is pressed, then goes on;
//   busy     it works four seconds inside the INSTALL press, taking messages all the
//            while, and its installing page keeps that button as "Cancel";
//   late     the ending page's buttons come a second after its text;
//   forever  the installing page, with a "Cancel" button, never ends;
//   delay    the dialog shows three seconds after the start;
//   linger   it runs on for two minutes after its dialog has gone.
// It writes the arguments it was started with into "<its own path>.ran".

#include <string>
#include <vector>

#include "../common/RecordArguments.h"

namespace
{
    enum ButtonId
    {
        okButton = 1001,
        installButton,
        cancelButton,
        rebootLaterButton,
        rebootNowButton,
        exitButton
    };

    constexpr UINT_PTR installingTimer = 1, lateButtonsTimer = 2;
    constexpr UINT installingMilliseconds = 3000, lateButtonsMilliseconds = 1000;
    constexpr DWORD hangMilliseconds = 10000, busyMilliseconds = 4000, delayMilliseconds = 3000,
                    lingerMilliseconds = 120000;

    std::wstring title = L"Setup";
    std::wstring ending = L"exit";
    bool hangsOnInstall = false, busyOnInstall = false, buttonsComeLate = false, installsForever = false;

    struct Control
    {
        const wchar_t* className;
        const wchar_t* text;
        int id;
    };

    std::vector<Control> lateButtons;
    int nextControlTop = 12;

    bool isButton (const Control& control) { return std::wstring (control.className) == L"Button"; }

    void addControls (HWND dialog, const std::vector<Control>& controls)
    {
        for (auto& control : controls)
        {
            auto button = isButton (control);
            auto y = nextControlTop;
            CreateWindowExW (0, control.className, control.text, WS_CHILD | WS_VISIBLE | (button ? WS_TABSTOP : 0),
                             button ? 300 : 16, button ? y - 4 : y, button ? 110 : 400, button ? 28 : 20, dialog,
                             (HMENU) (INT_PTR) control.id, GetModuleHandleW (nullptr), nullptr);
            nextControlTop += button ? 34 : 28;
        }
    }

    void workWhilePumpingMessages (DWORD milliseconds)
    {
        auto end = GetTickCount() + milliseconds;

        while (GetTickCount() < end)
        {
            MSG message;

            while (PeekMessageW (&message, nullptr, 0, 0, PM_REMOVE))
            {
                TranslateMessage (&message);
                DispatchMessageW (&message);
            }

            MsgWaitForMultipleObjects (0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }

    void showPage (HWND dialog, const std::vector<Control>& controls)
    {
        while (auto child = GetWindow (dialog, GW_CHILD))
            DestroyWindow (child);

        nextControlTop = 12;
        addControls (dialog, controls);
    }

    void showEnding (HWND dialog)
    {
        std::vector<Control> page;

        if (ending == L"reboot")
            page = { { L"Static", L"The installation completed successfully. Please reboot your computer.", 0 },
                     { L"Button", L"Reboot later", rebootLaterButton },
                     { L"Button", L"Reboot now", rebootNowButton } };
        else if (ending == L"fail")
            page = { { L"Static", L"Installation failed", 0 },
                     { L"Static", L"Unfortunately the installation failed. Please contact support.", 0 },
                     { L"Button", L"E&xit", exitButton } };
        else
            page = { { L"Static", L"The installation completed successfully. It's not necessary to reboot.", 0 },
                     { L"Button", L"E&xit", exitButton } };

        if (! buttonsComeLate)
        {
            showPage (dialog, page);
            return;
        }

        std::vector<Control> texts;

        for (auto& control : page)
            (isButton (control) ? lateButtons : texts).push_back (control);

        showPage (dialog, texts);
        SetTimer (dialog, lateButtonsTimer, lateButtonsMilliseconds, nullptr);
    }

    INT_PTR CALLBACK dialogProcedure (HWND dialog, UINT message, WPARAM wParam, LPARAM)
    {
        switch (message)
        {
            case WM_INITDIALOG:
                SetWindowTextW (dialog, title.c_str());
                showPage (dialog,
                          { { L"Static", L"Please choose your language below:", 0 }, { L"Button", L"OK", okButton } });
                return TRUE;

            case WM_COMMAND:
                switch (LOWORD (wParam))
                {
                    case okButton:
                        showPage (dialog, { { L"Static", L"Ready to install the USB drivers.", 0 },
                                            { L"Button", L"INSTALL", installButton },
                                            { L"Button", L"Cancel", cancelButton } });
                        return TRUE;

                    case installButton:
                        if (hangsOnInstall)
                            Sleep (hangMilliseconds);

                        if (busyOnInstall)
                        {
                            // Works with its window alive, as one with a progress bar does; the
                            // same button, cancelling from now on, takes any press that comes late.
                            workWhilePumpingMessages (busyMilliseconds);
                            auto button = GetDlgItem (dialog, installButton);
                            DestroyWindow (GetDlgItem (dialog, cancelButton));
                            SetWindowTextW (GetWindow (dialog, GW_CHILD), L"Installing USB drivers.");
                            SetWindowLongPtrW (button, GWLP_ID, cancelButton);
                            SetWindowTextW (button, L"Cancel");
                        }
                        else
                        {
                            showPage (dialog, { { L"Static", L"Installing USB drivers.", 0 } });

                            if (installsForever)
                                addControls (dialog, { { L"Button", L"Cancel", cancelButton } });
                        }

                        if (! installsForever)
                            SetTimer (dialog, installingTimer, installingMilliseconds, nullptr);

                        return TRUE;

                    case rebootLaterButton:
                    case rebootNowButton:
                    case exitButton:
                        EndDialog (dialog, ending == L"fail" ? 1 : 0);
                        return TRUE;

                    case cancelButton:
                    case IDCANCEL:
                        EndDialog (dialog, 2);
                        return TRUE;

                    default:
                        return FALSE;
                }

            case WM_TIMER:
                KillTimer (dialog, wParam);

                if (wParam == installingTimer)
                    showEnding (dialog);
                else
                    addControls (dialog, lateButtons);

                return TRUE;

            default:
                return FALSE;
        }
    }

}

int WINAPI WinMain (HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    auto path = getOwnPath();
    recordArguments (path);

    auto name = path.substr (path.find_last_of (L'\\') + 1);
    name = name.substr (0, name.rfind (L'.'));
    auto separator = name.find (L" - ");
    title = name.substr (0, separator);

    std::wstring words = separator != std::wstring::npos ? name.substr (separator + 3) : L"";
    ending = words.substr (0, words.find (L' '));

    auto has = [&words] (const wchar_t* word)
    { return (L" " + words + L" ").find (L" " + std::wstring (word) + L" ") != std::wstring::npos; };

    hangsOnInstall = has (L"hang");
    busyOnInstall = has (L"busy");
    buttonsComeLate = has (L"late");
    installsForever = has (L"forever");

    if (ending.empty())
        ending = L"exit";

    if (has (L"delay"))
        Sleep (delayMilliseconds);

    auto result = (int) DialogBoxParamW (instance, MAKEINTRESOURCEW (100), nullptr, dialogProcedure, 0);

    if (has (L"linger"))
        Sleep (lingerMilliseconds);

    return result;
}

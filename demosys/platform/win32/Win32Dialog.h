// The start-up dialog on Windows: a window of standard controls owned by the demo's window,
// with the executable's banner (bitmap 140) beside them. Its layout, fonts and banner follow the
// DPI of the display it is on (Win32Dpi.h). Internal to platform/win32.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/StartupDialog.h"

struct Win32DialogResult
{
    DialogOutcome outcome = DialogOutcome::Start;
    bool answeredByPerson = false;   // false when Start pressed itself (ZARNOVELT_DIALOG_AUTOSTART)
};

// Runs the dialog until Start or Quit, starting from *choices and leaving the person's choices
// there. The owner window is disabled meanwhile.
Win32DialogResult RunWin32StartupDialog(HWND owner, const StartupDialogModel& model, StartupChoices* choices);

// The dialog's two fonts at one DPI: the person's message font, and the title's (twice as tall,
// bold), with the height of a line of each in pixels.
class Win32DialogFonts
{
public:
    explicit Win32DialogFonts(int dpi);
    ~Win32DialogFonts();
    Win32DialogFonts(const Win32DialogFonts&) = delete;
    Win32DialogFonts& operator=(const Win32DialogFonts&) = delete;

    HFONT text = nullptr;
    HFONT title = nullptr;
    int textHeight = 0;
    int titleHeight = 0;
};

// One control of the dialog: its window class, id, text, style and place in the client area.
struct Win32DialogControl
{
    const wchar_t* type = L"STATIC";
    int id = 0;
    std::wstring text;
    DWORD style = 0;
    RECT rect{};
    bool titleFont = false;     // drawn in the title's font, else in the message font
};

// Where everything goes at one DPI, in client pixels: the banner on the left, the controls in
// the order Tab visits them. Rows are as tall as the fonts need, never less than at 100 %.
struct Win32DialogLayout
{
    SIZE client{};
    RECT banner{};
    std::vector<Win32DialogControl> controls;
};

Win32DialogLayout LayoutWin32StartupDialog(const StartupDialogModel& model, int dpi, const Win32DialogFonts& fonts);

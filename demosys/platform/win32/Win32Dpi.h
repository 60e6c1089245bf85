// Display scaling on Windows. The executable's manifest makes the process per-monitor DPI aware
// (Windows 10 1703 on; per-monitor on 8.1, system-aware on 7), so Windows no longer blows its
// windows up blurred on a display scaled to 150 % or 200 %: every window sees its display's
// real pixels, and what we draw ourselves (the dialog's layout, fonts and banner, the overlay's
// text) is scaled here, from sizes given for 96 DPI (100 %). Each call takes the newest way the
// running Windows offers and falls back to the older ones, found at run time, so the program
// still starts on Windows 7. Internal to platform/win32.
#pragma once

#include <windows.h>

// 100 %: the DPI every size in the code is given for.
constexpr int kBaseDpi = 96;

// `value`, given for 96 DPI, at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int value, int dpi) { return MulDiv(value, dpi, kBaseDpi); }

// The DPI of the display the window is on (the system's where Windows cannot tell per monitor,
// 96 for a process that is not DPI aware).
int WindowDpi(HWND window);

// The DPI of a monitor, for a window about to open on it.
int MonitorDpi(HMONITOR monitor);

// The primary display.
HMONITOR PrimaryMonitor();

// A display's rectangle, whole or without the task bar (its work area); the primary display's
// size where Windows cannot tell.
RECT MonitorRect(HMONITOR monitor, bool workArea);

// The message font (dialogs, buttons) as the person set it, at `dpi`.
LOGFONTW MessageFontForDpi(int dpi);

// Grows a client rectangle to the window's outer rectangle, the frame drawn at `dpi`.
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, int dpi);

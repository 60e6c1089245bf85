#include "platform/win32/Win32Dpi.h"

namespace {

// An entry point of a system DLL that older Windows lacks: null there.
template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name)
{
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr)
        handle = LoadLibraryW(module);
    return handle != nullptr ? reinterpret_cast<Function>(GetProcAddress(handle, name)) : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// Windows 10 1607 on.
GetDpiForWindowFunction DpiForWindow()
{
    static const auto function = SystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    return function;
}

// Windows 8.1 on; the effective DPI is the one the person chose for the display.
GetDpiForMonitorFunction DpiForMonitor()
{
    static const auto function = SystemFunction<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    return function;
}
constexpr int kEffectiveDpi = 0;

// The DPI the process was given at start: the only one on Windows 7 and 8.
int SystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

} // namespace

int MonitorDpi(HMONITOR monitor)
{
    UINT x = 0;
    UINT y = 0;
    if (monitor != nullptr && DpiForMonitor() != nullptr && SUCCEEDED(DpiForMonitor()(monitor, kEffectiveDpi, &x, &y)) &&
        y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

HMONITOR PrimaryMonitor() { return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY); }

RECT MonitorRect(HMONITOR monitor, bool workArea)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return workArea ? info.rcWork : info.rcMonitor;
}

int WindowDpi(HWND window)
{
    if (window != nullptr && DpiForWindow() != nullptr)
    {
        const UINT dpi = DpiForWindow()(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    return MonitorDpi(window != nullptr ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) : nullptr);
}

LOGFONTW MessageFontForDpi(int dpi)
{
    static const auto forDpi =
        SystemFunction<SystemParametersInfoForDpiFunction>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    // The font for the system's DPI, scaled to the one wanted.
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    {
        LOGFONTW font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
        return font;
    }
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
    return font;
}

void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, int dpi)
{
    static const auto forDpi =
        SystemFunction<AdjustWindowRectExForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (forDpi == nullptr || !forDpi(rect, style, FALSE, extendedStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(rect, style, FALSE, extendedStyle);
}

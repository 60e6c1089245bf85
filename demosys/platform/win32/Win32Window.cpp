// The Win32 window: a WGL context on a plain top-level window, its keys, fullscreen, presenting
// the offscreen frame scaled to fit with the overlay over it, the start-up dialog, winmm sound
// and message boxes. The show is drawn into the offscreen framebuffer at its own size; Present
// scales it into the window with black bars, so resizing the window or switching fullscreen
// never changes what the effects see.
//
// On a scaled display the window counts real pixels (the process is DPI aware): a window of the
// chosen size is made as large as it would look at 100 %, fullscreen covers every pixel of the
// display, and the overlay's text is scaled. While the show plays, the screen saver and display
// sleep are held off, and over a fullscreen show the pointer is hidden.
//
// Alt+Tab away from a fullscreen show: the window is a borderless one covering the display (the
// display's mode never changes), so switching away only puts another window in front. The show
// plays on, in time with its music, which goes on playing; the pointer is back over the other
// programs and over the show until the show is brought back to the front. Minimised, the show
// is still drawn but not shown, at no more than about 60 frames a second.
#include <GL/gl.h>

#include <algorithm>

#include "audio/Music.h"
#include "platform/WindowPresent.h"
#include "platform/win32/Win32AudioDevice.h"
#include "platform/win32/Win32Backend.h"
#include "platform/win32/Win32Dialog.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Gl.h"
#include "platform/win32/Win32Overlay.h"
#include "platform/win32/Win32Text.h"
#include "ui/StartupDialog.h"

namespace {

const wchar_t kWindowClass[] = L"ZarnoveltWindow";

struct MonitorSearch
{
    int wanted;
    int seen;
    HMONITOR found;
};

// A named function, not a lambda: 32-bit Windows calls it with the stdcall convention.
BOOL CALLBACK VisitMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto* search = reinterpret_cast<MonitorSearch*>(data);
    if (search->seen++ != search->wanted)
        return TRUE;
    search->found = monitor;
    return FALSE;
}

// Display `index`, in the order the system lists them; the primary display when there is no
// such index.
HMONITOR DisplayMonitor(int index)
{
    MonitorSearch search{index, 0, nullptr};
    EnumDisplayMonitors(nullptr, nullptr, VisitMonitor, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr ? search.found : PrimaryMonitor();
}

// The rectangle (whole, or without the task bar) of display `index`.
RECT DisplayRect(int index, bool workArea) { return MonitorRect(DisplayMonitor(index), workArea); }

constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

class Win32WindowBackend : public Backend
{
public:
    ~Win32WindowBackend() override { Close(); }

    bool Open(const BackendConfig& config, std::string* error) override
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = &Win32WindowBackend::WindowProcedure;
        windowClass.hInstance = ModuleInstance();
        windowClass.hIcon = ProgramIcon();
        windowClass.hIconSm = ProgramIcon();
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kWindowClass;
        RegisterClassExW(&windowClass);

        m_display = config.displayIndex;
        m_alwaysOnTop = config.alwaysOnTop;
        const RECT placement = WindowedPlacement(config.width, config.height);
        const DWORD extended = config.alwaysOnTop ? WS_EX_TOPMOST : 0;
        m_window = CreateWindowExW(extended, kWindowClass, Utf8ToWide(config.title).c_str(), kWindowedStyle,
                                   placement.left, placement.top, placement.right - placement.left,
                                   placement.bottom - placement.top, nullptr, nullptr, ModuleInstance(), this);
        if (m_window == nullptr)
        {
            *error = "cannot create the window (error " + std::to_string(GetLastError()) + ")";
            return false;
        }
        m_context.window = m_window;
        m_dpi = WindowDpi(m_window);
        if (!CreateWindowContext(m_window, config, &m_context, error))
        {
            Close();
            return false;
        }
        SetSwapInterval(config.swapInterval);
        ShowWindow(m_window, SW_SHOW);
        UpdateWindow(m_window);
        if (config.fullscreen)
            SetFullscreen(true);
        return true;
    }

    void Reconfigure(const BackendConfig& config) override
    {
        if (m_window == nullptr)
            return;
        SetFullscreen(config.fullscreen);
        if (!config.fullscreen)
        {
            const RECT placement = WindowedPlacement(config.width, config.height);
            SetWindowPos(m_window, nullptr, placement.left, placement.top, placement.right - placement.left,
                         placement.bottom - placement.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        SetSwapInterval(config.swapInterval);
    }

    DialogOutcome RunStartupDialog(const StartupDialogModel& model, StartupChoices* choices) override
    {
        const Win32DialogResult result = RunWin32StartupDialog(m_window, model, choices);
        // Only a person who answered the dialog is there to answer a message box.
        m_personPresent = result.answeredByPerson;
        SetForegroundWindow(m_window);
        return result.outcome;
    }

    void SetShowPlaying(bool playing) override
    {
        if (m_window == nullptr)
            return;
        m_showPlaying = playing;
        // Held for as long as the show plays: no screen saver, no display or system sleep.
        SetThreadExecutionState(playing ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : ES_CONTINUOUS);
        UpdatePointer();
    }

    PresentationState Presentation() const override
    {
        PresentationState state;
        CURSORINFO cursor{};
        cursor.cbSize = sizeof cursor;
        state.pointerHidden = GetCursorInfo(&cursor) && (cursor.flags & CURSOR_SHOWING) == 0;
        // Asked with no flags, the call changes nothing and answers the state in force.
        constexpr EXECUTION_STATE held = ES_CONTINUOUS | ES_DISPLAY_REQUIRED;
        state.screenSaverHeld = (SetThreadExecutionState(0) & held) == held;
        return state;
    }

    void SetOverlay(std::vector<std::string> lines) override { m_overlayLines = std::move(lines); }

    std::unique_ptr<AudioDevice> OpenAudio(std::unique_ptr<MusicStream> stream, std::string* error) override
    {
        return OpenWin32AudioDevice(std::move(stream), error);
    }

    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        if (!m_personPresent || m_window == nullptr)
            return;
        // The box needs the pointer, also over a fullscreen show.
        m_messageUp = true;
        UpdatePointer();
        MessageBoxW(m_window, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), MB_OK);
        m_messageUp = false;
        UpdatePointer();
    }

    bool HasGl() const override { return true; }
    bool IsInteractive() const override { return true; }
    PROC GetProcAddress(const char* name) override { return WglProcAddress(name); }

    BackendEvents PollEvents() override
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        BackendEvents events = m_events;
        m_events = BackendEvents();
        return events;
    }

    void Present(unsigned int framebuffer, int width, int height) override
    {
        if (IsIconic(m_window))
        {
            // Nothing to show; the show goes on without spinning through frames nobody sees.
            Sleep(15);
            return;
        }
        RECT client{};
        GetClientRect(m_window, &client);
        const int windowWidth = std::max(1, static_cast<int>(client.right - client.left));
        const int windowHeight = std::max(1, static_cast<int>(client.bottom - client.top));
        const WindowPresent present = BlitToWindow(framebuffer, width, height, windowWidth, windowHeight);
        if (!m_overlayLines.empty())
            m_overlay.Draw(m_context.dc, m_overlayLines, windowWidth, windowHeight, m_dpi);
        SwapBuffers(m_context.dc);
        FinishWindowPresent(present);
    }

    HWND Window() const override { return m_window; }

    void SetFullscreen(bool on) override
    {
        if (m_window == nullptr || on == m_fullscreen)
            return;
        if (on)
        {
            GetWindowRect(m_window, &m_windowedRect);
            const RECT display = DisplayRect(m_display, false);
            SetWindowLongPtrW(m_window, GWL_STYLE, kFullscreenStyle | WS_VISIBLE);
            SetWindowPos(m_window, HWND_TOP, display.left, display.top, display.right - display.left,
                         display.bottom - display.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        }
        else
        {
            SetWindowLongPtrW(m_window, GWL_STYLE, kWindowedStyle | WS_VISIBLE);
            SetWindowPos(m_window, m_alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, m_windowedRect.left,
                         m_windowedRect.top, m_windowedRect.right - m_windowedRect.left,
                         m_windowedRect.bottom - m_windowedRect.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        }
        m_fullscreen = on;
        UpdatePointer();
    }

    bool IsFullscreen() const override { return m_fullscreen; }

    void Close() override
    {
        if (m_showPlaying)
            SetShowPlaying(false);
        m_overlayLines.clear();
        if (m_context.rc != nullptr)
            m_overlay.Release();
        DestroyContext(&m_context);
        if (m_window != nullptr)
        {
            SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
            DestroyWindow(m_window);
        }
        m_window = nullptr;
        m_context.window = nullptr;
    }

private:
    // The pointer is hidden over a fullscreen show that has the focus and shows no message box.
    // ShowCursor counts per thread: each change here is undone by the next, and the pointer over
    // other programs' windows is theirs to show.
    void UpdatePointer()
    {
        const bool hide = m_fullscreen && m_showPlaying && m_active && !m_messageUp;
        if (hide == m_pointerHidden)
            return;
        ShowCursor(hide ? FALSE : TRUE);
        m_pointerHidden = hide;
    }

    // The outer rectangle of a window whose inside is width x height at 100 % (as large at the
    // display's scale, and scaled down, keeping its aspect, when the display's work area is
    // smaller), centred on the display.
    RECT WindowedPlacement(int width, int height) const
    {
        const RECT area = DisplayRect(m_display, true);
        const int areaWidth = area.right - area.left;
        const int areaHeight = area.bottom - area.top;
        const int dpi = MonitorDpi(DisplayMonitor(m_display));
        width = ScaleToDpi(width, dpi);
        height = ScaleToDpi(height, dpi);
        RECT frame{0, 0, width, height};
        AdjustWindowRectForDpi(&frame, kWindowedStyle, 0, dpi);
        const int frameWidth = (frame.right - frame.left) - width;
        const int frameHeight = (frame.bottom - frame.top) - height;
        if (areaWidth > frameWidth && areaHeight > frameHeight &&
            (width + frameWidth > areaWidth || height + frameHeight > areaHeight))
        {
            const double scale = std::min(static_cast<double>(areaWidth - frameWidth) / width,
                                          static_cast<double>(areaHeight - frameHeight) / height);
            width = std::max(1, static_cast<int>(width * scale));
            height = std::max(1, static_cast<int>(height * scale));
        }
        const int outerWidth = width + frameWidth;
        const int outerHeight = height + frameHeight;
        const int left = area.left + std::max(0, (areaWidth - outerWidth) / 2);
        const int top = area.top + std::max(0, (areaHeight - outerHeight) / 2);
        return RECT{left, top, left + outerWidth, top + outerHeight};
    }

    void OnKey(WPARAM key)
    {
        switch (key)
        {
        case VK_ESCAPE: m_events.escape = true; break;
        case VK_SPACE: m_events.space = true; break;
        case VK_LEFT: m_events.left = true; break;
        case VK_RIGHT: m_events.right = true; break;
        case VK_HOME: m_events.home = true; break;
        case 'R': m_events.reload = true; break;
        case VK_F1: m_events.toggleOverlay = true; break;
        case VK_F11: m_events.toggleFullscreen = true; break;
        default: break;
        }
    }

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
        {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32WindowBackend*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr)
        {
            switch (message)
            {
            case WM_CLOSE:
                // The show ends at its own pace; the window goes when the backend closes.
                self->m_events.quit = true;
                return 0;
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                // Bit 30: the key was already down (auto-repeat), which is no new press.
                if ((lParam & (1 << 30)) == 0)
                    self->OnKey(wParam);
                if (message == WM_SYSKEYDOWN && wParam != VK_F4)
                    return 0;
                break;
            case WM_SYSCOMMAND:
                // F10 and Alt alone would open the window menu and stall the show.
                if ((wParam & 0xFFF0) == SC_KEYMENU)
                    return 0;
                // No screen saver or display power-off in the middle of the show.
                if (self->m_showPlaying && ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER))
                    return 0;
                break;
            case WM_ACTIVATEAPP:
                // Alt+Tab and back: the pointer is the other program's while we are away.
                self->m_active = wParam != FALSE;
                self->UpdatePointer();
                break;
            case WM_DPICHANGED:
                // Moved to a display of another scale: the size Windows suggests for it there
                // (fullscreen stays on its display's rectangle); the overlay follows on its next
                // frame.
                self->m_dpi = HIWORD(wParam);
                if (!self->m_fullscreen)
                {
                    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
                    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
                }
                return 0;
            case WM_ERASEBKGND:
                return 1;
            default:
                break;
            }
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    WglContext m_context;
    BackendEvents m_events;
    bool m_fullscreen = false;
    bool m_alwaysOnTop = false;
    bool m_personPresent = false;
    bool m_showPlaying = false;
    bool m_active = true;           // ours is the foreground program
    bool m_messageUp = false;
    bool m_pointerHidden = false;   // ShowCursor(FALSE) is in force
    int m_dpi = kBaseDpi;
    RECT m_windowedRect{};
    int m_display = 0;
    Win32Overlay m_overlay;
    std::vector<std::string> m_overlayLines;
};

} // namespace

std::unique_ptr<Backend> CreateWin32WindowBackend() { return std::make_unique<Win32WindowBackend>(); }

bool Win32WindowAvailable()
{
    // A service or a non-interactive window station has no screen a person looks at.
    USEROBJECTFLAGS flags{};
    const HWINSTA station = GetProcessWindowStation();
    if (station != nullptr &&
        GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
        (flags.dwFlags & WSF_VISIBLE) == 0)
        return false;
    return GetSystemMetrics(SM_CXSCREEN) > 0;
}

// The platform contract: one small interface, one file per backend.
//   BackendEgl.cpp   headless OpenGL through EGL (Mesa's surfaceless platform)
//   BackendSdl.cpp   an SDL2 window with a GL context
//   BackendNull.cpp  no GL at all, for timeline tests
// Every GL backend renders the show into an offscreen framebuffer of the chosen size
// (RenderTarget); the window backend then shows it scaled to fit.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "Win32Shim.h"

struct BackendConfig
{
    int width = 640;
    int height = 480;
    bool fullscreen = false;
    int swapInterval = 1;
    std::string title = "Zarnovelt";
};

// What happened in the window since the last poll.
struct BackendEvents
{
    bool quit = false;          // window closed
    bool escape = false;        // Escape pressed
    bool space = false;         // pause / resume
    bool left = false;          // seek back
    bool right = false;         // seek forward
    bool home = false;          // restart
    bool reload = false;        // R: reload the script
    bool toggleOverlay = false; // F1
    bool toggleFullscreen = false; // F11
};

class Backend
{
public:
    virtual ~Backend() = default;

    // Creates the context (and window) and makes it current. False with a reason on failure.
    virtual bool Open(const BackendConfig& config, std::string* error) = 0;

    // True when the backend has a GL context.
    virtual bool HasGl() const = 0;

    // True when a person can see the output (a window).
    virtual bool IsInteractive() const = 0;

    // GL entry point lookup for the current context.
    virtual PROC GetProcAddress(const char* name) = 0;

    // Reads pending window events.
    virtual BackendEvents PollEvents() = 0;

    // Shows the frame held in the offscreen framebuffer `framebuffer` (width x height):
    // a window blits it scaled to fit with black bars and swaps; headless does nothing.
    virtual void Present(unsigned int framebuffer, int width, int height) = 0;

    // The native window as an HWND (null when there is none).
    virtual HWND Window() const = 0;

    // Switches fullscreen on or off (window only).
    virtual void SetFullscreen(bool on) { (void)on; }

    // True while the window is fullscreen.
    virtual bool IsFullscreen() const { return false; }

    // Applies new window settings after the start-up dialog: the window's size (kept within the
    // display), fullscreen and the swap interval. Window only.
    virtual void Reconfigure(const BackendConfig& config) { (void)config; }

    // Called by Present after the frame is in the window and before it is shown, with the
    // window's framebuffer bound: draws what only the window shows (the overlay). May be empty.
    virtual void SetPresentHook(std::function<void()> hook) { (void)hook; }

    // Releases the context and window.
    virtual void Close() = 0;
};

std::unique_ptr<Backend> CreateEglBackend();
std::unique_ptr<Backend> CreateSdlBackend();
std::unique_ptr<Backend> CreateNullBackend();

// True when a display is available for a window (DISPLAY or WAYLAND_DISPLAY set).
bool DisplayAvailable();

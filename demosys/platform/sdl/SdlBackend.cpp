// An SDL2 window with a compatibility-profile GL context, its events, the start-up dialog and
// the overlay (Dear ImGui, SdlUi) and SDL2 audio. The show is drawn into the offscreen
// framebuffer at its own size; Present scales it into the window with black bars, so resizing
// the window or switching fullscreen never changes what the effects see.
#include <SDL2/SDL.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/WindowPresent.h"
#include "platform/sdl/SdlAudioDevice.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlDialog.h"
#include "platform/sdl/SdlUi.h"

#ifdef ZARNOVELT_GLES
#include "fixedfunction/FixedFunction.h"
#endif

namespace {

class SdlBackend : public Backend
{
public:
    ~SdlBackend() override { Close(); }

    bool Open(const BackendConfig& config, std::string* error) override
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        {
            *error = std::string("SDL video: ") + SDL_GetError();
            return false;
        }
        m_videoInitialised = true;
        // SDL holds the screen saver off from here by default; the dialog leaves it alone, the
        // show holds it (SetShowPlaying).
        SDL_EnableScreenSaver();
#ifdef ZARNOVELT_GLES
        // OpenGL ES 3 under the fixed-function layer.
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
#else
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
#endif
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        // The window's own buffers as the start-up record asks; the show itself is drawn into
        // the offscreen framebuffer, which follows the same choices (RenderTarget).
        const bool deepColour = config.colourBits >= 24;
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deepColour ? 8 : 5);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deepColour ? 8 : 6);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deepColour ? 8 : 5);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, config.depthBuffer ? 24 : 0);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, config.stencilBuffer ? 8 : 0);
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
        if (config.fullscreen)
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (config.alwaysOnTop)
            flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        // A display that does not exist is the first one.
        m_display = config.displayIndex >= 0 && config.displayIndex < SDL_GetNumVideoDisplays() ? config.displayIndex : 0;
        int windowWidth = config.width;
        int windowHeight = config.height;
        FitToDisplay(m_display, &windowWidth, &windowHeight);
        int x = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(m_display));
        int y = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(m_display));
        SDL_Rect display;
        if (config.fullscreen && SDL_GetDisplayBounds(m_display, &display) == 0)
        {
            // A fullscreen window starts out covering the display, so it does so even where no
            // window manager is there to make it fullscreen (a bare X server).
            x = display.x;
            y = display.y;
            m_windowedWidth = windowWidth;
            m_windowedHeight = windowHeight;
            windowWidth = display.w;
            windowHeight = display.h;
        }
        m_window = SDL_CreateWindow(config.title.c_str(), x, y, windowWidth, windowHeight, flags);
        if (m_window == nullptr)
        {
            *error = std::string("SDL window: ") + SDL_GetError();
            Close();
            return false;
        }
        m_context = SDL_GL_CreateContext(m_window);
        if (m_context == nullptr)
        {
            *error = std::string("SDL GL context: ") + SDL_GetError();
            Close();
            return false;
        }
        SDL_GL_MakeCurrent(m_window, m_context);
#ifdef ZARNOVELT_GLES
        std::string reason;
        if (!FixedFunctionLoad([](const char* name) { return SDL_GL_GetProcAddress(name); }, &reason))
        {
            *error = "OpenGL ES: " + reason;
            Close();
            return false;
        }
#endif
        SDL_GL_SetSwapInterval(config.swapInterval);
        m_fullscreen = config.fullscreen;
        if (!config.fullscreen)
        {
            m_windowedWidth = windowWidth;
            m_windowedHeight = windowHeight;
        }
        return true;
    }

    void Reconfigure(const BackendConfig& config) override
    {
        if (m_window == nullptr)
            return;
        SetFullscreen(config.fullscreen);
        if (!config.fullscreen)
        {
            int windowWidth = config.width;
            int windowHeight = config.height;
            FitToDisplay(m_display, &windowWidth, &windowHeight);
            m_windowedWidth = windowWidth;
            m_windowedHeight = windowHeight;
            SDL_SetWindowSize(m_window, windowWidth, windowHeight);
            SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED_DISPLAY(m_display),
                                  SDL_WINDOWPOS_CENTERED_DISPLAY(m_display));
        }
        SDL_GL_SetSwapInterval(config.swapInterval);
    }

    DialogOutcome RunStartupDialog(const StartupDialogModel& model, StartupChoices* choices) override
    {
        return RunSdlStartupDialog(m_window, m_ui, model, choices);
    }

    void SetShowPlaying(bool playing) override
    {
        if (!m_videoInitialised)
            return;
        m_showPlaying = playing;
        if (playing)
            SDL_DisableScreenSaver();
        else
            SDL_EnableScreenSaver();
        UpdatePointer();
    }

    PresentationState Presentation() const override
    {
        PresentationState state;
        if (!m_videoInitialised)
            return state;
        state.pointerHidden = SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE;
        state.screenSaverHeld = SDL_IsScreenSaverEnabled() == SDL_FALSE;
        return state;
    }

    void SetOverlay(std::vector<std::string> lines) override
    {
        m_overlay = std::move(lines);
        if (!m_overlay.empty() && m_window != nullptr)
            m_ui.Init(m_window);
    }

    std::unique_ptr<AudioDevice> OpenAudio(std::unique_ptr<MusicStream> stream, std::string* error) override
    {
        return OpenSdlAudioDevice(std::move(stream), error);
    }

    bool HasGl() const override { return true; }
    bool IsInteractive() const override { return true; }
#ifdef ZARNOVELT_GLES
    // The layer's functions: every GL name the program asks for lands in it.
    PROC GetProcAddress(const char* name) override { return reinterpret_cast<PROC>(FixedFunctionGetProcAddress(name)); }
#else
    PROC GetProcAddress(const char* name) override { return reinterpret_cast<PROC>(SDL_GL_GetProcAddress(name)); }
#endif

    BackendEvents PollEvents() override
    {
        BackendEvents events;
        SDL_Event event;
        while (SDL_PollEvent(&event))
        {
            if (event.type == SDL_QUIT)
                events.quit = true;
            else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)
                events.quit = true;
            else if (event.type == SDL_KEYDOWN && event.key.repeat == 0)
            {
                switch (event.key.keysym.sym)
                {
                case SDLK_ESCAPE: events.escape = true; break;
                case SDLK_SPACE: events.space = true; break;
                case SDLK_LEFT: events.left = true; break;
                case SDLK_RIGHT: events.right = true; break;
                case SDLK_HOME: events.home = true; break;
                case SDLK_r: events.reload = true; break;
                case SDLK_F1: events.toggleOverlay = true; break;
                case SDLK_F11: events.toggleFullscreen = true; break;
                default: break;
                }
            }
        }
        return events;
    }

    void Present(unsigned int framebuffer, int width, int height) override
    {
        int windowWidth = 0;
        int windowHeight = 0;
        SDL_GL_GetDrawableSize(m_window, &windowWidth, &windowHeight);
        const WindowPresent present = BlitToWindow(framebuffer, width, height, windowWidth, windowHeight);
        m_ui.DrawOverlay(m_overlay);
        SDL_GL_SwapWindow(m_window);
        FinishWindowPresent(present);
    }

    HWND Window() const override { return m_window; }

    void SetFullscreen(bool on) override
    {
        if (m_window == nullptr || on == m_fullscreen)
            return;
        SDL_Rect display;
        if (on)
        {
            SDL_GetWindowSize(m_window, &m_windowedWidth, &m_windowedHeight);
            // Cover the display first: without a window manager nobody else moves the window.
            if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(m_window), &display) == 0)
            {
                SDL_SetWindowPosition(m_window, display.x, display.y);
                SDL_SetWindowSize(m_window, display.w, display.h);
            }
        }
        if (SDL_SetWindowFullscreen(m_window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
            return;
        m_fullscreen = on;
        UpdatePointer();
        // Leaving fullscreen, ask for the window's old size and place again: without a window
        // manager the X server keeps the fullscreen geometry, or SDL goes on believing it.
        if (!on && m_windowedWidth > 0 && m_windowedHeight > 0)
        {
            SDL_SetWindowSize(m_window, m_windowedWidth, m_windowedHeight);
            SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED_DISPLAY(m_display),
                                  SDL_WINDOWPOS_CENTERED_DISPLAY(m_display));
        }
    }

    bool IsFullscreen() const override { return m_fullscreen; }

    void Close() override
    {
        if (m_showPlaying)
            SetShowPlaying(false);
        m_ui.Shutdown();
        m_overlay.clear();
#ifdef ZARNOVELT_GLES
        if (m_context != nullptr && FixedFunctionLoaded())
            FixedFunctionRelease();
#endif
        if (m_context != nullptr)
            SDL_GL_DeleteContext(m_context);
        if (m_window != nullptr)
            SDL_DestroyWindow(m_window);
        if (m_videoInitialised)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        m_context = nullptr;
        m_window = nullptr;
        m_videoInitialised = false;
    }

private:
    // The pointer is hidden over a fullscreen show only. SDL hides it over our window alone, so
    // a person who switches to another program finds it there.
    void UpdatePointer() { SDL_ShowCursor(m_fullscreen && m_showPlaying ? SDL_DISABLE : SDL_ENABLE); }

    // A window larger than the display it opens on is scaled down, keeping its aspect; the
    // picture is rendered at the chosen size anyway and scaled into the window.
    static void FitToDisplay(int displayIndex, int* width, int* height)
    {
        SDL_Rect usable;
        if (SDL_GetDisplayUsableBounds(displayIndex, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
            return;
        if (*width <= usable.w && *height <= usable.h)
            return;
        const double scale = std::min(static_cast<double>(usable.w) / *width, static_cast<double>(usable.h) / *height);
        *width = std::max(1, static_cast<int>(*width * scale));
        *height = std::max(1, static_cast<int>(*height * scale));
    }

    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    bool m_videoInitialised = false;
    bool m_fullscreen = false;
    bool m_showPlaying = false;
    int m_windowedWidth = 0;    // the window's size before it went fullscreen
    int m_windowedHeight = 0;
    int m_display = 0;
    SdlUi m_ui;
    std::vector<std::string> m_overlay;
};

} // namespace

std::unique_ptr<Backend> CreateSdlBackend() { return std::make_unique<SdlBackend>(); }

bool SdlDisplayAvailable()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11) || (wayland != nullptr && *wayland);
}

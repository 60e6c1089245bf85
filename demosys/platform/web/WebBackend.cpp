// The browser: a WebGL 2 context on the page's canvas (#canvas), under the fixed-function layer
// the effects draw with. The browser owns the main loop: Present hands the page back to it, and
// the show goes on from there in the next animation frame (a person's page) or as soon as the
// browser has run its events (captures and timing runs), so one frame of the show runs per
// callback. The start page, the keys and the canvas's size are the page's (WebPlatform.js,
// shell/web); the music is Web Audio's (WebAudioDevice).
//
// As in a desktop window, the show is drawn into the offscreen framebuffer at its own size and
// Present scales it into the canvas with black bars, so the page's size never changes what the
// effects see.
#include "platform/web/WebBackend.h"

#include <emscripten/html5.h>

#include <GL/gl.h>

#include <cstring>

#include "fixedfunction/FixedFunction.h"
#include "platform/WindowPresent.h"
#include "platform/web/WebAudioDevice.h"
#include "platform/web/WebPage.h"
#include "support/Report.h"
#include "ui/StartupDialog.h"

namespace {

// The WebGL 2 entry points for the layer. WebGL maps no buffers (the browser's lookup still
// answers for the ES names, with functions that fail): the layer is told there is no mapping, so
// it fills its buffers with glBufferSubData, reads pixels directly and offers no glMapBuffer.
void* WebGlProcAddress(const char* name)
{
    if (std::strcmp(name, "glMapBufferRange") == 0 || std::strcmp(name, "glUnmapBuffer") == 0)
        return nullptr;
    return emscripten_webgl_get_proc_address(name);
}

class WebBackend : public Backend
{
public:
    explicit WebBackend(bool interactive) : m_interactive(interactive) {}
    ~WebBackend() override { Close(); }

    bool Open(const BackendConfig& config, std::string* error) override
    {
        EmscriptenWebGLContextAttributes attributes;
        emscripten_webgl_init_context_attributes(&attributes);
        attributes.majorVersion = 2;
        attributes.minorVersion = 0;
        // The canvas only ever receives the scaled picture: the buffers the show draws with
        // (depth, stencil) are the offscreen framebuffer's.
        attributes.alpha = false;
        attributes.depth = false;
        attributes.stencil = false;
        attributes.antialias = false;
        attributes.premultipliedAlpha = false;
        attributes.preserveDrawingBuffer = false;
        attributes.powerPreference = EM_WEBGL_POWER_PREFERENCE_HIGH_PERFORMANCE;
        attributes.enableExtensionsByDefault = true;
        m_context = emscripten_webgl_create_context("#canvas", &attributes);
        if (m_context <= 0)
        {
            *error = "the browser gives no WebGL 2 context (error " + std::to_string(m_context) + ")";
            m_context = 0;
            return false;
        }
        if (emscripten_webgl_make_context_current(m_context) != EMSCRIPTEN_RESULT_SUCCESS)
        {
            *error = "the WebGL 2 context cannot be made current";
            Close();
            return false;
        }
        // The effects' OpenGL 1.1 is the fixed-function layer's, drawn with WebGL 2 through
        // emscripten's entry points.
        if (!FixedFunctionLoad(WebGlProcAddress, error))
        {
            Close();
            return false;
        }
        // Captures and timing runs draw at the size asked for; a person's page fits the canvas
        // to the page.
        if (!m_interactive)
        {
            m_fixedWidth = config.width;
            m_fixedHeight = config.height;
        }
        if (m_interactive)
            zarnovelt_web_listen_keys();
        return true;
    }

    bool HasGl() const override { return true; }
    bool IsInteractive() const override { return m_interactive; }

    // The layer's functions (without glMapBuffer here, so a capture reads its frames back
    // directly).
    PROC GetProcAddress(const char* name) override { return reinterpret_cast<PROC>(FixedFunctionGetProcAddress(name)); }

    BackendEvents PollEvents() override
    {
        BackendEvents events;
        if (ContextLost())
        {
            // Nothing can be drawn any more: the show ends as if the window had closed.
            events.quit = true;
            return events;
        }
        if (!m_interactive)
            return events;
        const int keys = zarnovelt_web_take_keys();
        events.escape = (keys & kWebKeyEscape) != 0;
        events.space = (keys & kWebKeySpace) != 0;
        events.left = (keys & kWebKeyLeft) != 0;
        events.right = (keys & kWebKeyRight) != 0;
        events.home = (keys & kWebKeyHome) != 0;
        events.reload = (keys & kWebKeyReload) != 0;
        events.toggleOverlay = (keys & kWebKeyOverlay) != 0;
        events.toggleFullscreen = (keys & kWebKeyFullscreen) != 0;
        return events;
    }

    void Present(unsigned int framebuffer, int width, int height) override
    {
        int canvasWidth = 0;
        int canvasHeight = 0;
        zarnovelt_web_fit_canvas(m_fixedWidth, m_fixedHeight, &canvasWidth, &canvasHeight);
        const WindowPresent present = BlitToWindow(framebuffer, width, height, canvasWidth, canvasHeight);
        FinishWindowPresent(present);
        if (m_interactive)
        {
            zarnovelt_web_wait_frame();
        }
        else
        {
            glFlush();
            zarnovelt_web_yield();
        }
        // The browser may have taken the context away meanwhile: the layer is told at once.
        ContextLost();
    }

    HWND Window() const override { return m_interactive ? const_cast<WebBackend*>(this) : nullptr; }

    void SetFullscreen(bool on) override
    {
        if (m_interactive)
            zarnovelt_web_set_fullscreen(on ? 1 : 0);
    }

    bool IsFullscreen() const override { return m_interactive && zarnovelt_web_is_fullscreen() != 0; }

    void Reconfigure(const BackendConfig& config) override
    {
        if (config.fullscreen != IsFullscreen())
            SetFullscreen(config.fullscreen);
    }

    DialogOutcome RunStartupDialog(const StartupDialogModel& model, StartupChoices* choices) override
    {
        WebDialogAnswers answers{};
        zarnovelt_web_run_dialog(model.title.c_str(), model.group.c_str(), model.offerSound ? 1 : 0,
                                 choices->sound ? 1 : 0, model.offerWindowMode ? 1 : 0, choices->fullscreen ? 1 : 0,
                                 choices->width, choices->height, model.autoStartFrames, &answers);
        choices->sound = answers.sound != 0;
        choices->fullscreen = answers.fullscreen != 0;
        if (answers.width > 0 && answers.height > 0)
        {
            choices->width = answers.width;
            choices->height = answers.height;
        }
        return DialogOutcome::Start;
    }

    void SetOverlay(std::vector<std::string> lines) override
    {
        if (!m_interactive || lines == m_overlay)
            return;
        m_overlay = std::move(lines);
        std::string text;
        for (const std::string& line : m_overlay)
            text += (text.empty() ? "" : "\n") + line;
        zarnovelt_web_set_overlay(text.c_str());
    }

    std::unique_ptr<AudioDevice> OpenAudio(std::unique_ptr<MusicStream> stream, std::string* error) override
    {
        return OpenWebAudioDevice(std::move(stream), error);
    }

    void Close() override
    {
        if (m_interactive)
            zarnovelt_web_set_overlay("");
        m_overlay.clear();
        if (m_context > 0)
        {
            if (FixedFunctionLoaded() && !ContextLost())
                FixedFunctionRelease();
            emscripten_webgl_make_context_current(0);
            emscripten_webgl_destroy_context(m_context);
        }
        m_context = 0;
    }

private:
    // True once the browser has taken the context away (its graphics process restarted, too
    // many contexts): nothing can be drawn any more. Said once, and the layer forgets its
    // objects without touching GL.
    bool ContextLost()
    {
        if (m_lost)
            return true;
        if (m_context <= 0 || !emscripten_is_webgl_context_lost(m_context))
            return false;
        m_lost = true;
        ReportError("the browser has taken the WebGL context away; the show ends (reload the page to play it again)");
        if (FixedFunctionLoaded())
            FixedFunctionContextLost();
        return true;
    }

    bool m_interactive;
    bool m_lost = false;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE m_context = 0;
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    std::vector<std::string> m_overlay;
};

} // namespace

std::unique_ptr<Backend> CreateWebWindowBackend() { return std::make_unique<WebBackend>(true); }

std::unique_ptr<Backend> CreateWebHeadlessBackend() { return std::make_unique<WebBackend>(false); }

bool WebWindowAvailable() { return true; }

// Headless OpenGL through EGL on Mesa's surfaceless platform: a compatibility-profile context
// with no surface at all (in a ZARNOVELT_GLES build an OpenGL ES 3 context, under the
// fixed-function layer). The show renders into the RenderTarget framebuffer; Present shows
// nothing, since nobody looks, but hands the frame to the driver as a window's swap would.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>
#include <string>

#include "platform/egl/EglBackend.h"

#ifdef ZARNOVELT_GLES
#include "fixedfunction/FixedFunction.h"
#endif

namespace {

class EglBackend : public Backend
{
public:
    ~EglBackend() override { Close(); }

    bool Open(const BackendConfig& config, std::string* error) override
    {
        (void)config;
        auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay != nullptr)
            m_display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (m_display == EGL_NO_DISPLAY)
            m_display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (m_display == EGL_NO_DISPLAY)
            return Fail(error, "no EGL display (is Mesa's EGL installed?)");
        EGLint major = 0;
        EGLint minor = 0;
        if (!eglInitialize(m_display, &major, &minor))
        {
            m_display = EGL_NO_DISPLAY;
            return Fail(error, "eglInitialize failed");
        }
#ifdef ZARNOVELT_GLES
        const EGLenum api = EGL_OPENGL_ES_API;
        const EGLint renderable = EGL_OPENGL_ES3_BIT;
        const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_NONE};
        const char* const apiName = "OpenGL ES 3";
#else
        const EGLenum api = EGL_OPENGL_API;
        const EGLint renderable = EGL_OPENGL_BIT;
        // No profile attributes: Mesa gives the compatibility profile, which OpenGL 1.1 code needs.
        const EGLint* const contextAttributes = nullptr;
        const char* const apiName = "desktop OpenGL";
#endif
        if (!eglBindAPI(api))
            return Fail(error, (std::string("EGL has no ") + apiName).c_str());

        const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, renderable,
                                           EGL_NONE};
        EGLConfig eglConfig = nullptr;
        EGLint count = 0;
        if (!eglChooseConfig(m_display, configAttributes, &eglConfig, 1, &count) || count == 0)
        {
            // Surfaceless displays may offer configs without any surface type.
            const EGLint anyConfig[] = {EGL_RENDERABLE_TYPE, renderable, EGL_NONE};
            if (!eglChooseConfig(m_display, anyConfig, &eglConfig, 1, &count) || count == 0)
                eglConfig = nullptr;
        }
        m_context = eglCreateContext(m_display, eglConfig, EGL_NO_CONTEXT, contextAttributes);
        if (m_context == EGL_NO_CONTEXT)
            return Fail(error, (std::string("eglCreateContext failed for ") + apiName).c_str());
        if (!eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context))
            return Fail(error, "eglMakeCurrent without a surface failed");
#ifdef ZARNOVELT_GLES
        std::string reason;
        if (!FixedFunctionLoad([](const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); },
                               &reason))
            return Fail(error, reason.c_str());
#endif
        return true;
    }

    bool HasGl() const override { return true; }
    bool IsInteractive() const override { return false; }
#ifdef ZARNOVELT_GLES
    // The layer's functions: every GL name the program asks for lands in it.
    PROC GetProcAddress(const char* name) override { return reinterpret_cast<PROC>(FixedFunctionGetProcAddress(name)); }
#else
    PROC GetProcAddress(const char* name) override { return reinterpret_cast<PROC>(eglGetProcAddress(name)); }
#endif
    BackendEvents PollEvents() override { return {}; }
    // Without a flush a multi-threaded driver (llvmpipe) keeps binning frame after frame into
    // one scene that is never rasterised: a timed headless run would measure nothing and its
    // memory would grow by megabytes a frame. A flush per frame is what a swap does.
    void Present(unsigned int, int, int) override { glFlush(); }
    HWND Window() const override { return nullptr; }

    void Close() override
    {
        if (m_display == EGL_NO_DISPLAY)
            return;
#ifdef ZARNOVELT_GLES
        if (m_context != EGL_NO_CONTEXT && FixedFunctionLoaded())
            FixedFunctionRelease();
#endif
        eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (m_context != EGL_NO_CONTEXT)
            eglDestroyContext(m_display, m_context);
        eglTerminate(m_display);
        m_context = EGL_NO_CONTEXT;
        m_display = EGL_NO_DISPLAY;
    }

private:
    bool Fail(std::string* error, const char* reason)
    {
        if (error != nullptr)
            *error = reason;
        Close();
        return false;
    }

    EGLDisplay m_display = EGL_NO_DISPLAY;
    EGLContext m_context = EGL_NO_CONTEXT;
};

} // namespace

std::unique_ptr<Backend> CreateEglBackend() { return std::make_unique<EglBackend>(); }

#include "GlTestContext.h"

#include <GL/gl.h>

#include <cstdio>
#include <memory>

#include "platform/CurrentContext.h"
#include "platform/BackendChoice.h"
#include "platform/GlFunctions.h"
#include "codecs/ImageCodec.h"
#include "platform/RenderTarget.h"

namespace {

// Both live until the process ends and are never destroyed: GL calls from static destructors
// would run while the driver's own statics are being torn down, which can hang the exit.
Backend* g_backend = nullptr;
RenderTarget& g_target = *new RenderTarget;

void ResetState(int width, int height)
{
    // Back to GL's initial state as far as the effects can tell.
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_LIGHTING);
    for (int light = 0; light < 8; ++light)
        glDisable(GL_LIGHT0 + light);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    // A drawn model leaves its last material behind; lit effects after it would take it on.
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR)
    {
    }
}

} // namespace

namespace GlTestContext
{

bool Create(int width, int height, std::string* error)
{
    if (!g_backend)
    {
        // The platform's headless context: EGL on Linux, a hidden window or bitmap on Windows.
        auto backend = CreatePlatformBackend(BackendRole::Headless);
        if (!backend->Open(BackendConfig{}, error))
            return false;
        g_backend = backend.release();
        SetCurrentBackend(g_backend);
        if (!Gl().Load())
        {
            *error = "the GL context lacks framebuffer objects";
            return false;
        }
    }
    SetCurrentBackend(g_backend);
    if (g_target.Width() != width || g_target.Height() != height || g_target.Framebuffer() == 0)
        if (!g_target.Create(width, height, error))
            return false;
    g_target.Bind();
    ResetState(width, height);
    return true;
}

bool Create(int width, int height)
{
    std::string error;
    if (Create(width, height, &error))
        return true;
    std::fprintf(stderr, "GlTestContext: %s\n", error.c_str());
    return false;
}

bool IsOpen() { return g_backend != nullptr; }

void Bind() { g_target.Bind(); }

Rgba Pixel(int x, int y)
{
    unsigned char pixel[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgba{pixel[0], pixel[1], pixel[2], pixel[3]};
}

std::vector<uint8_t> ReadRgba()
{
    std::vector<uint8_t> rgba(static_cast<size_t>(Width()) * Height() * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width(), Height(), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

bool SavePng(const std::string& path)
{
    std::vector<unsigned char> bgra;
    g_target.ReadUpright(bgra);
    std::string error;
    return WritePngBgra(path, Width(), Height(), bgra.data(), &error);
}

int Width() { return g_target.Width(); }
int Height() { return g_target.Height(); }

std::vector<unsigned int> TakeGlErrors()
{
    std::vector<unsigned int> errors;
    for (GLenum error = glGetError(); error != GL_NO_ERROR && errors.size() < 32; error = glGetError())
        errors.push_back(error);
    return errors;
}

} // namespace GlTestContext

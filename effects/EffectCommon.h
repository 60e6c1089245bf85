// Pieces every effect uses the same way.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstddef>

#include "DemoGL.h"

// The attribute groups most effects save around their frame: colour buffer, enables, depth
// buffer and polygon state (0x6108).
constexpr GLbitfield kEffectAttribMask =
    GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT;

// The near plane of CLEAR's trail and of the flat pictures (BACKGROUND, IMAGE, BORDER): the
// single-precision 0.1, widened to double (0.10000000149011612). The other effects with a
// near plane of 0.1 pass the double 0.1.
constexpr double kNearPlane = static_cast<double>(0.1f);

// Loads a picture the way every effect does: (file, type, 0, wrap, wrap, GL_LINEAR, GL_LINEAR,
// false, false, 0, format, 2). Returns the library's id, 0 when the load failed.
inline unsigned int LoadEffectTexture(const char* fileName, int imageType, GLint wrap, GLint internalFormat)
{
    return DEMOGL_TextureLoad(fileName, imageType, 0, wrap, wrap, GL_LINEAR, GL_LINEAR, false, false, 0,
                              internalFormat, 2);
}

// Loads files[i] into textures[i], in order, each with LoadEffectTexture. A failed load leaves
// its id 0, which the effects keep and use like any other.
template <std::size_t N>
void LoadEffectTextures(const char* const (&files)[N], int imageType, GLint wrap, GLint internalFormat,
                        unsigned int (&textures)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        textures[i] = LoadEffectTexture(files[i], imageType, wrap, internalFormat);
}

// Prepare: DEMOGL_TextureUpload for each id, in order; the results are not examined.
template <std::size_t N>
void UploadTextures(const unsigned int (&textures)[N])
{
    for (unsigned int texture : textures)
        DEMOGL_TextureUpload(texture);
}

// End: DEMOGL_TextureUnUpload for each id, in order.
template <std::size_t N>
void UnUploadTextures(const unsigned int (&textures)[N])
{
    for (unsigned int texture : textures)
        DEMOGL_TextureUnUpload(texture);
}

// The clear values an effect sets while it opens its frame; it clears nothing with them, they
// are there for whoever clears inside its attribute push.
enum class ClearValues
{
    Kept,          // the clear colour and depth stay as the frame has them
    BlackOpaque,   // black with alpha 1, depth 1
    BlackHalfAlpha // black with alpha 0.5, depth 1
};

// How most effects open their frame: saves kEffectAttribMask, then texturing on, smooth
// shading, the clear values, the depth test on (unless enableDepthTest is false) with
// GL_LEQUAL, and the nicest perspective correction. The effect switches the depth test off
// again where it draws without it.
inline void OpenEffectFrame(ClearValues clear, bool enableDepthTest = true)
{
    glPushAttrib(kEffectAttribMask);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    if (clear != ClearValues::Kept)
    {
        glClearColor(0.0f, 0.0f, 0.0f, clear == ClearValues::BlackOpaque ? 1.0f : 0.5f);
        glClearDepth(1.0);
    }
    if (enableDepthTest)
        glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

// glViewport over the whole view; the projection matrix reset to a 45-degree perspective with
// the view's aspect (computed in double precision); the model-view matrix reset to identity and
// left current.
inline void SetViewAndProjection(int width, int height, double nearPlane, double farPlane)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The view the flat pictures (BACKGROUND, IMAGE, BORDER) are laid out in: the whole view, a
// 45-degree perspective from the single-precision 0.1 to 100, identity model-view, and
// textures modulated by the current colour.
inline void SetPictureView(int width, int height)
{
    SetViewAndProjection(width, height, kNearPlane, 100.0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Pieces every effect uses the same way.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include "DemoGL.h"

// The attribute groups most effects save around their frame: colour buffer, enables, depth
// buffer and polygon state (0x6108).
constexpr GLbitfield kEffectAttribMask =
    GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT;

// The near plane most effects use: the single-precision 0.1, widened to double.
constexpr double kNearPlane = static_cast<double>(0.1f);

// Loads a picture the way every effect does: (file, type, 0, wrap, wrap, GL_LINEAR, GL_LINEAR,
// false, false, 0, format, 2). Returns the library's id, 0 when the load failed.
inline unsigned int LoadEffectTexture(const char* fileName, int imageType, GLint wrap, GLint internalFormat)
{
    return DEMOGL_TextureLoad(fileName, imageType, 0, wrap, wrap, GL_LINEAR, GL_LINEAR, false, false, 0,
                              internalFormat, 2);
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

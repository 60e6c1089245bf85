// The additive sprites PARTY and STARFIELD draw: the frame they open and the sprite itself.
#pragma once

#include <GL/gl.h>

#include "EffectCommon.h"

// The frame up to the sprites: saves kEffectAttribMask; smooth shading, depth test off,
// blending on as (GL_SRC_ALPHA, GL_ONE), the nicest perspective and point-smoothing hints,
// texturing on with the sprite texture bound; the whole view in a 45-degree perspective from
// 0.1 to 200 with an identity model-view. glPopAttrib closes it.
inline void OpenSpriteFrame(int width, int height, unsigned int texture)
{
    glPushAttrib(kEffectAttribMask);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    SetViewAndProjection(width, height, 0.1, 200.0);
}

// One 1 x 1 sprite in the plane z, centred on (x, y), drawn with the current colour as a
// triangle strip: upper right, upper left, lower right, lower left.
inline void DrawSprite(float x, float y, float z)
{
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2d(1.0, 1.0);
    glVertex3f(x + 0.5f, y + 0.5f, z);
    glTexCoord2d(0.0, 1.0);
    glVertex3f(x - 0.5f, y + 0.5f, z);
    glTexCoord2d(1.0, 0.0);
    glVertex3f(x + 0.5f, y - 0.5f, z);
    glTexCoord2d(0.0, 0.0);
    glVertex3f(x - 0.5f, y - 0.5f, z);
    glEnd();
}

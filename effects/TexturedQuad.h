// The textured quads the flat effects draw: four corners whose texture coordinates run
// (0,0), (1,0), (1,1), (0,1) in turn, so the whole picture is stretched over the quad once.
#pragma once

#include <GL/gl.h>

// The four corners, with their texture coordinates, between a glBegin(GL_QUADS) and its glEnd;
// every corner lies in the plane z.
inline void TexturedCorners(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float z)
{
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(x0, y0, z);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(x1, y1, z);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(x2, y2, z);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(x3, y3, z);
}

// One GL_QUADS quad through the four corners, in this order.
inline void DrawTexturedQuad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float z)
{
    glBegin(GL_QUADS);
    TexturedCorners(x0, y0, x1, y1, x2, y2, x3, y3, z);
    glEnd();
}

// The rectangle from (left, bottom) to (right, top), drawn from its lower left corner
// anticlockwise.
inline void DrawTexturedRectangle(float left, float bottom, float right, float top, float z)
{
    DrawTexturedQuad(left, bottom, right, bottom, right, top, left, top, z);
}

// A picture cut into the frame with its mask: the mask multiplies the frame (black cuts a
// hole, white keeps it), then the image is added. Blending must be on; the blend function is
// left at (GL_ONE, GL_ONE) and the image bound.
inline void DrawMaskedRectangle(unsigned int mask, unsigned int image, float left, float bottom, float right,
                                float top, float z)
{
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, mask);
    DrawTexturedRectangle(left, bottom, right, top, z);
    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, image);
    DrawTexturedRectangle(left, bottom, right, top, z);
}

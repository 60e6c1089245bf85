#include "ui/LoadingBar.h"

#include <GL/gl.h>

void DrawLoadingBar(const LoadingBarSettings& settings, int width, int height, size_t done, size_t total)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // No loading picture is shipped: the screen stays dark behind the bar.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    const float fraction = total == 0 ? 1.0f : static_cast<float>(done) / static_cast<float>(total);
    const float x0 = settings.x;
    const float y0 = settings.y;
    const float x1 = settings.x + settings.width;
    const float y1 = settings.y + settings.height;
    if (settings.drawBar)
    {
        glEnable(GL_BLEND);
        glBlendFunc(settings.srcBlend, settings.dstBlend);
        glColor4f(settings.bar[0], settings.bar[1], settings.bar[2], settings.opacity);
        glBegin(GL_QUADS);
        glVertex2f(x0, y0);
        glVertex2f(x0 + (x1 - x0) * fraction, y0);
        glVertex2f(x0 + (x1 - x0) * fraction, y1);
        glVertex2f(x0, y1);
        glEnd();
        glDisable(GL_BLEND);
    }
    // The border: a one-pixel outline around the whole bar.
    const float px = 0.5f / static_cast<float>(width);
    const float py = 0.5f / static_cast<float>(height);
    glColor4f(settings.border[0], settings.border[1], settings.border[2], 1.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x0 + px, y0 + py);
    glVertex2f(x1 - px, y0 + py);
    glVertex2f(x1 - px, y1 - py);
    glVertex2f(x0 + px, y1 - py);
    glEnd();

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

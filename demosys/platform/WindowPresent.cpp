#include "platform/WindowPresent.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/GlFunctions.h"

WindowPresent BlitToWindow(unsigned int framebuffer, int width, int height, int windowWidth, int windowHeight)
{
    // Scale to fit, keeping the picture's aspect; the rest of the window is black.
    int drawWidth = windowWidth;
    int drawHeight = static_cast<int>(static_cast<long long>(windowWidth) * height / width);
    if (drawHeight > windowHeight)
    {
        drawHeight = windowHeight;
        drawWidth = static_cast<int>(static_cast<long long>(windowHeight) * width / height);
    }
    const int x = (windowWidth - drawWidth) / 2;
    const int y = (windowHeight - drawHeight) / 2;
    WindowPresent present;
    present.framebuffer = framebuffer;
    present.scissor = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    GlFunctions& gl = Gl();
    glDisable(GL_SCISSOR_TEST);
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    gl.BlitFramebuffer(0, 0, width, height, x, y, x + drawWidth, y + drawHeight, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    return present;
}

void FinishWindowPresent(const WindowPresent& present)
{
    Gl().BindFramebuffer(GL_FRAMEBUFFER, present.framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    if (present.scissor)
        glEnable(GL_SCISSOR_TEST);
}

#include "platform/RenderTarget.h"

#include <cstring>

#include "platform/GlFunctions.h"

RenderTarget::~RenderTarget() { Destroy(); }

bool RenderTarget::Create(int width, int height, const RenderTargetFormat& format, std::string* error)
{
    Destroy();
    GlFunctions& gl = Gl();
    m_width = width;
    m_height = height;
    gl.GenFramebuffers(1, &m_framebuffer);
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    gl.GenRenderbuffers(1, &m_colour);
    gl.BindRenderbuffer(GL_RENDERBUFFER, m_colour);
    gl.RenderbufferStorage(GL_RENDERBUFFER, format.colourBits >= 24 ? GL_RGBA8 : GL_RGB565, width, height);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colour);
    if (format.depth || format.stencil)
    {
        // One packed buffer serves both; a depth-only target keeps the same 24 depth bits.
        gl.GenRenderbuffers(1, &m_depthStencil);
        gl.BindRenderbuffer(GL_RENDERBUFFER, m_depthStencil);
        gl.RenderbufferStorage(GL_RENDERBUFFER, format.stencil ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT24, width,
                               height);
        if (format.depth)
            gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depthStencil);
        if (format.stencil)
            gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_depthStencil);
    }
    gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
    if (gl.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    {
        if (error != nullptr)
            *error = "the offscreen framebuffer is incomplete";
        Destroy();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return true;
}

void RenderTarget::Destroy()
{
    GlFunctions& gl = Gl();
    if (m_framebuffer != 0)
    {
        gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.DeleteFramebuffers(1, &m_framebuffer);
    }
    if (m_colour != 0)
        gl.DeleteRenderbuffers(1, &m_colour);
    if (m_depthStencil != 0)
        gl.DeleteRenderbuffers(1, &m_depthStencil);
    m_framebuffer = m_colour = m_depthStencil = 0;
}

void RenderTarget::Bind() const { Gl().BindFramebuffer(GL_FRAMEBUFFER, m_framebuffer); }

void RenderTarget::ReadUpright(std::vector<unsigned char>& bgra) const
{
    const size_t rowBytes = static_cast<size_t>(m_width) * 4;
    bgra.resize(rowBytes * m_height);
    GLint previousAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, m_width, m_height, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
    glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
    // GL returns the bottom row first; the picture is stored top row first.
    std::vector<unsigned char> row(rowBytes);
    for (int top = 0, bottom = m_height - 1; top < bottom; ++top, --bottom)
    {
        unsigned char* a = bgra.data() + rowBytes * top;
        unsigned char* b = bgra.data() + rowBytes * bottom;
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
}

// The offscreen framebuffer every frame of the show is drawn into: an RGBA8 colour buffer and a
// 24-bit depth / 8-bit stencil buffer of the chosen size. Created once the context is current;
// stays bound as the draw framebuffer for the effects, so they see a plain default-like target.
#pragma once

#include <string>
#include <vector>

class RenderTarget
{
public:
    ~RenderTarget();

    // Creates the buffers and binds the framebuffer. Needs GL functions loaded.
    bool Create(int width, int height, std::string* error);
    void Destroy();

    // Binds the framebuffer for drawing and reading.
    void Bind() const;

    // Reads the frame back as BGRA, first row = top of the picture (width * height * 4 bytes).
    void ReadUpright(std::vector<unsigned char>& bgra) const;

    unsigned int Framebuffer() const { return m_framebuffer; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    unsigned int m_framebuffer = 0;
    unsigned int m_colour = 0;
    unsigned int m_depthStencil = 0;
    int m_width = 0;
    int m_height = 0;
};

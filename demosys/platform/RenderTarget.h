// The offscreen framebuffer every frame of the show is drawn into, of the chosen size and with
// the buffers the start-up record asks for: colour of 8 bits a channel (or 5-6-5), a 24-bit
// depth buffer, an 8-bit stencil buffer. Created once the context is current;
// stays bound as the draw framebuffer for the effects, so they see a plain default-like target.
#pragma once

#include <string>
#include <vector>

struct RenderTargetFormat
{
    int colourBits = 32;    // 32: RGBA8; 16: RGB565
    bool depth = true;
    bool stencil = true;
};

class RenderTarget
{
public:
    ~RenderTarget();

    // Creates the buffers and binds the framebuffer. Needs GL functions loaded.
    bool Create(int width, int height, std::string* error) { return Create(width, height, RenderTargetFormat(), error); }
    bool Create(int width, int height, const RenderTargetFormat& format, std::string* error);
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

// A real headless OpenGL context for rendering tests and the benchmark: Mesa through EGL's
// surfaceless platform, drawing into an offscreen framebuffer of the requested size. The library's active backend is
// set to it, so DEMOGL_TextureLoad, the extension checks and wglGetProcAddress work as in the show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba
{
    int r, g, b, a;
};

namespace GlTestContext
{
// Makes the context current with a framebuffer of width x height (created once per process,
// the framebuffer re-made when the size changes). Resets the GL state that earlier tests may
// have left: matrices, enables, blend, colour, material, bindings, and clears to black.
// This form prints what failed to standard error; the other gives it to the caller.
bool Create(int width, int height);
bool Create(int width, int height, std::string* error);

// Whether a context has been opened in this process.
bool IsOpen();

// Binds the offscreen framebuffer again, after something else drew elsewhere.
void Bind();

// The pixel at (x, y) in GL window coordinates: (0, 0) is the bottom-left pixel.
Rgba Pixel(int x, int y);

// The whole frame as RGBA, GL row order (bottom row first).
std::vector<uint8_t> ReadRgba();

// Writes the frame to a PNG (upright), for looking at what a test rendered.
bool SavePng(const std::string& path);

int Width();
int Height();

// Every glGetError code pending, cleared; empty when none.
std::vector<unsigned int> TakeGlErrors();
} // namespace GlTestContext

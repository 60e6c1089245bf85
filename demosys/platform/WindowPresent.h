// What every window backend's Present does around its own overlay and swap: the offscreen frame
// scaled into the window to fit, with black bars, and afterwards the GL state the show had.
#pragma once

struct WindowPresent
{
    unsigned int framebuffer = 0;   // the show's offscreen framebuffer, bound again afterwards
    bool scissor = false;           // whether the show had the scissor test on
};

// Binds the window's own framebuffer, clears it black and blits `framebuffer` (width x height)
// into it scaled to fit a window of windowWidth x windowHeight pixels, keeping the aspect.
WindowPresent BlitToWindow(unsigned int framebuffer, int width, int height, int windowWidth, int windowHeight);

// After the overlay and the swap: the offscreen framebuffer bound for drawing and the scissor
// test as the show left them.
void FinishWindowPresent(const WindowPresent& present);

// Reads captured frames back from the GPU without waiting for it: each frame is read into one of
// a few pixel-buffer objects, and a frame comes out a couple of frames later, when the GPU has
// long finished it. Without pixel-buffer objects it reads synchronously, and so it does on a
// renderer that draws on the CPU (Mesa's llvmpipe, softpipe, swrast): there the read is a copy
// made while the caller waits, whatever the target, and a pixel-buffer object only adds a
// second copy and its memory (measured: 2.4 ms against 3.9 ms a 1920x1080 frame).
#pragma once

#include <cstdint>
#include <vector>

enum class ReadbackMode
{
    Automatic,      // pixel-buffer objects, unless the renderer draws on the CPU
    PixelBuffers,   // pixel-buffer objects when the context has them
    Direct,         // glReadPixels into the frame, synchronously
};

class FrameReadback
{
public:
    ~FrameReadback();

    // Sets up for frames of width x height. Needs a current context with GL functions loaded.
    void Create(int width, int height, ReadbackMode mode = ReadbackMode::Automatic);
    void Destroy();

    // True when reads go through pixel-buffer objects.
    bool UsesPixelBuffers() const { return m_usePbo; }

    // True when the current context's renderer draws on the CPU.
    static bool SoftwareRenderer();

    // Starts reading the framebuffer bound for reading (BGRA, bottom row first). When an earlier
    // frame is complete, puts it into *frame (resized to the frame; a buffer of the right size
    // is used as it is) and returns true; frames come out in order.
    bool Read(std::vector<uint8_t>* frame);

    // The frames still in flight, oldest first: call until it returns false.
    bool Drain(std::vector<uint8_t>* frame);

private:
    static constexpr int kBuffers = 3;

    void Collect(int slot, std::vector<uint8_t>* frame);

    int m_width = 0;
    int m_height = 0;
    bool m_usePbo = false;
    unsigned int m_buffers[kBuffers] = {};
    uint64_t m_started = 0;     // frames whose read has been started
    uint64_t m_collected = 0;   // frames handed out
};

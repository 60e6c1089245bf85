// Reads captured frames back from the GPU without waiting for it: each frame is read into one of
// a few pixel-buffer objects, and a frame comes out a couple of frames later, when the GPU has
// long finished it. Without pixel-buffer objects it reads synchronously.
#pragma once

#include <cstdint>
#include <vector>

class FrameReadback
{
public:
    ~FrameReadback();

    // Sets up for frames of width x height. Needs a current context with GL functions loaded.
    void Create(int width, int height);
    void Destroy();

    // Starts reading the framebuffer bound for reading (BGRA, bottom row first). When an earlier
    // frame is complete, moves it into *frame and returns true; frames come out in order.
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

// Where captured frames go. Frames arrive upright (first row = top) in BGRA, in order; writing
// happens off the render thread so the GPU work and the encoding overlap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FrameSink
{
public:
    virtual ~FrameSink() = default;

    // Takes one frame (width * height * 4 bytes, BGRA, top row first). False once writing failed.
    virtual bool Write(std::vector<uint8_t>&& bgra) = 0;

    // Waits for every frame to be written. False with a reason when any write failed.
    virtual bool Finish(std::string* error) = 0;
};

// A directory of PNG files frame_000000.png, frame_000001.png, ... (created if missing).
// Returns null with a reason when the directory cannot be made.
std::unique_ptr<FrameSink> CreatePngDirectorySink(const std::string& directory, int width, int height,
                                                  std::string* error);

// True when a capture path names a video file (.mp4, .mkv, .webm).
bool IsVideoPath(const std::string& path);

// Where captured frames go, and the progress line a capture prints. Frames arrive in order as
// BGRA rows bottom-up (GL's order); each sink writes them upright itself, off the render thread,
// so reading back, compressing and writing overlap with the GPU work of the next frames. The
// buffers of written frames come back through SpareBuffer, so a capture allocates (and
// page-faults) its frame memory once, not once a frame.
//   CreatePngDirectorySink   a directory of upright PNG files (this file)
//   CreateVideoSink          a video with the soundtrack through ffmpeg (VideoCapture.h)
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class FrameSink
{
public:
    virtual ~FrameSink() = default;

    // A buffer for the next frame: one whose frame has been written when there is one (its
    // size is the frame's), otherwise an empty one.
    std::vector<uint8_t> SpareBuffer();

    // Takes one frame: width * height * 4 bytes, BGRA, bottom row first. False once writing
    // failed (Finish tells why).
    virtual bool Write(std::vector<uint8_t>&& bgra) = 0;

    // Waits for every frame to be written. False with a reason when any write failed.
    virtual bool Finish(std::string* error) = 0;

protected:
    // Keeps the buffer of a written frame for SpareBuffer (a few at most). Any thread.
    void Recycle(std::vector<uint8_t>&& buffer);

private:
    static constexpr size_t kMaxSpare = 2;
    std::mutex m_spareMutex;
    std::vector<std::vector<uint8_t>> m_spare;
};

// How many frames of width x height a sink lets wait for its writers: enough to ride out a
// slow frame, but never more than about 24 MiB of them (at least 1, at most `most`).
size_t FramesToQueue(int width, int height, size_t most);

// A directory of PNG files frame_000000.png, frame_000001.png, ... (created if missing), first
// row = top of the picture. With a frameStep of N the frames it is given are the show's frames
// 0, N, 2N, ... and are named so. Returns null with a reason when the directory cannot be made.
std::unique_ptr<FrameSink> CreatePngDirectorySink(const std::string& directory, int width, int height,
                                                  std::string* error, int frameStep = 1);

// True when a capture path names a video file (.mp4, .mkv, .webm, any case).
bool IsVideoPath(const std::string& path);

// Frames a capture from startMs writes before the show's end at endMs: the frames k whose time
// startMs + floor(k * 1000 * den / num) is before endMs, at most frameLimit (-1: no limit).
int64_t CaptureFrameCount(int64_t startMs, int64_t endMs, int fpsNumerator, int fpsDenominator, int64_t frameLimit);

// The progress line on standard error: frame, percent, frames per second, time left. On a
// terminal it rewrites one line a few times a second; otherwise it prints a line every few
// seconds, so logs stay short.
class CaptureProgress
{
public:
    CaptureProgress(std::string target, int64_t totalFrames);

    // `done` frames have been rendered.
    void Update(int64_t done);

    // Prints the final line.
    void Finish(int64_t done);

    // The text of one progress line (no line end), for the given counts and elapsed seconds.
    static std::string Line(const std::string& target, int64_t done, int64_t total, double seconds);

private:
    using Clock = std::chrono::steady_clock;

    std::string m_target;
    int64_t m_total;
    bool m_terminal;
    Clock::time_point m_start;
    Clock::time_point m_lastPrint;
};

// The ffmpeg child of a video capture and its two input pipes: the frames go to its standard
// input, the soundtrack to the input FfmpegArguments names "pipe:3". One implementation per
// platform: capture/posix (posix_spawn; the soundtrack on the child's descriptor 3) and
// capture/win32 (CreateProcess; the soundtrack on a named pipe put in place of "pipe:3").
// Each pipe is written by one thread; the two never wait for each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FfmpegProcess
{
public:
    virtual ~FfmpegProcess() = default;

    // Writes all `size` bytes of one video frame. False with the reason in *error when the pipe
    // broke (ffmpeg has gone).
    virtual bool WriteVideo(const uint8_t* data, size_t size, std::string* error) = 0;

    // Writes all `size` bytes of soundtrack. False with the reason in *error.
    virtual bool WriteAudio(const uint8_t* data, size_t size, std::string* error) = 0;

    // Closes a pipe: ffmpeg sees the end of that input.
    virtual void CloseVideo() = 0;
    virtual void CloseAudio() = 0;

    // Waits for ffmpeg to end (both pipes closed first). True when it exited with status 0;
    // otherwise *how says how it ended ("exit status 1", "signal 9").
    virtual bool Wait(std::string* how) = 0;
};

// Starts `program` with `arguments` (without the program name). Null with a one-line reason
// when it cannot be started.
std::unique_ptr<FfmpegProcess> StartFfmpeg(const std::string& program, const std::vector<std::string>& arguments,
                                           std::string* error);

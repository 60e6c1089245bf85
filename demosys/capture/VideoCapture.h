// Capture to a video file with the soundtrack, through an ffmpeg process: the frames, turned
// upright and converted to planar 4:2:0 on the writer thread (Yuv420.h), go down one pipe, the
// soundtrack's 16-bit stereo PCM down another, and ffmpeg encodes and muxes
//   .mp4   H.264 + AAC
//   .mkv   H.264 + FLAC
//   .webm  VP9 + Opus
// at the speed and quality --video-quality asks for (VideoQuality.h).
// The soundtrack is rendered by the same decoder the window plays, from the capture's start
// time, and is exactly SamplesForFrames(frames, rate, fps) sample frames long: music, then
// silence. The frame count is known before the first frame (a capture always runs to the end
// of the show or to --frames), so the soundtrack is written at its own pace and neither pipe
// ever waits for the other; a capture that ends with any other count is reported as failed.
// Every output is the same for the same input (ffmpeg's bit-exact mode, and a fixed thread
// count for the encoder, whose output depends on it), on any machine with the same ffmpeg.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Music.h"
#include "capture/Capture.h"
#include "capture/VideoQuality.h"

struct VideoCaptureSettings
{
    std::string path;               // ends in .mp4, .mkv or .webm
    int width = 0;
    int height = 0;
    int fpsNumerator = 60;
    int fpsDenominator = 1;
    int64_t frames = 0;             // the frames the capture will have
    VideoQuality quality = VideoQuality::Good;
    std::string ffmpeg = "ffmpeg";  // program name (looked up in PATH) or path
};

// The threads the video encoder works with. Its output depends on the count, so it is fixed
// rather than taken from the machine; chosen beside llvmpipe's threads for two cores
// (docs/performance.md).
constexpr int kVideoEncoderThreads = 2;

// The full path of `program` found through PATH (or the program itself when it contains a
// slash, or on Windows a backslash, and is executable; on Windows ".exe" is added to a name
// without an extension); empty when there is none.
std::string FindProgram(const std::string& program);

// Writes all `size` bytes to `fd`, resuming after interruptions and partial writes; false on
// an error (EPIPE when the reader has gone). POSIX only (the benchmark's plain capture loop).
bool WriteAll(int fd, const uint8_t* data, size_t size);

// The video encoder's part of the command line: codec, speed and quality for `quality`, the
// encoder's threads, for a capture to `path` (VP9 for .webm, H.264 otherwise).
std::vector<std::string> VideoEncoderArguments(const std::string& path, VideoQuality quality);

// The ffmpeg command line (without the program name) for a capture whose soundtrack has
// `sampleRate` sample frames per second. The video arrives as ConvertBgraToYuv420 makes it.
std::vector<std::string> FfmpegArguments(const VideoCaptureSettings& settings, int sampleRate);

// Starts ffmpeg and returns the sink. The soundtrack is read from `soundtrack` (already at the
// start position) as frames arrive. Null with a one-line reason when ffmpeg is not there or
// cannot be started, or the output directory does not exist.
std::unique_ptr<FrameSink> CreateVideoSink(const VideoCaptureSettings& settings,
                                           std::unique_ptr<MusicStream> soundtrack, std::string* error);

// The video capture's conversion and encoder, measured on the show's own frames outside the
// capture: where the BGRA to 4:2:0 conversion costs least (the writer's own against ffmpeg's
// scaler, with and without its threads), how close the writer's conversion is to the scaler's,
// and what each --video-quality costs and gives (encoder time, bit rate, PSNR and SSIM against
// the uncompressed frames) beside the encoder the capture had before the option. Also the
// thread counts of llvmpipe and the encoder together, in whole captures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BenchSupport.h"

struct VideoBenchSettings
{
    std::string binary;                 // the demo
    std::string data;                   // its data directory
    int width = 1920;
    int height = 1080;
    std::vector<int64_t> startsMs;      // the stretches of the show measured
    int64_t frames = 60;                // frames of each stretch
    int repetitions = 2;                // of each capture in the thread table
    int64_t captureFrames = 180;        // of each capture in the thread table
};

// Adds the conversion and quality tables; failed steps are added to *failures.
void VideoTables(Report& report, const VideoBenchSettings& settings, std::vector<std::string>* failures);

// Adds the table of llvmpipe's and the encoder's thread counts against MP4 captures.
void EncoderThreadTable(Report& report, const VideoBenchSettings& settings, std::vector<std::string>* failures);

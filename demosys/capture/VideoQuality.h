// The video encoder's trade between speed and picture (--video-quality). What each setting
// gives the encoders is FfmpegArguments' business (VideoCapture.h); the numbers behind the
// choice are in docs/performance.md.
#pragma once

#include <string>

enum class VideoQuality
{
    Fast,   // quick previews: the encoder does least, the file is larger
    Good,   // the default: looks at least as good as the captures always did, in less time
    Best,   // for keeping: slower, fewer visible losses, a smaller file for the picture
};

// "fast", "good", "best" (that case only). False for anything else.
bool ParseVideoQuality(const std::string& text, VideoQuality* quality);

// The option value naming `quality`.
const char* VideoQualityName(VideoQuality quality);

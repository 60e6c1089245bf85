#include "capture/VideoQuality.h"

namespace {

constexpr struct
{
    VideoQuality quality;
    const char* name;
} kQualities[] = {{VideoQuality::Fast, "fast"}, {VideoQuality::Good, "good"}, {VideoQuality::Best, "best"}};

} // namespace

bool ParseVideoQuality(const std::string& text, VideoQuality* quality)
{
    for (const auto& entry : kQualities)
        if (text == entry.name)
        {
            *quality = entry.quality;
            return true;
        }
    return false;
}

const char* VideoQualityName(VideoQuality quality)
{
    for (const auto& entry : kQualities)
        if (entry.quality == quality)
            return entry.name;
    return "good";
}

#include "ui/Overlay.h"

#include <cinttypes>
#include <cstdio>

std::string FormatDemoTime(int64_t timeMs)
{
    const bool negative = timeMs < 0;
    const int64_t magnitude = negative ? -timeMs : timeMs;
    char text[48];
    std::snprintf(text, sizeof(text), "%s%" PRId64 ":%02" PRId64 ".%03" PRId64, negative ? "-" : "",
                  magnitude / 60000, magnitude / 1000 % 60, magnitude % 1000);
    return text;
}

std::vector<std::string> OverlayLines(const OverlayInfo& info)
{
    std::vector<std::string> lines;
    char text[160];
    std::snprintf(text, sizeof(text), "%.1f fps  %.2f ms", info.framesPerSecond, info.frameMs);
    lines.push_back(text);
    lines.push_back("time " + FormatDemoTime(info.demoTimeMs) + " / " + FormatDemoTime(info.endTimeMs) +
                    (info.paused ? "  (paused)" : ""));
    lines.push_back(std::string("clock: ") + (info.musicClock ? "sound device" : "steady clock"));
    lines.push_back("");
    if (info.layers.empty())
        lines.push_back("no effect running");
    lines.insert(lines.end(), info.layers.begin(), info.layers.end());
    if (!info.message.empty())
    {
        lines.push_back("");
        lines.push_back(info.message);
    }
    return lines;
}

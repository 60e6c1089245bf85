// libFuzzer target for the timeline script parser: any bytes must be refused with
// "<file>:<line>: <reason>" naming a line that exists, leaving the caller's timeline as it was,
// or give a timeline that keeps the promises the show relies on (times never decrease, lines
// rise, every effect is known, the end is not before the last event). The same bytes always
// give the same answer.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script/Timeline.h"

namespace {

const char* const kFileName = "fuzz.txt";

// The show's fifteen names, so that the generated script parses to its end.
bool IsEffect(const std::string& name)
{
    static const char* const kNames[] = {"BALLS", "BACKGROUND", "IMAGE", "CLEAR", "FLAG",
                                         "PARTY", "BITCH", "CREDITS", "STARFIELD", "LAND",
                                         "TUNNEL", "BORDER", "KAOS", "SPIRAL", "SPACE"};
    for (const char* known : kNames)
        if (name == known)
            return true;
    return false;
}

// Lines as the parser counts them: a final line without a newline counts too.
int LineCount(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        if (c == '\n')
            ++lines;
    if (!text.empty() && text.back() != '\n')
        ++lines;
    return lines;
}

void CheckError(const std::string& text, const std::string& error)
{
    const std::string prefix = std::string(kFileName) + ":";
    if (error.compare(0, prefix.size(), prefix) != 0)
        std::abort();
    size_t pos = prefix.size();
    long line = 0;
    while (pos < error.size() && error[pos] >= '0' && error[pos] <= '9')
    {
        line = line * 10 + (error[pos] - '0');
        if (line > 2147483647L)
            std::abort();
        ++pos;
    }
    if (line < 1 || line > LineCount(text))
        std::abort();
    if (error.compare(pos, 2, ": ") != 0 || error.size() <= pos + 2)
        std::abort();
    // Reasons quote fields shortened to 64 bytes: a message never grows with the input.
    if (error.size() > 512)
        std::abort();
}

void CheckTimeline(const std::string& text, const Timeline& timeline)
{
    const int lines = LineCount(text);
    int64_t previousTime = 0;
    int previousLine = 0;
    for (const TimelineEvent& event : timeline.events)
    {
        if (event.timeMs < previousTime || event.timeMs > 2147483647LL)
            std::abort();
        if (event.line <= previousLine || event.line > lines)
            std::abort();
        if (!IsEffect(event.effect))
            std::abort();
        if (event.command == TimelineCommand::End)
            std::abort();
        if (event.command != TimelineCommand::Int && !event.name.empty())
            std::abort();
        previousTime = event.timeMs;
        previousLine = event.line;
    }
    if (timeline.endTimeMs < previousTime)
        std::abort();
    if (timeline.musicFile.empty() != (timeline.musicLine == 0))
        std::abort();
    if (timeline.musicLine != 0 && !timeline.events.empty() && timeline.musicLine >= timeline.events.front().line)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Timeline timeline;
    timeline.musicFile = "untouched";
    timeline.musicLine = -1;
    std::string error;
    const bool parsed = ParseTimeline(text, kFileName, IsEffect, &timeline, &error);
    if (!parsed)
    {
        CheckError(text, error);
        if (timeline.musicFile != "untouched" || timeline.musicLine != -1 || !timeline.events.empty())
            std::abort();
    }
    else
    {
        if (!error.empty())
            std::abort();
        CheckTimeline(text, timeline);
    }

    // Deterministic: the same bytes, the same outcome and message.
    Timeline again;
    std::string errorAgain;
    if (ParseTimeline(text, kFileName, IsEffect, &again, &errorAgain) != parsed || errorAgain != error)
        std::abort();
    if (parsed && (again.events.size() != timeline.events.size() || again.endTimeMs != timeline.endTimeMs))
        std::abort();

    // Every field the parser might read as a time goes through the time reader on its own too.
    int64_t ms = -1;
    if (ParseTimelineTime(text, &ms) && (ms < 0 || ms > 2147483647LL))
        std::abort();
    return 0;
}

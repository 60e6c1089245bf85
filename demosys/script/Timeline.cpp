// The timeline script parser: see Timeline.h for the format and design.md ("The timeline
// script") for what the events mean in the show.
#include "script/Timeline.h"

#include "support/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace
{

const int64_t kMaxTimeMs = 2147483647;  // RenderFrame takes a 32-bit long: about 24.8 days
const size_t kMaxScriptBytes = size_t(16) << 20;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A field as it appears in a message: in double quotes, control bytes escaped, very long
// fields shortened so one line of garbage does not flood the report.
std::string Quote(const std::string& field)
{
    const size_t kMaxShown = 64;
    std::string out = "\"";
    for (size_t i = 0; i < field.size() && i < kMaxShown; ++i)
    {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c < 0x20 || c == 0x7F || c == '"' || c == '\\')
        {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
        else
        {
            out += static_cast<char>(c);
        }
    }
    if (field.size() > kMaxShown)
        out += "...";
    out += "\"";
    return out;
}

// Digits only, at least one, value at most `limit`. Leading zeros are fine.
bool ParseDigits(const std::string& s, size_t begin, size_t end, int64_t limit, int64_t* value)
{
    if (begin >= end)
        return false;
    int64_t v = 0;
    for (size_t i = begin; i < end; ++i)
    {
        if (!IsDigit(s[i]))
            return false;
        v = v * 10 + (s[i] - '0');
        if (v > limit)
            return false;
    }
    *value = v;
    return true;
}

enum class TimeResult
{
    Ok,
    Bad,
    TooLarge,
    SecondsRange,
};

TimeResult ParseTime(const std::string& field, int64_t* timeMs)
{
    for (char c : field)
        if (!IsDigit(c) && c != ':' && c != '.')
            return TimeResult::Bad;

    const size_t colon = field.find(':');
    if (colon == std::string::npos)
    {
        // Whole milliseconds.
        int64_t ms = 0;
        if (field.empty() || field.find('.') != std::string::npos)
            return TimeResult::Bad;
        if (!ParseDigits(field, 0, field.size(), kMaxTimeMs, &ms))
            return TimeResult::TooLarge;  // only digits, so the value is what failed
        *timeMs = ms;
        return TimeResult::Ok;
    }

    // minutes:seconds[.fraction]
    if (field.find(':', colon + 1) != std::string::npos)
        return TimeResult::Bad;
    const size_t dot = field.find('.', colon + 1);
    if (field.find('.') < colon)
        return TimeResult::Bad;  // a dot in the minutes
    const size_t secondsEnd = dot == std::string::npos ? field.size() : dot;
    const size_t secondsDigits = secondsEnd - (colon + 1);
    if (colon == 0 || secondsDigits < 1 || secondsDigits > 2)
        return TimeResult::Bad;
    for (size_t i = 0; i < colon; ++i)
        if (!IsDigit(field[i]))
            return TimeResult::Bad;

    int64_t seconds = 0;
    if (!ParseDigits(field, colon + 1, secondsEnd, 59, &seconds))
        return TimeResult::SecondsRange;  // digits were checked above: 60 or more

    int64_t fractionMs = 0;
    if (dot != std::string::npos)
    {
        const size_t begin = dot + 1;
        if (begin >= field.size() || field.find('.', begin) != std::string::npos)
            return TimeResult::Bad;
        // Milliseconds from the first three digits, rounded half up by the fourth.
        int scale = 100;
        for (size_t i = begin; i < field.size() && i < begin + 3; ++i, scale /= 10)
            fractionMs += (field[i] - '0') * scale;
        if (field.size() > begin + 3 && field[begin + 3] >= '5')
            ++fractionMs;  // may reach 1000: 0:59.9999 is one minute
    }

    int64_t minutes = 0;
    if (!ParseDigits(field, 0, colon, kMaxTimeMs / 60000 + 1, &minutes))
        return TimeResult::TooLarge;  // only digits, so the value is what failed
    const int64_t total = minutes * 60000 + seconds * 1000 + fractionMs;
    if (total > kMaxTimeMs)
        return TimeResult::TooLarge;
    *timeMs = total;
    return TimeResult::Ok;
}

// A 32-bit signed integer: optional '-', then digits.
bool ParseInt32(const std::string& field, int32_t* value)
{
    const bool negative = !field.empty() && field[0] == '-';
    int64_t magnitude = 0;
    if (!ParseDigits(field, negative ? 1 : 0, field.size(), int64_t(2147483647) + (negative ? 1 : 0),
                     &magnitude))
        return false;
    *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size())
    {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t begin = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > begin)
            fields.push_back(line.substr(begin, i - begin));
    }
    return fields;
}

bool IsTimedCommand(const std::string& word)
{
    return word == "start" || word == "stop" || word == "int" || word == "end";
}

// Checks one non-blank line and adds what it says to *timeline. Returns an empty string or the
// reason it is wrong.
class Parser
{
public:
    Parser(const std::function<bool(const std::string&)>& isEffect, Timeline* timeline)
        : m_isEffect(isEffect), m_timeline(timeline)
    {
    }

    std::string Line(const std::vector<std::string>& f, int line)
    {
        if (f[0] == "music")
            return Music(f, line);
        if (IsTimedCommand(f[0]))
            return Quote(f[0]) + " needs a TIME before it";
        if (!IsDigit(f[0][0]) && f[0][0] != ':' && f[0][0] != '.' && f[0][0] != '-' && f[0][0] != '+')
            return "unknown command " + Quote(f[0]);

        int64_t timeMs = 0;
        switch (ParseTime(f[0], &timeMs))
        {
        case TimeResult::Ok:
            break;
        case TimeResult::Bad:
            return "bad time " + Quote(f[0]) + " (milliseconds like 12500, or m:ss.fff like 0:12.5)";
        case TimeResult::TooLarge:
            return "time " + Quote(f[0]) + " is too large (at most 2147483647 ms)";
        case TimeResult::SecondsRange:
            return "bad time " + Quote(f[0]) + " (seconds must be below 60)";
        }
        if (f.size() < 2)
            return "a time needs a command after it (start, stop, int or end)";

        TimelineEvent event;
        event.timeMs = timeMs;
        event.line = line;
        const std::string& command = f[1];
        std::string reason;
        if (command == "start")
            reason = Start(f, &event);
        else if (command == "stop")
            reason = Stop(f, &event);
        else if (command == "int")
            reason = Int(f, &event);
        else if (command == "end")
            reason = f.size() > 2 ? "too many fields for \"end\"" : "";
        else if (command == "music")
            return "\"music\" takes no time (music FILE)";
        else
            return "unknown command " + Quote(command);
        if (!reason.empty())
            return reason;

        // Where the line stands among the others.
        if (m_endLine != 0)
        {
            if (command == "end")
                return "\"end\" given twice (first on line " + std::to_string(m_endLine) + ")";
            return "events after \"end\" (line " + std::to_string(m_endLine) + ")";
        }
        if (m_timedLines > 0 && timeMs < m_previousTimeMs)
            return "time " + std::to_string(timeMs) + " is earlier than the previous line's " +
                   std::to_string(m_previousTimeMs);
        m_previousTimeMs = timeMs;
        ++m_timedLines;

        if (command == "end")
        {
            m_endLine = line;
            m_timeline->hasEnd = true;
            m_timeline->endTimeMs = timeMs;
            return "";
        }
        event.command = command == "start" ? TimelineCommand::Start
                        : command == "stop" ? TimelineCommand::Stop
                                            : TimelineCommand::Int;
        m_timeline->events.push_back(std::move(event));
        m_timeline->endTimeMs = timeMs;
        return "";
    }

private:
    std::string Music(const std::vector<std::string>& f, int line)
    {
        if (f.size() < 2)
            return "\"music\" needs FILE";
        if (f.size() > 2)
            return "too many fields for \"music\" (a FILE cannot contain spaces)";
        if (m_timeline->musicLine != 0)
            return "\"music\" given twice (first on line " + std::to_string(m_timeline->musicLine) + ")";
        if (m_timedLines > 0)
            return "\"music\" must come before any timed line";
        m_timeline->musicFile = f[1];
        m_timeline->musicLine = line;
        return "";
    }

    std::string Effect(const std::string& name, TimelineEvent* event)
    {
        if (m_isEffect && !m_isEffect(name))
            return "unknown effect " + Quote(name);
        event->effect = name;
        return "";
    }

    std::string Start(const std::vector<std::string>& f, TimelineEvent* event)
    {
        if (f.size() < 4)
            return "\"start\" needs EFFECT LAYER";
        if (f.size() > 4)
            return "too many fields for \"start\"";
        std::string reason = Effect(f[2], event);
        if (!reason.empty())
            return reason;
        int32_t layer = 0;
        if (!ParseInt32(f[3], &layer))
            return "layer " + Quote(f[3]) + " is not a 32-bit integer";
        event->layer = layer;
        return "";
    }

    std::string Stop(const std::vector<std::string>& f, TimelineEvent* event)
    {
        if (f.size() < 3)
            return "\"stop\" needs EFFECT";
        if (f.size() > 3)
            return "too many fields for \"stop\"";
        return Effect(f[2], event);
    }

    std::string Int(const std::vector<std::string>& f, TimelineEvent* event)
    {
        if (f.size() < 5)
            return "\"int\" needs EFFECT NAME VALUE";
        if (f.size() > 5)
            return "too many fields for \"int\"";
        std::string reason = Effect(f[2], event);
        if (!reason.empty())
            return reason;
        event->name = f[3];
        if (!ParseInt32(f[4], &event->value))
            return "value " + Quote(f[4]) + " is not a 32-bit integer";
        return "";
    }

    const std::function<bool(const std::string&)>& m_isEffect;
    Timeline* m_timeline;
    int m_timedLines = 0;         // timed lines so far, "end" included
    int64_t m_previousTimeMs = 0;
    int m_endLine = 0;            // line of the "end", 0 while there is none
};

} // namespace

bool ParseTimelineTime(const std::string& field, int64_t* timeMs)
{
    int64_t ms = 0;
    if (ParseTime(field, &ms) != TimeResult::Ok)
        return false;
    if (timeMs)
        *timeMs = ms;
    return true;
}

bool ParseTimeline(const std::string& text, const std::string& fileName,
                   const std::function<bool(const std::string&)>& isEffect, Timeline* timeline,
                   std::string* error)
{
    Timeline result;
    Parser parser(isEffect, &result);
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < text.size())
    {
        ++lineNumber;
        size_t newline = text.find('\n', pos);
        if (newline == std::string::npos)
            newline = text.size();
        std::string line = text.substr(pos, newline - pos);
        pos = newline + 1;

        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.empty())
            continue;

        const std::string reason = parser.Line(fields, lineNumber);
        if (!reason.empty())
        {
            if (error)
                *error = fileName + ":" + std::to_string(lineNumber) + ": " + reason;
            return false;
        }
    }
    if (timeline)
        *timeline = std::move(result);
    if (error)
        error->clear();
    return true;
}

bool LoadTimeline(const std::string& path, const std::string& displayName,
                  const std::function<bool(const std::string&)>& isEffect, Timeline* timeline,
                  std::string* error)
{
    std::vector<uint8_t> bytes;
    const WholeFileResult read = ReadWholeFile(path, &bytes, kMaxScriptBytes);
    if (!read.ok)
    {
        if (error)
            *error = read.tooLarge ? displayName + ": the script is larger than " +
                                         std::to_string(kMaxScriptBytes >> 20) + " MB; not read"
                                   : displayName + ": cannot read the script (" + read.Reason(kMaxScriptBytes) + ")";
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    return ParseTimeline(text, displayName, isEffect, timeline, error);
}

// The timeline script (demoflow.txt): a text file of lines, parsed and validated in one go.
//
//   music FILE                     soundtrack, started at time 0 (at most once, before any timed line)
//   TIME start EFFECT LAYER        Prepare EFFECT, then draw it every frame on LAYER
//   TIME stop EFFECT               End EFFECT; it is no longer drawn
//   TIME int EFFECT NAME VALUE     ReceiveInt(NAME, VALUE, 0) on EFFECT
//   TIME end                       the show ends here
//
// '#' starts a comment; blank lines are ignored; fields are separated by spaces or tabs; CRLF
// line ends and a missing final newline are accepted. TIME is whole milliseconds ("12500") or
// minutes:seconds with an optional fraction ("0:12.5", "1:02.250"); times never decrease.
// Every error names the file and the line: `demoflow.txt:12: unknown effect "KAOZ"`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class TimelineCommand
{
    Start,
    Stop,
    Int,
    End,
};

struct TimelineEvent
{
    int64_t timeMs = 0;
    TimelineCommand command = TimelineCommand::End;
    std::string effect;         // Start, Stop, Int
    int layer = 0;              // Start
    std::string name;           // Int: parameter name, exactly as written
    int32_t value = 0;          // Int
    int line = 0;               // 1-based line in the file
};

struct Timeline
{
    std::string musicFile;      // empty when there is no music line
    int musicLine = 0;
    std::vector<TimelineEvent> events;  // in file order (times never decrease)
    bool hasEnd = false;        // an explicit "end" line exists
    int64_t endTimeMs = 0;      // time of the "end" line, or of the last event when there is none
};

// Parses a time field: "12500" or "m:ss[.fff]" (seconds one or two digits, below 60; the
// fraction rounded half up to whole milliseconds). False when it is not a valid time: signs,
// empty parts, other characters, or more than 2147483647 ms (RenderFrame takes a 32-bit long).
bool ParseTimelineTime(const std::string& field, int64_t* timeMs);

// Parses the script text. isEffect tells whether a name is a registered effect (exact case);
// an empty isEffect accepts every name. On failure returns false, sets *error to
// "<fileName>:<line>: <reason>" for the first wrong line and leaves *timeline unchanged.
// Besides each line's own form, the order is checked: times never decrease, "music" comes at
// most once and before any timed line, and nothing but comments and blank lines follows "end".
bool ParseTimeline(const std::string& text, const std::string& fileName,
                   const std::function<bool(const std::string&)>& isEffect, Timeline* timeline,
                   std::string* error);

// Reads the file (binary) and parses it, naming it displayName in errors. A file that cannot be
// read gives "<displayName>: cannot read the script (<strerror>)"; one of more than 16 MB (or a
// device that never ends) gives "<displayName>: the script is larger than 16 MB; not read".
bool LoadTimeline(const std::string& path, const std::string& displayName,
                  const std::function<bool(const std::string&)>& isEffect, Timeline* timeline,
                  std::string* error);

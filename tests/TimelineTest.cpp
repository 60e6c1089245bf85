// The timeline script parser: malformed scripts are refused with file:line and a reason, and
// well-formed ones (in every accepted spelling) give the events the show will apply.
#include "script/Timeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{

bool IsEffect(const std::string& name)
{
    return name == "CLEAR" || name == "KAOS" || name == "Space";
}

Timeline Parse(const std::string& text)
{
    Timeline timeline;
    std::string error;
    EXPECT_TRUE(ParseTimeline(text, "demoflow.txt", IsEffect, &timeline, &error)) << error;
    EXPECT_EQ(error, "");
    return timeline;
}

struct BadScript
{
    const char* text;
    int line;
    const char* reason;  // the whole message after "demoflow.txt:<line>: "
};

TEST(Timeline, MalformedScriptsNameTheFileLineAndReason)
{
    const BadScript cases[] = {
        {"0 start CLEAR 0\n0 strat CLEAR 1\n", 2, "unknown command \"strat\""},
        {"strat CLEAR 1\n", 1, "unknown command \"strat\""},
        {"start CLEAR 1\n", 1, "\"start\" needs a TIME before it"},
        {"0 music song.ogg\n", 1, "\"music\" takes no time (music FILE)"},
        {"1000\n", 1, "a time needs a command after it (start, stop, int or end)"},
        {"# intro\n\n0 start KAOZ 0\n", 3, "unknown effect \"KAOZ\""},
        {"0 start clear 0\n", 1, "unknown effect \"clear\""},
        {"0 int Kaos X 1\n", 1, "unknown effect \"Kaos\""},
        // Bad time forms.
        {"1:7x end\n", 1, "bad time \"1:7x\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"-5 end\n", 1, "bad time \"-5\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"+5 end\n", 1, "bad time \"+5\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"12.5 end\n", 1, "bad time \"12.5\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {":05 end\n", 1, "bad time \":05\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"1: end\n", 1, "bad time \"1:\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"1:05. end\n", 1, "bad time \"1:05.\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"1:005 end\n", 1, "bad time \"1:005\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"1:02:03 end\n", 1, "bad time \"1:02:03\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"1:2.3.4 end\n", 1, "bad time \"1:2.3.4\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"1:60 end\n", 1, "bad time \"1:60\" (seconds must be below 60)"},
        {"2147483648 end\n", 1, "time \"2147483648\" is too large (at most 2147483647 ms)"},
        {"99999999999999999999999 end\n", 1,
         "time \"99999999999999999999999\" is too large (at most 2147483647 ms)"},
        {"35792:00 end\n", 1, "time \"35792:00\" is too large (at most 2147483647 ms)"},
        // Order.
        {"1000 start CLEAR 0\n500 stop CLEAR\n", 2, "time 500 is earlier than the previous line's 1000"},
        {"0:01 start CLEAR 0\n999 end\n", 2, "time 999 is earlier than the previous line's 1000"},
        // Missing and extra fields, every command.
        {"music\n", 1, "\"music\" needs FILE"},
        {"music a b\n", 1, "too many fields for \"music\" (a FILE cannot contain spaces)"},
        {"0 start CLEAR\n", 1, "\"start\" needs EFFECT LAYER"},
        {"0 start CLEAR 0 1\n", 1, "too many fields for \"start\""},
        {"0 stop\n", 1, "\"stop\" needs EFFECT"},
        {"0 stop CLEAR 1\n", 1, "too many fields for \"stop\""},
        {"0 int CLEAR METHOD\n", 1, "\"int\" needs EFFECT NAME VALUE"},
        {"0 int CLEAR METHOD 1 2\n", 1, "too many fields for \"int\""},
        {"0 end now\n", 1, "too many fields for \"end\""},
        // Numbers.
        {"0 int CLEAR METHOD 99999999999\n", 1, "value \"99999999999\" is not a 32-bit integer"},
        {"0 int CLEAR METHOD 2147483648\n", 1, "value \"2147483648\" is not a 32-bit integer"},
        {"0 int CLEAR METHOD -2147483649\n", 1, "value \"-2147483649\" is not a 32-bit integer"},
        {"0 int CLEAR METHOD 1.5\n", 1, "value \"1.5\" is not a 32-bit integer"},
        {"0 int CLEAR METHOD 12abc\n", 1, "value \"12abc\" is not a 32-bit integer"},
        {"0 int CLEAR METHOD -\n", 1, "value \"-\" is not a 32-bit integer"},
        {"0 start CLEAR top\n", 1, "layer \"top\" is not a 32-bit integer"},
        {"0 start CLEAR 4294967296\n", 1, "layer \"4294967296\" is not a 32-bit integer"},
        // music placement, end.
        {"0 start CLEAR 0\nmusic song.ogg\n", 2, "\"music\" must come before any timed line"},
        {"music a.ogg\n# b\nmusic b.ogg\n", 3, "\"music\" given twice (first on line 1)"},
        {"0 start CLEAR 0\n5000 end\n5000 stop CLEAR\n", 3, "events after \"end\" (line 2)"},
        {"5000 end\n6000 end\n", 2, "\"end\" given twice (first on line 1)"},
        // Stray bytes are shown escaped, and only the first wrong line is reported.
        {"0 start CLEAR\x01 0\n0 bad\n", 1, "unknown effect \"CLEAR\\x01\""},
        {"0 start CLEAR 0\r\r\n", 1, "layer \"0\\x0D\" is not a 32-bit integer"},
    };
    for (const BadScript& c : cases)
    {
        Timeline timeline;
        timeline.musicFile = "untouched";
        std::string error;
        EXPECT_FALSE(ParseTimeline(c.text, "demoflow.txt", IsEffect, &timeline, &error)) << c.text;
        EXPECT_EQ(error, "demoflow.txt:" + std::to_string(c.line) + ": " + c.reason) << c.text;
        EXPECT_EQ(timeline.musicFile, "untouched") << c.text;
    }
}

// Bytes no editor meant to write: a picture or a sound file given as the script, NUL bytes,
// UTF-16, lone CR line ends, very long lines and a very long file whose fault is at its end.
// Each is refused at the right line, with the field shown escaped and cut to 64 bytes.
TEST(Timeline, GarbageLongLinesAndHugeScriptsFailAtTheirLine)
{
    const std::string longA(1 << 20, 'A');
    const std::string long9(1 << 20, '9');
    const std::string shownA = std::string(64, 'A') + "...";
    const std::string shown9 = std::string(64, '9') + "...";
    std::string manyLines;
    for (int i = 0; i < 200000; ++i)
        manyLines += std::to_string(i) + " int CLEAR METHOD 1\n";

    struct Garbage
    {
        std::string text;
        int line;
        std::string reason;
    };
    const Garbage cases[] = {
        {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 1, "unknown command \"\x89PNG\""},
        {std::string("OggS\0\x02\0\0", 8), 1, "unknown command \"OggS\\x00\\x02\\x00\\x00\""},
        {std::string("0 start CLEAR\0 0\n", 17), 1, "unknown effect \"CLEAR\\x00\""},
        {std::string("0\0 end\n", 7), 1,
         "bad time \"0\\x00\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {std::string("# fine\n\0\0\0\n", 11), 2, "unknown command \"\\x00\\x00\\x00\""},
        // "0 end" in UTF-16: every other byte is NUL.
        {std::string("0\0 \0e\0n\0d\0\n\0", 12), 1,
         "bad time \"0\\x00\" (milliseconds like 12500, or m:ss.fff like 0:12.5)"},
        {"0 start CLEAR 0\r5 end\r", 1, "too many fields for \"start\""},
        {"\x7f\xff\xfe end\n", 1, "unknown command \"\\x7F\xff\xfe\""},
        {"0 start CLEAR 0\n" + longA + "\n", 2, "unknown command \"" + shownA + "\""},
        {long9 + " end\n", 1, "time \"" + shown9 + "\" is too large (at most 2147483647 ms)"},
        {"0 start " + longA + " 0\n", 1, "unknown effect \"" + shownA + "\""},
        {"0 int CLEAR METHOD " + long9 + "\n", 1, "value \"" + shown9 + "\" is not a 32-bit integer"},
        {"0 int CLEAR " + longA + " 1 2\n", 1, "too many fields for \"int\""},
        {"0 start CLEAR 0" + std::string(1 << 20, ' ') + "x\n", 1, "too many fields for \"start\""},
        {manyLines + "9 strat CLEAR 0\n", 200001, "unknown command \"strat\""},
        {manyLines + "9 end\n", 200001, "time 9 is earlier than the previous line's 199999"},
    };
    for (const Garbage& c : cases)
    {
        Timeline timeline;
        timeline.musicFile = "untouched";
        std::string error;
        EXPECT_FALSE(ParseTimeline(c.text, "demoflow.txt", IsEffect, &timeline, &error)) << c.line;
        EXPECT_EQ(error, "demoflow.txt:" + std::to_string(c.line) + ": " + c.reason);
        EXPECT_EQ(timeline.musicFile, "untouched");
        EXPECT_TRUE(timeline.events.empty());
    }

    // The same long file without the fault parses, every line an event.
    const Timeline t = Parse(manyLines);
    EXPECT_EQ(t.events.size(), 200000u);
    EXPECT_EQ(t.events.back().line, 200000);
    EXPECT_EQ(t.endTimeMs, 199999);
}

TEST(Timeline, AcceptsEverySpellingOfTheFormat)
{
    // CRLF, tabs and runs of blanks, comments (whole-line, trailing, glued to a field), blank
    // lines, both time forms, equal times, no final newline.
    const Timeline t = Parse(
        "# Zarnovelt\r\n"
        "\r\n"
        "music\tsound/zarnovelt.ogg   # ours\r\n"
        "  0\tstart  CLEAR\t-5\r\n"
        "0:00 start KAOS 2147483647#glued\r\n"
        "\t\t\r\n"
        "0:12.5 int Space SpeedOfLight -2147483648\n"
        "12500 int Space mixedCase 2147483647\n"
        "1:02.250 stop CLEAR\n"
        "62250 start CLEAR -2147483648");
    EXPECT_EQ(t.musicFile, "sound/zarnovelt.ogg");
    EXPECT_EQ(t.musicLine, 3);
    ASSERT_EQ(t.events.size(), 6u);
    const TimelineEvent& e0 = t.events[0];
    EXPECT_EQ(e0.timeMs, 0);
    EXPECT_EQ(e0.command, TimelineCommand::Start);
    EXPECT_EQ(e0.effect, "CLEAR");
    EXPECT_EQ(e0.layer, -5);
    EXPECT_EQ(e0.line, 4);
    EXPECT_EQ(t.events[1].effect, "KAOS");
    EXPECT_EQ(t.events[1].layer, 2147483647);
    const TimelineEvent& e2 = t.events[2];
    EXPECT_EQ(e2.timeMs, 12500);
    EXPECT_EQ(e2.command, TimelineCommand::Int);
    EXPECT_EQ(e2.name, "SpeedOfLight");
    EXPECT_EQ(e2.value, INT32_MIN);
    EXPECT_EQ(e2.line, 7);
    EXPECT_EQ(t.events[3].timeMs, 12500);  // equal times stay in file order
    EXPECT_EQ(t.events[3].name, "mixedCase");
    EXPECT_EQ(t.events[3].value, INT32_MAX);
    EXPECT_EQ(t.events[4].timeMs, 62250);
    EXPECT_EQ(t.events[4].command, TimelineCommand::Stop);
    EXPECT_EQ(t.events[5].layer, INT32_MIN);
    EXPECT_EQ(t.events[5].line, 10);
    EXPECT_FALSE(t.hasEnd);
    EXPECT_EQ(t.endTimeMs, 62250);  // no "end": the last event
}

TEST(Timeline, EndTime)
{
    const Timeline withEnd = Parse("0 start CLEAR 0\n0:30 end\n\n# done\n");
    EXPECT_TRUE(withEnd.hasEnd);
    EXPECT_EQ(withEnd.endTimeMs, 30000);
    EXPECT_EQ(withEnd.events.size(), 1u);

    const Timeline onlyEnd = Parse("4000 end");
    EXPECT_TRUE(onlyEnd.hasEnd);
    EXPECT_EQ(onlyEnd.endTimeMs, 4000);
    EXPECT_TRUE(onlyEnd.events.empty());

    for (const char* empty : {"", "\n", "# nothing\r\n\t\n", "music a.ogg"})
    {
        const Timeline t = Parse(empty);
        EXPECT_FALSE(t.hasEnd);
        EXPECT_EQ(t.endTimeMs, 0);
        EXPECT_TRUE(t.events.empty());
    }
}

TEST(Timeline, TimeForms)
{
    const struct
    {
        const char* text;
        int64_t ms;
    } good[] = {
        {"0", 0},           {"12500", 12500},       {"007", 7},
        {"0:12.5", 12500},  {"1:02.250", 62250},    {"1:2", 62000},
        {"0:59.999", 59999}, {"0:00.0005", 1},      {"0:00.00049", 0},
        {"0:59.9996", 60000}, {"90:00", 5400000},   {"2147483647", 2147483647},
        {"35791:23.647", 2147483647},
    };
    for (const auto& g : good)
    {
        int64_t ms = -1;
        EXPECT_TRUE(ParseTimelineTime(g.text, &ms)) << g.text;
        EXPECT_EQ(ms, g.ms) << g.text;
    }
    for (const char* bad : {"", "-0", "1:60", "0:5x", "1e3", " 1", "0x10", "35791:23.648", "1:.5"})
    {
        int64_t ms = -1;
        EXPECT_FALSE(ParseTimelineTime(bad, &ms)) << bad;
    }
}

TEST(Timeline, LoadTimelineReadsTheFileOrNamesIt)
{
    const std::string path = ::testing::TempDir() + "timeline_test_demoflow.txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("0 start CLEAR 0\r\n1:00 end", f);
    std::fclose(f);

    Timeline t;
    std::string error;
    ASSERT_TRUE(LoadTimeline(path, "demoflow.txt", IsEffect, &t, &error)) << error;
    EXPECT_EQ(t.endTimeMs, 60000);
    EXPECT_EQ(t.events.size(), 1u);

    // Errors name the display name, not the path.
    f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("0 start KAOZ 0\n", f);
    std::fclose(f);
    EXPECT_FALSE(LoadTimeline(path, "demoflow.txt", IsEffect, &t, &error));
    EXPECT_EQ(error, "demoflow.txt:1: unknown effect \"KAOZ\"");
    std::remove(path.c_str());

    EXPECT_FALSE(LoadTimeline(path, "demoflow.txt", IsEffect, &t, &error));
    EXPECT_EQ(error, "demoflow.txt: cannot read the script (No such file or directory)");
    EXPECT_FALSE(LoadTimeline(::testing::TempDir(), "dir.txt", IsEffect, &t, &error));
    EXPECT_EQ(error.rfind("dir.txt: cannot read the script (", 0), 0u) << error;

    // Something that never ends is not read to its end.
    t.musicFile = "untouched";
    EXPECT_FALSE(LoadTimeline("/dev/zero", "zero.txt", IsEffect, &t, &error));
    EXPECT_EQ(error, "zero.txt: the script is larger than 16 MB; not read");
    EXPECT_EQ(t.musicFile, "untouched");
}

} // namespace

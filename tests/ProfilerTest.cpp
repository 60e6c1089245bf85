// The library's profiler: percentiles and per-second statistics, exclusive time buckets that
// add up to the frame, the scheduler's effect calls counted as the effects' time, the report
// file and its frame lines, and silence when profiling is off.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "DemoGL.h"
#include "support/Profiler.h"
#include "api/Scheduler.h"

namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string TempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / (name + "_" + std::to_string(getpid()))).string();
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Profiler::FrameRecord Frame(int64_t demoMs, double totalMs)
{
    Profiler::FrameRecord frame;
    frame.demoMs = demoMs;
    frame.totalMs = totalMs;
    return frame;
}

// Switches the profiler off again when a test that turned it on ends, however it ends.
struct ProfilerOffAtEnd
{
    ~ProfilerOffAtEnd() { Profiler::Configure(false, ""); }
};

TEST(Profiler, PercentileInterpolatesBetweenRanks)
{
    std::vector<double> values;
    for (int i = 100; i >= 1; --i)
        values.push_back(i);
    EXPECT_DOUBLE_EQ(Profiler::Percentile(values, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(Profiler::Percentile(values, 50.0), 50.5);
    EXPECT_NEAR(Profiler::Percentile(values, 99.0), 99.01, 1e-9);
    EXPECT_DOUBLE_EQ(Profiler::Percentile(values, 100.0), 100.0);
    EXPECT_DOUBLE_EQ(Profiler::Percentile({}, 50.0), 0.0);
    EXPECT_DOUBLE_EQ(Profiler::Percentile({7.0}, 99.0), 7.0);
    // Out-of-range percentiles are clamped to the ends.
    EXPECT_DOUBLE_EQ(Profiler::Percentile({3.0, 1.0, 2.0}, 150.0), 3.0);
}

TEST(Profiler, PerSecondGroupsFramesByWholeDemoSeconds)
{
    const std::vector<Profiler::FrameRecord> frames = {Frame(0, 4.0),    Frame(500, 2.0),  Frame(999, 6.0),
                                                       Frame(1000, 9.0), Frame(1999, 1.0), Frame(5000, 3.0)};
    const std::vector<Profiler::SecondStats> seconds = Profiler::PerSecond(frames);
    ASSERT_EQ(seconds.size(), 3u);
    EXPECT_EQ(seconds[0].second, 0);
    EXPECT_EQ(seconds[0].frames, 3);
    EXPECT_DOUBLE_EQ(seconds[0].p50Ms, 4.0);
    EXPECT_DOUBLE_EQ(seconds[0].maxMs, 6.0);
    EXPECT_EQ(seconds[1].second, 1);
    EXPECT_EQ(seconds[1].frames, 2);
    EXPECT_DOUBLE_EQ(seconds[1].p50Ms, 5.0);
    EXPECT_DOUBLE_EQ(seconds[1].maxMs, 9.0);
    EXPECT_EQ(seconds[2].second, 5);
    EXPECT_EQ(seconds[2].frames, 1);
    EXPECT_DOUBLE_EQ(seconds[2].p99Ms, 3.0);
}

TEST(Profiler, HeaviestSecondsAreOrderedByP99ThenMaximumThenTime)
{
    std::vector<Profiler::SecondStats> seconds(5);
    const double p99[] = {5.0, 9.0, 7.0, 9.0, 9.0};
    const double max[] = {6.0, 10.0, 8.0, 12.0, 10.0};
    for (int i = 0; i < 5; ++i)
    {
        seconds[i].second = i;
        seconds[i].p99Ms = p99[i];
        seconds[i].maxMs = max[i];
    }
    const std::vector<Profiler::SecondStats> heaviest = Profiler::HeaviestSeconds(seconds, 3);
    ASSERT_EQ(heaviest.size(), 3u);
    EXPECT_EQ(heaviest[0].second, 3);
    EXPECT_EQ(heaviest[1].second, 1);
    EXPECT_EQ(heaviest[2].second, 4);
    EXPECT_EQ(Profiler::HeaviestSeconds(seconds, 10).size(), 5u);
}

TEST(Profiler, FrameLinesRoundTrip)
{
    Profiler::FrameRecord frame = Frame(13521, 12.25);
    frame.index = 811;
    frame.bucketMs[Profiler::kLibrary] = 0.125;
    frame.bucketMs[Profiler::kEffects] = 2.5;
    frame.bucketMs[Profiler::kDriver] = 9.5;
    frame.bucketMs[Profiler::kEncoderWait] = 0.125;
    Profiler::FrameRecord parsed;
    ASSERT_TRUE(Profiler::ParseFrameLine(Profiler::FrameLine(frame), &parsed));
    EXPECT_EQ(parsed.index, 811);
    EXPECT_EQ(parsed.demoMs, 13521);
    EXPECT_DOUBLE_EQ(parsed.totalMs, 12.25);
    for (int b = 0; b < Profiler::kBucketCount; ++b)
        EXPECT_DOUBLE_EQ(parsed.bucketMs[b], frame.bucketMs[b]) << Profiler::BucketName(b);
    EXPECT_FALSE(Profiler::ParseFrameLine("mark\tmain\t1.0", &parsed));
    EXPECT_FALSE(Profiler::ParseFrameLine("frame\t1\t2\t3", &parsed));
    EXPECT_FALSE(Profiler::ParseFrameLine(Profiler::FrameLine(frame) + "x", &parsed));
}

TEST(Profiler, OffRecordsNothing)
{
    const ProfilerOffAtEnd profilerOff;
    Profiler::Configure(false, "");
    Profiler::Mark("main");
    Profiler::Count("texture reading and decoding", 1.0);
    Profiler::BeginFrame(0);
    {
        const Profiler::Scope scope(Profiler::kEffects);
    }
    Profiler::EndFrame();
    EXPECT_FALSE(Profiler::Enabled());
    EXPECT_TRUE(Profiler::Marks().empty());
    EXPECT_TRUE(Profiler::Counters().empty());
    EXPECT_TRUE(Profiler::Frames().empty());
    EXPECT_FALSE(Profiler::FirstFrameDone());
}

TEST(Profiler, NestedScopesAreExclusiveAndAddUpToTheFrame)
{
    const ProfilerOffAtEnd profilerOff;
    Profiler::Configure(true, TempPath("profile_unused"));
    Profiler::BeginFrame(7);
    Profiler::FrameAt(1234);
    SleepMs(2);
    {
        const Profiler::Scope effects(Profiler::kEffects);
        SleepMs(4);
        {
            const Profiler::Scope driver(Profiler::kDriver);
            SleepMs(6);
        }
    }
    Profiler::EndFrame();
    ASSERT_EQ(Profiler::Frames().size(), 1u);
    const Profiler::FrameRecord& frame = Profiler::Frames()[0];
    EXPECT_EQ(frame.index, 7);
    EXPECT_EQ(frame.demoMs, 1234);
    // Each bucket got at least its own sleep and not the inner one's.
    EXPECT_GE(frame.bucketMs[Profiler::kLibrary], 2.0);
    EXPECT_GE(frame.bucketMs[Profiler::kEffects], 4.0);
    EXPECT_GE(frame.bucketMs[Profiler::kDriver], 6.0);
    EXPECT_EQ(frame.bucketMs[Profiler::kEncoderWait], 0.0);
    double sum = 0.0;
    for (double ms : frame.bucketMs)
        sum += ms;
    EXPECT_NEAR(sum, frame.totalMs, 1e-6);
    EXPECT_TRUE(Profiler::FirstFrameDone());
    const std::vector<Profiler::StartupMark> marks = Profiler::Marks();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].what, "first frame drawn");
}

TEST(Profiler, AFrameBegunAndNotEndedIsNotRecorded)
{
    const ProfilerOffAtEnd profilerOff;
    Profiler::Configure(true, TempPath("profile_unused"));
    Profiler::BeginFrame(0);
    Profiler::BeginFrame(1);
    Profiler::FrameAt(17);
    Profiler::EndFrame();
    Profiler::EndFrame();
    ASSERT_EQ(Profiler::Frames().size(), 1u);
    EXPECT_EQ(Profiler::Frames()[0].index, 1);
}

// Counts the time of its calls: RenderFrame sleeps, as an effect's drawing would take time.
class SlowEffect : public CEffect
{
public:
    void RenderFrame(long) override { SleepMs(5); }
    void Prepare() override { SleepMs(1); }
};

TEST(Profiler, TheSchedulersEffectCallsAreTheEffectsTime)
{
    const ProfilerOffAtEnd profilerOff;
    SlowEffect effect;
    Scheduler scheduler;
    scheduler.AddEffect(&effect, "SLOW");
    Profiler::Configure(true, TempPath("profile_unused"));
    scheduler.InitAll(64, 48, {});
    TimelineEvent start;
    start.command = TimelineCommand::Start;
    start.effect = "SLOW";
    start.line = 1;
    Profiler::BeginFrame(0);
    Profiler::FrameAt(0);
    scheduler.Apply(start);
    scheduler.RenderFrame(0);
    Profiler::EndFrame();
    ASSERT_EQ(Profiler::Frames().size(), 1u);
    const Profiler::FrameRecord& frame = Profiler::Frames()[0];
    EXPECT_GE(frame.bucketMs[Profiler::kEffects], 6.0);
    EXPECT_LT(frame.bucketMs[Profiler::kLibrary], frame.bucketMs[Profiler::kEffects]);
    // Init was counted under the effect's name.
    bool initCounted = false;
    for (const Profiler::Counter& counter : Profiler::Counters())
        initCounted |= counter.what == "Init SLOW" && counter.count == 1;
    EXPECT_TRUE(initCounted);
    scheduler.StopAll();
}

TEST(Profiler, ReportWritesTablesAndMachineLinesThenForgets)
{
    const ProfilerOffAtEnd profilerOff;
    const std::string path = TempPath("profile_report.txt");
    Profiler::Configure(true, path);
    Profiler::Mark("main");
    Profiler::Count("texture reading and decoding", 2.5, 3);
    Profiler::Count("texture reading and decoding", 0.5);
    for (int i = 0; i < 3; ++i)
    {
        Profiler::BeginFrame(i);
        Profiler::FrameAt(i * 500);
        Profiler::EndFrame();
    }
    Profiler::Report();
    const std::string text = ReadText(path);
    std::filesystem::remove(path);
    EXPECT_NE(text.find("Start-up"), std::string::npos);
    EXPECT_NE(text.find("Second"), std::string::npos);
    EXPECT_NE(text.find("Heaviest seconds:"), std::string::npos);
    EXPECT_NE(text.find("mark\tmain\t"), std::string::npos);
    EXPECT_NE(text.find("counter\ttexture reading and decoding\t4\t3.000"), std::string::npos);
    EXPECT_NE(text.find("memory\tpeak_kb\t"), std::string::npos);
    std::istringstream lines(text);
    std::string line;
    std::vector<int64_t> demoTimes;
    Profiler::FrameRecord frame;
    while (std::getline(lines, line))
        if (Profiler::ParseFrameLine(line, &frame))
            demoTimes.push_back(frame.demoMs);
    EXPECT_EQ(demoTimes, (std::vector<int64_t>{0, 500, 1000}));
    EXPECT_TRUE(Profiler::Frames().empty());
    EXPECT_TRUE(Profiler::Marks().empty());
    EXPECT_GT(Profiler::PeakResidentKb(), 0);
}

} // namespace

// Playing the show: seeks and reloads replay the timeline so every earlier event reaches the
// effects exactly once; pause stops the clock; the clocks themselves (exact frame clock, steady
// clock, the sound device's sample clock) and the arithmetic that keeps a capture's soundtrack
// exactly as long as its frames.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "audio/AudioClock.h"
#include "audio/ScheduledAudioClock.h"
#include "capture/Capture.h"
#include "DemoGL.h"
#include "api/Library.h"
#include "audio/Music.h"
#include "api/Scheduler.h"
#include "show/ShowClock.h"
#include "TestFiles.h"
#include "script/Timeline.h"
#include "show/TimelinePlayer.h"
#include "ScriptedBackend.h"

namespace {

std::vector<std::string> g_calls;

// Records every call it receives as "NAME:Call[:argument]".
class RecordingEffect : public CEffect
{
public:
    explicit RecordingEffect(std::string name) : m_name(std::move(name)) {}
    int Init(int, int) override
    {
        Record("Init");
        return 0;
    }
    void RenderFrame(long lElapsedTime) override { Record("Frame:" + std::to_string(lElapsedTime)); }
    void Prepare() override { Record("Prepare"); }
    void End() override { Record("End"); }
    void ReceiveInt(char* pszName, int iValue, long) override
    {
        Record("Int:" + std::string(pszName) + "=" + std::to_string(iValue));
    }

private:
    void Record(const std::string& what) { g_calls.push_back(m_name + ":" + what); }
    std::string m_name;
};

Timeline Parse(const std::string& text)
{
    Timeline timeline;
    std::string error;
    EXPECT_TRUE(ParseTimeline(text, "test.txt", {}, &timeline, &error)) << error;
    return timeline;
}

// ---------------------------------------------------------------------------------------------
// TimelinePlayer on its own
// ---------------------------------------------------------------------------------------------

class TimelinePlayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_calls.clear();
        m_scheduler.AddEffect(&m_a, "A");
        m_scheduler.AddEffect(&m_b, "B");
        m_scheduler.InitAll(64, 48, {});
        g_calls.clear();
    }

    RecordingEffect m_a{"A"};
    RecordingEffect m_b{"B"};
    Scheduler m_scheduler;
};

const char* const kScript = "0 start A 0\n"
                            "100 int A P 1\n"
                            "200 start B 1\n"
                            "300 int A P 2\n"
                            "400 stop B\n"
                            "500 int B Q 3\n"
                            "600 end\n";

TEST_F(TimelinePlayer, SeekBackwardEndsRunningEffectsThenReplaysEveryEarlierEventOnce)
{
    ::TimelinePlayer player(m_scheduler, Parse(kScript));
    player.AdvanceTo(350);
    g_calls.clear();

    player.SeekTo(250);
    // Everything running is ended first (in drawing order), then events 0..250 once each.
    const std::vector<std::string> expected = {"A:End", "B:End", "A:Prepare", "A:Int:P=1", "B:Prepare"};
    EXPECT_EQ(g_calls, expected);
    EXPECT_EQ(player.CurrentTime(), 250);

    // Drawing at the new time: effect time counts from each effect's own start.
    g_calls.clear();
    m_scheduler.RenderFrame(250);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"A:Frame:250", "B:Frame:50"}));
}

TEST_F(TimelinePlayer, SeekForwardAppliesOnlyTheSkippedEventsWithoutDrawing)
{
    ::TimelinePlayer player(m_scheduler, Parse(kScript));
    player.AdvanceTo(150);
    g_calls.clear();
    player.SeekTo(520);
    const std::vector<std::string> expected = {"B:Prepare", "A:Int:P=2", "B:End", "B:Int:Q=3"};
    EXPECT_EQ(g_calls, expected);
    EXPECT_FALSE(player.Ended());

    // Seeking to the same time again applies nothing twice.
    g_calls.clear();
    player.SeekTo(520);
    player.AdvanceTo(510);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(TimelinePlayer, RestartAndRepeatedSeeksNeverDeliverAnEventTwiceSinceTheLastRewind)
{
    ::TimelinePlayer player(m_scheduler, Parse(kScript));
    player.AdvanceTo(550);
    player.SeekTo(0);   // Home
    g_calls.clear();
    player.SeekTo(420);
    player.SeekTo(100); // back again: a rewind
    const std::vector<std::string> expected = {
        // 0 -> 420
        "A:Int:P=1", "B:Prepare", "A:Int:P=2", "B:End",
        // 420 -> 100: A is running and ended, then 0..100 replayed
        "A:End", "A:Prepare", "A:Int:P=1"};
    EXPECT_EQ(g_calls, expected);
}

TEST_F(TimelinePlayer, EndLineStopsTheShowAndLaterEventsStayUnapplied)
{
    ::TimelinePlayer player(m_scheduler, Parse("0 start A 0\n100 end\n"));
    player.AdvanceTo(99);
    EXPECT_FALSE(player.Ended());
    player.AdvanceTo(100);
    EXPECT_TRUE(player.Ended());
    // A seek back before the end line makes the show playable again.
    player.SeekTo(50);
    EXPECT_FALSE(player.Ended());
}

TEST_F(TimelinePlayer, ReplaceReplaysTheNewScriptUpToTheSameTime)
{
    ::TimelinePlayer player(m_scheduler, Parse(kScript));
    player.AdvanceTo(250);
    g_calls.clear();
    player.Replace(Parse("0 start B 2\n100 int B R 9\n200 start A 0\n900 int A late 1\n"), 250);
    const std::vector<std::string> expected = {"A:End", "B:End", "B:Prepare", "B:Int:R=9", "A:Prepare"};
    EXPECT_EQ(g_calls, expected);
    EXPECT_EQ(player.CurrentTime(), 250);
    EXPECT_EQ(player.Script().events.size(), 4u);
}

// ---------------------------------------------------------------------------------------------
// The controls through the real show loop (null backend, exact clock at 10 frames per second)
// ---------------------------------------------------------------------------------------------

class Playback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetLibrary();
        g_calls.clear();
        ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    }
    void TearDown() override
    {
        DEMOGL_AppEnd();
        ResetLibrary();
    }

    static void WriteScript(const std::string& script)
    {
        WriteTestFile("demoflow.txt", std::vector<uint8_t>(script.begin(), script.end()));
    }

    // Runs the script; keys[k] are the controls pressed before frame k.
    int Run(const std::string& script, std::map<int64_t, BackendEvents> keys, int64_t frames = -1,
            std::function<void(int64_t)> beforeFrame = {})
    {
        WriteScript(script);
        Options options;
        options.headless = true;
        options.fpsNumerator = 10;
        options.frames = frames;
        Library().options = options;
        ScopedBackends backends(
            ScopedBackends::Kind::Null,
            [keys, beforeFrame](int64_t frame) {
                if (beforeFrame)
                    beforeFrame(frame);
                auto found = keys.find(frame);
                return found != keys.end() ? found->second : BackendEvents{};
            },
            m_hearWindow ? ShowPlayingListener([](bool playing) {
                g_calls.push_back(playing ? "window:playing" : "window:ended");
            })
                         : ShowPlayingListener());
        SStartupDat record{};
        return DEMOGL_AppRun(nullptr, &record, "test", false, 0, 0, 1);
    }

    static BackendEvents Key(bool BackendEvents::*key)
    {
        BackendEvents events;
        events.*key = true;
        return events;
    }

    ScopedTempDir m_dir;
    RecordingEffect m_a{"A"};
    bool m_hearWindow = false;  // what the show tells the window goes into g_calls too
};

std::vector<std::string> Without(const std::vector<std::string>& calls, const std::string& prefix)
{
    std::vector<std::string> kept;
    for (const std::string& call : calls)
        if (call.rfind(prefix, 0) != 0)
            kept.push_back(call);
    return kept;
}

TEST_F(Playback, PauseStopsTheClockAndNothingIsDrawnUntilResumed)
{
    ASSERT_EQ(Run("0 start A 0\n500 end\n",
                  {{2, Key(&BackendEvents::space)}, {5, Key(&BackendEvents::space)}}),
              kAppRunOk);
    // Frames 0 and 1 at 0 and 100 ms; paused before frame 2, resumed before frame 5: the show
    // goes on from 200 ms, not from 500.
    const std::vector<std::string> expected = {"A:Init",      "A:Prepare",   "A:Frame:0",   "A:Frame:100",
                                               "A:Frame:200", "A:Frame:300", "A:Frame:400", "A:End"};
    EXPECT_EQ(g_calls, expected);
}

// The window holds the screen saver off and hides the pointer over a fullscreen show from before
// the first frame to after the last, whether the script, Escape or the frame limit ends it.
TEST_F(Playback, WindowHearsTheShowPlayFromItsFirstFrameToItsLast)
{
    m_hearWindow = true;
    ASSERT_EQ(Run("0 start A 0\n200 end\n", {}), kAppRunOk);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"A:Init", "window:playing", "A:Prepare", "A:Frame:0", "A:Frame:100",
                                                 "window:ended", "A:End"}));

    // Escape before frame 1, then the frame limit after frame 0.
    const std::vector<std::string> oneFrame = {"window:playing", "A:Prepare", "A:Frame:0", "window:ended", "A:End"};
    DEMOGL_AppEnd();
    g_calls.clear();
    ASSERT_EQ(Run("0 start A 0\n500 end\n", {{1, Key(&BackendEvents::escape)}}), kAppRunOk);
    EXPECT_EQ(Without(g_calls, "A:Init"), oneFrame);
    DEMOGL_AppEnd();
    g_calls.clear();
    ASSERT_EQ(Run("0 start A 0\n500 end\n", {}, 1), kAppRunOk);
    EXPECT_EQ(Without(g_calls, "A:Init"), oneFrame);
}

TEST_F(Playback, SeekKeysReplayTheTimelineAndMoveTheClock)
{
    ASSERT_EQ(Run("0 int A P 1\n"
                  "0 start A 0\n"
                  "50000 int A P 2\n"
                  "60000 end\n",
                  {{2, Key(&BackendEvents::right)}, {4, Key(&BackendEvents::left)}, {6, Key(&BackendEvents::home)}},
                  8),
              kAppRunOk);
    const std::vector<std::string> expected = {
        "A:Init", "A:Int:P=1", "A:Prepare", "A:Frame:0", "A:Frame:100",
        // Right: 100 + 5000 ms, nothing in between to apply.
        "A:Frame:5100", "A:Frame:5200",
        // Left: back to 200 ms, a rewind: End, then the events up to 200 again.
        "A:End", "A:Int:P=1", "A:Prepare", "A:Frame:200", "A:Frame:300",
        // Home: back to 0.
        "A:End", "A:Int:P=1", "A:Prepare", "A:Frame:0", "A:Frame:100", "A:End"};
    EXPECT_EQ(g_calls, expected);
}

TEST_F(Playback, SeekForwardPastEventsAppliesEachOnce)
{
    ASSERT_EQ(Run("0 start A 0\n"
                  "1000 int A P 1\n"
                  "2000 int A P 2\n"
                  "9000 end\n",
                  {{1, Key(&BackendEvents::right)}}, 3),
              kAppRunOk);
    const std::vector<std::string> expected = {"A:Init",      "A:Prepare",   "A:Frame:0", "A:Int:P=1",
                                               "A:Int:P=2",   "A:Frame:5000", "A:Frame:5100", "A:End"};
    EXPECT_EQ(g_calls, expected);
}

TEST_F(Playback, ReloadKeepsTheTimeAndAppliesTheNewScriptUpToIt)
{
    const std::string second = "0 start A 3\n150 int A NEW 1\n9000 end\n";
    ASSERT_EQ(Run("0 start A 0\n100 int A OLD 1\n9000 end\n", {{3, Key(&BackendEvents::reload)}}, 5,
                  [&](int64_t frame) {
                      if (frame == 3)
                          WriteScript(second);
                  }),
              kAppRunOk);
    const std::vector<std::string> expected = {
        "A:Init", "A:Prepare", "A:Frame:0", "A:Int:OLD=1", "A:Frame:100", "A:Frame:200",
        // R before frame 3: the new script replayed up to 200 ms, and the show goes on from the
        // same time.
        "A:End", "A:Prepare", "A:Int:NEW=1", "A:Frame:200", "A:Frame:300", "A:End"};
    EXPECT_EQ(g_calls, expected);
}

TEST_F(Playback, InvalidScriptOnReloadIsReportedAndTheOldOnePlaysOn)
{
    testing::internal::CaptureStderr();
    const int status = Run("0 start A 0\n9000 end\n", {{2, Key(&BackendEvents::reload)}}, 4, [&](int64_t frame) {
        if (frame == 2)
            WriteScript("0 start A 0\n100 start NOPE 1\n");
    });
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(status, kAppRunOk);
    EXPECT_NE(errors.find("demoflow.txt:2: unknown effect \"NOPE\""), std::string::npos) << errors;
    EXPECT_NE(errors.find("not reloaded"), std::string::npos) << errors;
    const std::vector<std::string> expected = {"A:Init",      "A:Prepare",   "A:Frame:0", "A:Frame:100",
                                               "A:Frame:200", "A:Frame:300", "A:End"};
    EXPECT_EQ(g_calls, expected);
}

TEST_F(Playback, EscapeEndsTheShowOnlyWhenVariableTenSaysSo)
{
    ASSERT_EQ(Run("0 start A 0\n9000 end\n", {{2, Key(&BackendEvents::escape)}}), kAppRunOk);
    EXPECT_EQ(Without(g_calls, "A:Init"), (std::vector<std::string>{"A:Prepare", "A:Frame:0", "A:Frame:100", "A:End"}));

    DEMOGL_AppEnd();
    g_calls.clear();
    ASSERT_TRUE(DEMOGL_SetVariable(kVarEscapeEnds, false));
    ASSERT_EQ(Run("0 start A 0\n9000 end\n", {{2, Key(&BackendEvents::escape)}}, 4), kAppRunOk);
    EXPECT_EQ(Without(g_calls, "A:Init").size(), 6u); // Prepare, four frames, End
}

TEST_F(Playback, MissingMusicIsOneWarningNamingTheScriptLineAndTheShowRunsSilent)
{
    testing::internal::CaptureStderr();
    const int status = Run("# a show\nmusic gone.ogg\n0 start A 0\n200 end\n", {});
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(status, kAppRunOk);
    EXPECT_NE(errors.find("demoflow.txt:2: music \"gone.ogg\": cannot read (No such file or directory); the show "
                          "runs silent"),
              std::string::npos)
        << errors;
    EXPECT_EQ(Without(g_calls, "A:Init").size(), 4u); // Prepare, two frames, End
}

// ---------------------------------------------------------------------------------------------
// Clocks
// ---------------------------------------------------------------------------------------------

TEST(ShowClock, ExactFramesFollowTheRateExactlyAndPauseAndSeekMoveTheBase)
{
    ExactClock clock(60000, 1001, 1000);
    // Frame k at 1000 + floor(k * 1001 / 60) ms.
    EXPECT_EQ(clock.FrameTime(), 1000);
    EXPECT_EQ(clock.FrameTime(), 1016);
    EXPECT_EQ(clock.FrameTime(), 1033);
    clock.SetPaused(true);
    EXPECT_EQ(clock.FrameTime(), 1050);
    EXPECT_EQ(clock.FrameTime(), 1050);
    clock.SetPaused(false);
    EXPECT_EQ(clock.FrameTime(), 1050);
    EXPECT_EQ(clock.FrameTime(), 1066);
    clock.Seek(20000);
    EXPECT_EQ(clock.FrameTime(), 20000);
    EXPECT_EQ(clock.FrameTime(), 20016);
    // Ten minutes in, still exact: frame 35964 at 35964 * 1001 / 60 = 599999.4 ms.
    EXPECT_EQ(ShowClock::ExactOffset(35964, 60000, 1001), 599999);
}

TEST(ShowClock, MonotonicPauseStopsTimeAndSeekJumps)
{
    using namespace std::chrono;
    steady_clock::time_point now{};
    MonotonicClock clock(500, [&] { return now; });
    clock.Start();
    now += milliseconds(40);
    EXPECT_EQ(clock.FrameTime(), 540);
    clock.SetPaused(true);
    now += seconds(3);
    EXPECT_EQ(clock.FrameTime(), 540);
    clock.SetPaused(false);
    now += milliseconds(10);
    EXPECT_EQ(clock.FrameTime(), 550);
    clock.Seek(100);
    EXPECT_EQ(clock.FrameTime(), 100);
    now += milliseconds(25);
    EXPECT_EQ(clock.FrameTime(), 125);
    // Seeking while paused shows the target and stays there.
    clock.SetPaused(true);
    clock.Seek(9000);
    now += seconds(1);
    EXPECT_EQ(clock.FrameTime(), 9000);
}

TEST(AudioClock, FollowsTheSamplesTakenMinusTheBufferAndNeverRunsAhead)
{
    using namespace std::chrono;
    const steady_clock::time_point t0{};
    AudioClock clock(1000, 100); // 1000 samples per second keeps the numbers readable
    clock.Reset(0);
    // Nothing taken yet: the clock holds at the start.
    EXPECT_EQ(clock.Position(t0 + seconds(1)), 0);

    // The device fills its buffer with two chunks at once.
    clock.OnConsumed(100, t0);
    clock.OnConsumed(100, t0);
    EXPECT_EQ(clock.Position(t0), 100);                      // 200 taken, 100 still buffered
    EXPECT_EQ(clock.Position(t0 + milliseconds(40)), 140);  // runs on at the sample rate...
    EXPECT_EQ(clock.Position(t0 + milliseconds(500)), 200); // ...but never past what was taken

    // A late callback: the position does not step back to 100 + 100.
    clock.OnConsumed(100, t0 + milliseconds(600));
    EXPECT_EQ(clock.Position(t0 + milliseconds(600)), 200);
    EXPECT_EQ(clock.Position(t0 + milliseconds(650)), 250);
    EXPECT_EQ(clock.Consumed(), 300);
}

TEST(AudioClock, IsMonotonicUnderJitteryCallbacksAndHoldsWhilePaused)
{
    using namespace std::chrono;
    const steady_clock::time_point t0{};
    AudioClock clock(44100, 1024);
    clock.Reset(441000); // a seek to 10 s
    int64_t last = clock.Position(t0);
    EXPECT_EQ(last, 441000);
    // Chunks of 1024 arriving early, late and in bursts; the clock is read between them.
    const int gapsMs[] = {23, 5, 40, 0, 23, 60, 1, 23, 23, 30, 15, 23};
    steady_clock::time_point now = t0;
    for (int gap : gapsMs)
    {
        now += milliseconds(gap);
        clock.OnConsumed(1024, now);
        for (int probe = 0; probe < 30; probe += 7)
        {
            const int64_t position = clock.Position(now + milliseconds(probe));
            EXPECT_GE(position, last);
            EXPECT_LE(position, 441000 + clock.Consumed());
            last = position;
        }
    }
    clock.SetPaused(true, now);
    const int64_t held = clock.Position(now);
    clock.OnConsumed(1024, now + milliseconds(5)); // a callback racing the pause
    EXPECT_EQ(clock.Position(now + seconds(2)), held);
    clock.SetPaused(false, now + seconds(2));
    EXPECT_EQ(clock.Position(now + seconds(3)), held); // holds until the device takes samples again
}

// The browser's clock: chunks scheduled at times of the audio context, the context's time heard.
// (Times in eighths of a second and 1000 samples a second keep the arithmetic exact.)
TEST(ScheduledAudioClock, FollowsTheOutputTimeFromTheFirstChunkAndNeverPassesWhatWasQueued)
{
    ScheduledAudioClock clock(1000);
    clock.Reset(5000); // a seek to 5 s
    // Nothing queued: the clock holds at the seek's target.
    EXPECT_EQ(clock.Position(3.0), 5000);
    // Three chunks of 125 back to back from output time 10 s.
    clock.OnQueued(10.0, 125);
    clock.OnQueued(10.125, 125);
    clock.OnQueued(10.25, 125);
    EXPECT_EQ(clock.Queued(), 375);
    EXPECT_EQ(clock.Position(9.5), 5000);   // not heard yet
    EXPECT_EQ(clock.Position(10.0625), 5062);
    EXPECT_EQ(clock.Position(10.25), 5250);
    EXPECT_EQ(clock.Position(11.0), 5375);  // never past the last sample queued
    // An output time that steps back (a coarse timestamp) never moves the position back.
    EXPECT_EQ(clock.Position(10.25), 5375);
}

TEST(ScheduledAudioClock, AQueueThatRanDryHoldsWhereTheSoundStoppedAndGoesOnFromTheNextChunk)
{
    ScheduledAudioClock clock(1000);
    clock.Reset(0);
    clock.OnQueued(1.0, 500);
    EXPECT_EQ(clock.Position(1.25), 250);
    // Nobody fed the queue for two seconds (a hidden page): the sound stopped at 500.
    EXPECT_EQ(clock.Position(3.5), 500);
    // The next chunk can only start from now on: the clock goes on from the sample it carries.
    clock.OnQueued(3.625, 125);
    EXPECT_EQ(clock.Position(3.5), 500);
    EXPECT_EQ(clock.Position(3.6875), 562);
    // Back to back again after it: one run of chunks.
    clock.OnQueued(3.75, 125);
    EXPECT_EQ(clock.Position(3.8125), 687);
    // A seek starts over at its target, also backwards.
    clock.Reset(100);
    EXPECT_EQ(clock.Position(3.875), 100);
    EXPECT_EQ(clock.Queued(), 0);
    clock.OnQueued(4.0, 125);
    EXPECT_EQ(clock.Position(4.0625), 162);
}

// ---------------------------------------------------------------------------------------------
// A capture's length in frames and samples
// ---------------------------------------------------------------------------------------------

TEST(Capture, NinetyFramesAtThirtyAreThreeSecondsOfSound)
{
    EXPECT_EQ(CaptureFrameCount(0, 3000, 30, 1, -1), 90);
    EXPECT_EQ(SamplesForFrames(90, 44100, 30, 1), 132300);
    EXPECT_EQ(CaptureFrameCount(0, 3000, 30, 1, 12), 12);
    EXPECT_EQ(CaptureFrameCount(5000, 3000, 30, 1, -1), 0);
}

TEST(Capture, FrameCountMatchesTheExactClockAtEveryEnd)
{
    // The count is the number of frames whose time lies before the end, for odd rates too.
    const int rates[][2] = {{60, 1}, {60000, 1001}, {30000, 1001}, {24, 1}, {7, 3}};
    for (const auto& rate : rates)
        for (int64_t start : {0, 1234})
            for (int64_t end = start; end < start + 1500; end += 37)
            {
                int64_t expected = 0;
                while (start + ShowClock::ExactOffset(expected, rate[0], rate[1]) < end)
                    ++expected;
                EXPECT_EQ(CaptureFrameCount(start, end, rate[0], rate[1], -1), expected)
                    << rate[0] << "/" << rate[1] << " " << start << ".." << end;
            }
}

TEST(Capture, TenMinutesAtNtscRateStayWithinOneSampleOfTheExactLength)
{
    // frames * 44100 * 1001 / 60000 exactly, compared in integers scaled by 60000.
    const int64_t tenMinutes = 600LL * 60000 / 1001 + 1;
    int64_t sum = 0;
    for (int64_t frames = 1; frames <= tenMinutes; ++frames)
    {
        const int64_t total = SamplesForFrames(frames, 44100, 60000, 1001);
        // Each frame's share is what the capture writes for it; their sum is the total.
        sum += total - SamplesForFrames(frames - 1, 44100, 60000, 1001);
        ASSERT_EQ(sum, total);
        const int64_t scaledError = total * 60000 - frames * 44100 * 1001;
        ASSERT_LE(std::llabs(scaledError), 60000) << frames;
        ASSERT_LE(2 * std::llabs(scaledError), 60000) << "more than half a sample off at frame " << frames;
    }
    EXPECT_EQ(SamplesForFrames(35964, 44100, 60000, 1001), 26459974); // 26459973.54 rounded
}

TEST(Capture, SampleAtTimeRoundsToTheNearestSample)
{
    EXPECT_EQ(SampleAtTime(0, 44100), 0);
    EXPECT_EQ(SampleAtTime(1, 44100), 44);     // 44.1
    EXPECT_EQ(SampleAtTime(5000, 44100), 220500);
    EXPECT_EQ(SampleAtTime(10, 48000), 480);
    EXPECT_EQ(SampleAtTime(189296, 44100), 8347954); // 8347953.6
}

TEST(Capture, ProgressLineTellsFramePercentRateAndTimeLeft)
{
    const std::string line = CaptureProgress::Line("show.mp4", 300, 1200, 10.0);
    EXPECT_NE(line.find("show.mp4"), std::string::npos) << line;
    EXPECT_NE(line.find("frame 300/1200"), std::string::npos) << line;
    EXPECT_NE(line.find("25.0%"), std::string::npos) << line;
    EXPECT_NE(line.find("30.0 fps"), std::string::npos) << line;
    EXPECT_NE(line.find("0:30 left"), std::string::npos) << line; // 900 frames at 30 per second
}

} // namespace

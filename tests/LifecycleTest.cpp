// The scheduler's promises, seen from an effect: Init once and first, in registration order;
// Prepare before the first frame; End after the last; restarts as End + Prepare; effect time
// counted from the effect's own start; layers and equal times; --start applying earlier events
// exactly once. Runs the real DEMOGL_AppRun over the null backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DemoGL.h"
#include "api/Library.h"
#include "TestFiles.h"
#include "ScriptedBackend.h"

namespace {

std::vector<std::string> g_calls;

// Records every call it receives as "NAME:Call[:argument]".
class RecordingEffect : public CEffect
{
public:
    explicit RecordingEffect(std::string name, int initStatus = 0) : m_name(std::move(name)), m_initStatus(initStatus) {}

    int Init(int iWidth, int iHeight) override
    {
        Record("Init:" + std::to_string(iWidth) + "x" + std::to_string(iHeight));
        return m_initStatus;
    }
    void RenderFrame(long lElapsedTime) override { Record("Frame:" + std::to_string(lElapsedTime)); }
    void Prepare() override { Record("Prepare"); }
    void End() override { Record("End"); }
    void ReceiveInt(char* pszName, int iValue, long lParam) override
    {
        Record("Int:" + std::string(pszName) + "=" + std::to_string(iValue) + "," + std::to_string(lParam));
    }

private:
    void Record(const std::string& what) { g_calls.push_back(m_name + ":" + what); }
    std::string m_name;
    int m_initStatus;
};

class Lifecycle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetLibrary();
        g_calls.clear();
    }
    void TearDown() override
    {
        DEMOGL_AppEnd();
        ResetLibrary();
    }

    // Runs a script at 10 frames per second (frame k at 100 k ms).
    int Run(const std::string& script, int64_t startMs = 0, int64_t frames = -1)
    {
        WriteTestFile("demoflow.txt", std::vector<uint8_t>(script.begin(), script.end()));
        Options options;
        options.headless = true;
        options.fpsNumerator = 10;
        options.startMs = startMs;
        options.frames = frames;
        Library().options = options;
        SStartupDat record{};
        record.m_iDefaultResolution = 0;
        return DEMOGL_AppRun(nullptr, &record, "test", false, 0, 0, 1);
    }

    ScopedBackends m_backends{ScopedBackends::Kind::Null};
    ScopedTempDir m_dir;
    RecordingEffect m_a{"A"};
    RecordingEffect m_b{"B"};
};

std::vector<std::string> CallsOf(const std::string& effect)
{
    std::vector<std::string> calls;
    for (const std::string& call : g_calls)
        if (call.rfind(effect + ":", 0) == 0)
            calls.push_back(call.substr(effect.size() + 1));
    return calls;
}

TEST_F(Lifecycle, OrderAndEffectTimeThroughStartsStopsAndRestarts)
{
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_b, "B"));
    ASSERT_EQ(Run("0 int A X 7\n"
                  "100 start A 1\n"
                  "250 stop A\n"
                  "300 start B 0\n"
                  "300 start A 2\n"
                  "400 start A 0   # restart on another layer\n"
                  "500 end\n"),
              kAppRunOk);

    // Both Init first, in registration order, with the record's default size (320x240); at
    // 300 ms B (layer 0) draws before A (layer 2); at 400 ms A, restarted on layer 0, draws after
    // B, which was started earlier on the same layer; at the end the running effects get End.
    const std::vector<std::string> expected = {
        "A:Init:320x240", "B:Init:320x240", "A:Int:X=7,0", "A:Prepare", "A:Frame:0", "A:Frame:100",
        "A:End", "B:Prepare", "A:Prepare", "B:Frame:0", "A:Frame:0",
        "A:End", "A:Prepare", "B:Frame:100", "A:Frame:0",
        "B:End", "A:End"};
    EXPECT_EQ(g_calls, expected);
}

TEST_F(Lifecycle, EqualTimesApplyInFileOrderBeforeTheFrame)
{
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    ASSERT_EQ(Run("0 start A 0\n"
                  "200 int A P 1\n"
                  "200 int A P 2\n"
                  "200 int A q 3\n"
                  "0:00.300 end\n"),
              kAppRunOk);
    const std::vector<std::string> expected = {"Init:320x240", "Prepare",   "Frame:0",   "Frame:100",
                                               "Int:P=1,0",    "Int:P=2,0", "Int:q=3,0", "Frame:200",
                                               "End"};
    EXPECT_EQ(CallsOf("A"), expected);
}

TEST_F(Lifecycle, StartTimeAppliesEarlierEventsOnceAndDrawsNothingBeforeIt)
{
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_b, "B"));
    ASSERT_EQ(Run("0 start A 0\n"
                  "100 int A P 1\n"
                  "200 start B 0\n"
                  "300 stop B\n"
                  "500 int A P 2\n"
                  "800 end\n",
                  450),
              kAppRunOk);
    // Frames at 450, 550, 650, 750; A was started at 0, so its time is the demo time.
    const std::vector<std::string> expectedA = {"Init:320x240", "Prepare",   "Int:P=1,0", "Frame:450",
                                                "Int:P=2,0",    "Frame:550", "Frame:650", "Frame:750",
                                                "End"};
    EXPECT_EQ(CallsOf("A"), expectedA);
    const std::vector<std::string> expectedB = {"Init:320x240", "Prepare", "End"};
    EXPECT_EQ(CallsOf("B"), expectedB);
}

TEST_F(Lifecycle, FramesOptionAndScriptWithoutEndLine)
{
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    // Without an end line (and without music) the show ends at the last event.
    ASSERT_EQ(Run("0 start A 0\n300 int A P 1\n"), kAppRunOk);
    const std::vector<std::string> expected = {"Init:320x240", "Prepare",   "Frame:0", "Frame:100",
                                               "Frame:200",    "Int:P=1,0", "End"};
    EXPECT_EQ(CallsOf("A"), expected);

    g_calls.clear();
    DEMOGL_AppEnd();
    ASSERT_EQ(Run("0 start A 0\n9000 end\n", 0, 2), kAppRunOk);
    EXPECT_EQ(CallsOf("A").size(), 5u); // Init, Prepare, two frames, End
}

TEST_F(Lifecycle, FailedInitKeepsTheEffectOutOfTheShow)
{
    RecordingEffect failing("F", 1);
    ASSERT_TRUE(DEMOGL_EffectRegister(&failing, "F"));
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    testing::internal::CaptureStderr();
    ASSERT_EQ(Run("0 start F 0\n0 start A 0\n100 int F P 1\n200 stop F\n300 end\n"), kAppRunOk);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CallsOf("F"), std::vector<std::string>{"Init:320x240"});
    EXPECT_EQ(CallsOf("A").size(), 6u);
    EXPECT_NE(errors.find("effect F failed to initialise (status 1)"), std::string::npos) << errors;
    // One warning for the skipped lines, not one per line.
    const std::string skipped = "effect F is out of the show";
    const size_t first = errors.find(skipped);
    ASSERT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find(skipped, first + 1), std::string::npos) << errors;
}

TEST_F(Lifecycle, StopOfAnEffectThatIsNotRunningWarnsAndDoesNothing)
{
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    testing::internal::CaptureStderr();
    ASSERT_EQ(Run("100 stop A\n200 end\n"), kAppRunOk);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CallsOf("A"), std::vector<std::string>{"Init:320x240"});
    EXPECT_NE(errors.find("line 1: stop of A, which is not running"), std::string::npos) << errors;
}

TEST_F(Lifecycle, InvalidScriptDoesNotStart)
{
    ASSERT_TRUE(DEMOGL_EffectRegister(&m_a, "A"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run("0 start A 0\n100 start KAOZ 1\n"), kAppRunFailed);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("demoflow.txt:2: unknown effect \"KAOZ\""), std::string::npos) << errors;
    EXPECT_TRUE(g_calls.empty());
}

TEST(Api, RegistrationRefusesNullEmptyAndDuplicateNames)
{
    ResetLibrary();
    RecordingEffect a("A");
    RecordingEffect b("B");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DEMOGL_EffectRegister(nullptr, "X"));
    EXPECT_FALSE(DEMOGL_EffectRegister(&a, ""));
    EXPECT_FALSE(DEMOGL_EffectRegister(&a, nullptr));
    EXPECT_TRUE(DEMOGL_EffectRegister(&a, "A"));
    EXPECT_FALSE(DEMOGL_EffectRegister(&b, "A"));
    EXPECT_FALSE(DEMOGL_EffectRegister(&a, "A2"));
    EXPECT_TRUE(DEMOGL_EffectRegister(&b, "B"));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("already registered as \"A\""), std::string::npos) << errors;
    ASSERT_EQ(Library().effects.size(), 2u);
    EXPECT_EQ(Library().effects[0].name, "A");
    EXPECT_EQ(Library().effects[1].name, "B");
    ResetLibrary();
}

TEST(Api, UnknownStartupVariablesAndWrongKindsAreReportedAndIgnored)
{
    ResetLibrary();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DEMOGL_SetVariable(13, true));
    EXPECT_FALSE(DEMOGL_SetVariable(0, 1));
    EXPECT_FALSE(DEMOGL_SetVariable(99, "x"));
    EXPECT_FALSE(DEMOGL_SetVariable(5, true));
    EXPECT_FALSE(DEMOGL_SetVariable(1, "yes"));
    EXPECT_FALSE(DEMOGL_SetVariable(2, 7));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("unknown start-up variable 13"), std::string::npos) << errors;
    EXPECT_EQ(Library().variables.scriptFile, "demoflow.txt");
    EXPECT_EQ(Library().variables.swapInterval, 1);

    EXPECT_TRUE(DEMOGL_SetVariable(5, "other.txt"));
    EXPECT_TRUE(DEMOGL_SetVariable(7, false));
    EXPECT_TRUE(DEMOGL_SetVariable(2, 0));
    EXPECT_EQ(Library().variables.scriptFile, "other.txt");
    EXPECT_FALSE(Library().variables.playMusic);
    EXPECT_EQ(Library().variables.swapInterval, 0);
    ResetLibrary();
}

TEST(Random, FollowsTheClassicRecurrenceFromSeedOne)
{
    DemoSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(DemoRand(), value);
    DemoSrand(1);
    EXPECT_EQ(DemoRand(), 41);
}

} // namespace

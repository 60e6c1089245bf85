// What the library does with the start-up record and variables beyond playing the show: the
// window's buffers, display and stacking from the record, the dialog's remembered choices, the
// log file; and the pieces under them: the report lines, the settings file, the whole-file
// reader and the offscreen framebuffer's formats.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DemoGL.h"
#include "GlTestContext.h"
#include "TestFiles.h"
#include "api/Library.h"
#include "platform/BackendChoice.h"
#include "platform/RenderTarget.h"
#include "support/Report.h"
#include "support/WholeFile.h"
#include "show/DialogSettings.h"
#include "ui/StartupDialog.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// ---------------------------------------------------------------------------------------------
// Report lines
// ---------------------------------------------------------------------------------------------

TEST(Report, LinesOnStandardErrorInTheLogAndAtTheSink)
{
    ScopedTempDir dir;
    std::vector<std::string> seen;
    SetReportSink([&](ReportKind kind, const std::string& text, const std::string& caption) {
        seen.push_back(std::to_string(static_cast<int>(kind)) + "|" + text + "|" + caption);
    });
    std::string error;
    ASSERT_TRUE(OpenReportLog(dir.Path() + "/logs/demo.log", &error)) << error;
    ClearReportedWarnings();
    testing::internal::CaptureStderr();
    ReportError("disk on fire");
    ReportWarningOnce("twice the same");
    ReportWarningOnce("twice the same");
    ReportNotice("Reloaded demoflow.txt");
    ReportMessageBox("Failed to open DIB file a.bmp.\n", "Error");
    ReportFailure("no GL context");
    const std::string printed = testing::internal::GetCapturedStderr();
    CloseReportLog();
    ReportWarning("after the log was closed");
    SetReportSink(nullptr);

    const std::string expected = "Error: disk on fire\n"
                                 "Warning: twice the same\n"
                                 "Reloaded demoflow.txt\n"
                                 "Error: Failed to open DIB file a.bmp.\n"
                                 "zarnovelt: no GL context\n";
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(ReadText(dir.Path() + "/logs/demo.log"), expected);
    // The sink gets the text as given (the message box's own line end too) and the caption.
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[3], std::to_string(static_cast<int>(ReportKind::MessageBox)) + "|Failed to open DIB file a.bmp.\n|Error");
}

TEST(Report, ALogThatCannotBeOpenedIsReportedAndStandardErrorGoesOn)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("blocked", {'x'}));
    std::string error;
    EXPECT_FALSE(OpenReportLog(dir.Path() + "/blocked/demo.log", &error));
    EXPECT_NE(error.find("blocked/demo.log"), std::string::npos) << error;
}

// ---------------------------------------------------------------------------------------------
// The dialog's remembered choices
// ---------------------------------------------------------------------------------------------

TEST(DialogSettings, RoundTripAndReportsLinesThatAreNotSettings)
{
    ScopedTempDir dir;
    const std::string path = dir.Path() + "/config/zarnovelt.ini";
    StartupChoices missing;
    EXPECT_FALSE(LoadDialogSettings(path, &missing));

    StartupChoices chosen;
    chosen.width = 1280;
    chosen.height = 720;
    chosen.fullscreen = true;
    chosen.sound = false;
    chosen.frameSync = false;
    std::string error;
    ASSERT_TRUE(SaveDialogSettings(path, chosen, &error)) << error;
    StartupChoices read;
    ASSERT_TRUE(LoadDialogSettings(path, &read));
    EXPECT_EQ(read.width, 1280);
    EXPECT_EQ(read.height, 720);
    EXPECT_TRUE(read.fullscreen);
    EXPECT_FALSE(read.sound);
    EXPECT_FALSE(read.frameSync);

    // Anything else is named with its line and skipped; the good lines still count.
    const std::string text = "# comment\r\nwidth=800\nheight=0\nfullscreen=2\ncolour=blue\nsound\nheight=600\n";
    ASSERT_TRUE(WriteTestFile(path, std::vector<uint8_t>(text.begin(), text.end())));
    testing::internal::CaptureStderr();
    StartupChoices partly;
    ASSERT_TRUE(LoadDialogSettings(path, &partly));
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(partly.width, 800);
    EXPECT_EQ(partly.height, 600);
    EXPECT_FALSE(partly.fullscreen);
    for (const char* line : {":3: not a setting (\"height=0\")", ":4:", ":5:", ":6:"})
        EXPECT_NE(warnings.find(path + line), std::string::npos) << line << "\n" << warnings;
    EXPECT_EQ(warnings.find(":2:"), std::string::npos) << warnings;
}

TEST(DialogSettings, FileNamesComeFromTheApplicationId)
{
    EXPECT_EQ(ApplicationFileName("zarnovelt"), "zarnovelt");
    EXPECT_EQ(ApplicationFileName("my demo!"), "my_demo_");
    EXPECT_EQ(ApplicationFileName("../../etc/x"), "demo.._.._etc_x");
    EXPECT_EQ(ApplicationFileName(""), "demo");
    ScopedEnvironment config("XDG_CONFIG_HOME", "/tmp/conf");
    EXPECT_EQ(DialogSettingsPath("zarnovelt"), "/tmp/conf/zarnovelt.ini");
}

// ---------------------------------------------------------------------------------------------
// A run through DEMOGL_AppRun in a pretend window that records what it is asked
// ---------------------------------------------------------------------------------------------

// A window without GL: what the show asks of a window backend, recorded.
class RecordingWindow : public Backend
{
public:
    struct Log
    {
        std::vector<BackendConfig> configs;     // Open's, then Reconfigure's
        std::vector<StartupDialogModel> dialogs;
        StartupChoices answer;                  // what the "person" picks in the dialog
        bool pick = false;
    };

    explicit RecordingWindow(Log& log) : m_log(log) {}
    bool Open(const BackendConfig& config, std::string*) override
    {
        m_log.configs.push_back(config);
        return true;
    }
    bool HasGl() const override { return false; }
    bool IsInteractive() const override { return true; }
    PROC GetProcAddress(const char*) override { return nullptr; }
    BackendEvents PollEvents() override { return {}; }
    void Present(unsigned int, int, int) override {}
    HWND Window() const override { return nullptr; }
    void Reconfigure(const BackendConfig& config) override { m_log.configs.push_back(config); }
    DialogOutcome RunStartupDialog(const StartupDialogModel& model, StartupChoices* choices) override
    {
        m_log.dialogs.push_back(model);
        if (m_log.pick)
            *choices = m_log.answer;
        return DialogOutcome::Start;
    }
    void Close() override {}

private:
    Log& m_log;
};

class LibraryRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetLibrary();
        SetBackendFactory([this](BackendRole) { return std::make_unique<RecordingWindow>(m_log); });
        ASSERT_TRUE(DEMOGL_EffectRegister(&m_effect, "A"));
        const std::string script = "0 stop A\n0:01 end\n";
        ASSERT_TRUE(WriteTestFile("demoflow.txt", std::vector<uint8_t>(script.begin(), script.end())));
        Library().options.frames = 2;
        std::memset(&m_record, 0, sizeof m_record);
        m_record.m_bResolutionChoice = true;
        m_record.m_iDefaultResolution = 2;
        m_record.m_bSound = true;
        m_record.m_bFrameSync = true;
    }
    void TearDown() override
    {
        DEMOGL_AppEnd();
        SetBackendFactory(nullptr);
        ResetLibrary();
    }

    int Run()
    {
        DEMOGL_AppEnd();
        testing::internal::CaptureStderr();
        const int status = DEMOGL_AppRun(nullptr, &m_record, "zarnovelt test", false, 1, 2, 3);
        m_errors = testing::internal::GetCapturedStderr();
        return status;
    }

    ScopedTempDir m_dir;
    ScopedEnvironment m_config{"XDG_CONFIG_HOME", nullptr};
    ScopedEnvironment m_state{"XDG_STATE_HOME", nullptr};
    RecordingWindow::Log m_log;
    CEffect m_effect;
    SStartupDat m_record{};
    std::string m_errors;
};

TEST_F(LibraryRun, TheRecordChoosesTheWindowsBuffersDisplayAndStacking)
{
    m_record.m_b32BitColour = false;
    m_record.m_bDepthBuffer = false;
    m_record.m_bStencilBuffer = true;
    m_record.m_iDisplayIndex = 1;
    m_record.m_bAlwaysOnTop = true;
    std::strcpy(m_record.m_szDemoName, "Title");
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    ASSERT_FALSE(m_log.configs.empty());
    for (const BackendConfig& config : m_log.configs)
    {
        EXPECT_EQ(config.colourBits, 16);
        EXPECT_FALSE(config.depthBuffer);
        EXPECT_TRUE(config.stencilBuffer);
        EXPECT_EQ(config.displayIndex, 1);
        EXPECT_TRUE(config.alwaysOnTop);
        EXPECT_EQ(config.title, "Title");
        EXPECT_EQ(config.width, 640);
    }

    m_record.m_b32BitColour = true;
    m_record.m_bStencilBuffer = false;
    m_record.m_bDepthBuffer = true;
    m_record.m_bAlwaysOnTop = false;
    m_log.configs.clear();
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    ASSERT_FALSE(m_log.configs.empty());
    EXPECT_EQ(m_log.configs[0].colourBits, 32);
    EXPECT_TRUE(m_log.configs[0].depthBuffer);
    EXPECT_FALSE(m_log.configs[0].stencilBuffer);
    EXPECT_FALSE(m_log.configs[0].alwaysOnTop);
}

TEST_F(LibraryRun, RememberedChoicesOpenTheNextDialogAndOnlyWhenTheRecordAsks)
{
    ScopedEnvironment config("XDG_CONFIG_HOME", (m_dir.Path() + "/config").c_str());
    const std::string file = m_dir.Path() + "/config/zarnovelt_test.ini";
    m_log.pick = true;
    m_log.answer.width = 800;
    m_log.answer.height = 600;
    m_log.answer.fullscreen = true;
    m_log.answer.sound = false;
    m_log.answer.frameSync = true;

    // Without byte 535 nothing is written.
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    EXPECT_FALSE(std::ifstream(file).good());

    m_record.m_bRememberSettings = true;
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    EXPECT_EQ(ReadText(file), "# written by the start-up dialog\nwidth=800\nheight=600\nfullscreen=1\nsound=0\nframesync=1\n");
    // The window was set to what the person chose.
    EXPECT_EQ(m_log.configs.back().width, 800);
    EXPECT_TRUE(m_log.configs.back().fullscreen);

    // The next run's dialog opens on the remembered choices: 800 x 600 is the record's fourth.
    m_log.pick = false;
    m_log.dialogs.clear();
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    ASSERT_EQ(m_log.dialogs.size(), 1u);
    EXPECT_EQ(m_log.dialogs[0].selected, 3);
    EXPECT_EQ(m_log.dialogs[0].resolutions[3].label, "800 x 600");
    EXPECT_TRUE(m_log.dialogs[0].offerResolution);
    EXPECT_FALSE(m_log.dialogs[0].offerWindowMode);

    // The command line still has the last word over remembered choices.
    Library().options.width = 320;
    Library().options.height = 240;
    Library().options.sizeGiven = true;
    m_log.dialogs.clear();
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    ASSERT_EQ(m_log.dialogs.size(), 1u);
    EXPECT_EQ(m_log.dialogs[0].resolutions[m_log.dialogs[0].selected].width, 320);
}

TEST_F(LibraryRun, VariableTwelveMirrorsTheMessagesToALogNamedAfterTheId)
{
    ScopedEnvironment state("XDG_STATE_HOME", (m_dir.Path() + "/state").c_str());
    const std::string log = m_dir.Path() + "/state/zarnovelt_test.log";
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    EXPECT_FALSE(std::ifstream(log).good()) << "no log without variable 12";

    ASSERT_TRUE(DEMOGL_SetVariable(kVarWriteLogFile, true));
    ASSERT_EQ(Run(), kAppRunOk) << m_errors;
    DEMOGL_AppEnd();
    // The script's stop of an effect that is not running is warned about, in both places.
    const std::string warning = "Warning: line 1: stop of A, which is not running";
    EXPECT_NE(m_errors.find(warning), std::string::npos) << m_errors;
    EXPECT_NE(ReadText(log).find(warning), std::string::npos) << ReadText(log);
    // After AppEnd the log is closed: later messages stay on standard error only.
    ReportWarning("not in the log");
    EXPECT_EQ(ReadText(log).find("not in the log"), std::string::npos);
}

TEST_F(LibraryRun, VersionShowsTheReleaseAndTheBuild)
{
    Library().options.showVersion = true;
    std::strcpy(m_record.m_szDemoName, "Zarnovelt");
    std::strcpy(m_record.m_szGroupName, "Quillmarsh party gang");
    testing::internal::CaptureStdout();
    ASSERT_EQ(Run(), kAppRunOk);
    const std::string printed = testing::internal::GetCapturedStdout();
#ifdef ZARNOVELT_GLES
    const std::string drawnWith = "OpenGL 1.1 through the fixed-function layer over OpenGL ES 3";
#else
    const std::string drawnWith = "the driver's OpenGL 1.1";
#endif
    EXPECT_EQ(printed, "Zarnovelt by Quillmarsh party gang, version 1.2 build 3 (zarnovelt test)\n"
                       "zarnovelt 1.0.0\n"
                       "drawn with " + drawnWith + "\n");
    EXPECT_TRUE(m_log.configs.empty()) << "--version opens nothing";
}

// ---------------------------------------------------------------------------------------------
// The pieces underneath
// ---------------------------------------------------------------------------------------------

TEST(WholeFile, ReadsEverythingUpToTheLimitAndTellsWhyNot)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("five.bin", {1, 2, 3, 4, 5}));
    std::vector<uint8_t> bytes = {9};
    WholeFileResult result = ReadWholeFile("five.bin", &bytes, 5);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5}));

    result = ReadWholeFile("five.bin", &bytes, 4);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.tooLarge);
    EXPECT_EQ(bytes.size(), 5u) << "unchanged on failure";

    result = ReadWholeFile("missing.bin", &bytes);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.Reason(kMaxDataFileBytes), "No such file or directory");

    // A directory opens but cannot be read.
    result = ReadWholeFile(".", &bytes);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.tooLarge);

    // Written whole, replacing what was there; a folder that is not there is named.
    std::string error;
    EXPECT_TRUE(WriteWholeFile("five.bin", {7, 8}, &error)) << error;
    ASSERT_TRUE(ReadWholeFile("five.bin", &bytes).ok);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{7, 8}));
    EXPECT_FALSE(WriteWholeFile("no-such-folder/out.bin", {1}, &error));
    EXPECT_EQ(error, "cannot create no-such-folder/out.bin: No such file or directory");
}

TEST(RenderTarget, FollowsTheRecordsColourDepthAndStencilChoices)
{
    ASSERT_TRUE(GlTestContext::Create(8, 8));
    struct Case
    {
        RenderTargetFormat format;
        int red, depth, stencil;
    };
    const Case cases[] = {
        {{32, true, false}, 8, 24, 0},
        {{16, true, true}, 5, 24, 8},
        {{32, false, false}, 8, 0, 0},
    };
    for (const Case& test : cases)
    {
        RenderTarget target;
        std::string error;
        ASSERT_TRUE(target.Create(8, 8, test.format, &error)) << error;
        GLint red = -1, depth = -1, stencil = -1;
        glGetIntegerv(GL_RED_BITS, &red);
        glGetIntegerv(GL_DEPTH_BITS, &depth);
        glGetIntegerv(GL_STENCIL_BITS, &stencil);
        EXPECT_EQ(red, test.red) << test.format.colourBits;
        EXPECT_EQ(depth, test.depth) << test.format.depth;
        EXPECT_EQ(stencil, test.stencil) << test.format.stencil;
        target.Destroy();
    }
    GlTestContext::Create(8, 8);
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

} // namespace

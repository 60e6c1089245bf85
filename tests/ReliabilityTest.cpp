// The show under strain, through the real library on real GL (Mesa, headless EGL):
//   - the GL error audit names the effect, the call and the error, once, whether --check-gl
//     or ZARNOVELT_CHECK_GL asked for it, and the generated show has no GL error at all;
//   - every effect of the show started and stopped 200 times by a generated script leaves the
//     live GL textures, the live display lists and the resident memory where they were;
//   - a model's broken bitmap is read and reported again every time the model reads its
//     bitmaps (once in Init, once per start), and nothing else is reported.
// docs/reliability.md has the rest: the sanitizer build, broken data files, the fuzz targets.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DemoGL.h"
#include "EffectTable.h"
#include "api/GlErrorCheck.h"
#include "api/Library.h"
#include "Model.h"
#include "Ms3dTestFile.h"
#include "TestFiles.h"
#include "ScriptedBackend.h"

namespace {

std::string Demo(const std::string& arguments)
{
    return "'" + DemoBinary() + "' " + arguments;
}

// Lines of text that contain needle.
std::vector<std::string> LinesWith(const std::string& text, const std::string& needle)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.find(needle) != std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Runs DEMOGL_AppRun headless on EGL in the working directory, with a script at an absolute
// path and the given effects registered, at 64x48 and 10 frames per second (frame k at
// 100 k ms). Standard error is returned in *errors.
class AppRunner
{
public:
    AppRunner() { ResetLibrary(); }
    ~AppRunner()
    {
        DEMOGL_AppEnd();
        ResetLibrary();
    }

    // `events` are window events scripted frame by frame (none: the platform's headless GL).
    int Run(const std::string& scriptPath, bool checkGl, std::string* errors, ScriptedEvents events = {})
    {
        Options options;
        options.headless = true;
        options.noDialog = true;
        options.noMusic = true;
        options.width = 64;
        options.height = 48;
        options.sizeGiven = true;
        options.fpsNumerator = 10;
        options.scriptFile = scriptPath;
        options.checkGl = checkGl;
        Library().options = options;
        SStartupDat record{};
        record.m_iDefaultResolution = 0;
        record.m_b32BitColour = true;
        record.m_bDepthBuffer = true;
        std::unique_ptr<ScopedBackends> backends;
        if (events)
            backends = std::make_unique<ScopedBackends>(ScopedBackends::Kind::Headless, events);
        ::testing::internal::CaptureStderr();
        const int status = DEMOGL_AppRun(nullptr, &record, "test", false, 0, 0, 1);
        *errors = ::testing::internal::GetCapturedStderr();
        return status;
    }
};


// An effect that leaves GL_INVALID_ENUM behind in every frame.
class BrokenEffect : public CEffect
{
public:
    void RenderFrame(long) override { glEnable(0xFFFF); }
};

// ---------------------------------------------------------------------------------------------
// The GL error audit
// ---------------------------------------------------------------------------------------------

TEST(Reliability, GlAuditNamesTheEffectTheCallAndTheErrorOnce)
{
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("show.txt", {'0', ' ', 's', 't', 'a', 'r', 't', ' ', 'B', 'A', 'D', ' ', '0', '\n',
                                           '2', '0', '0', '0', ' ', 'e', 'n', 'd', '\n'}));
    const std::string script = dir.Path() + "/show.txt";
    const std::string expected = "Warning: GL error GL_INVALID_ENUM after BAD RenderFrame";

    struct Way
    {
        const char* name;
        bool option;            // --check-gl
        const char* environment;  // ZARNOVELT_CHECK_GL
        bool reported;
    };
    const Way ways[] = {
        {"--check-gl", true, nullptr, true},
        {"ZARNOVELT_CHECK_GL=1", false, "1", true},
        {"ZARNOVELT_CHECK_GL=0", false, "0", false},
        {"neither", false, nullptr, false},
    };
    for (const Way& way : ways)
    {
        ScopedEnvironment environment("ZARNOVELT_CHECK_GL", way.environment);
        BrokenEffect broken;
        AppRunner runner;
        ASSERT_TRUE(DEMOGL_EffectRegister(&broken, "BAD"));
        const size_t seenBefore = GlErrorsSeen();
        std::string errors;
        ASSERT_EQ(runner.Run(script, way.option, &errors), kAppRunOk) << way.name << errors;
        // Twenty frames, each with the error: one line.
        EXPECT_EQ(LinesWith(errors, "GL error").size(), way.reported ? 1u : 0u) << way.name << "\n" << errors;
        if (way.reported)
        {
            EXPECT_EQ(LinesWith(errors, "GL error").at(0), expected) << way.name;
        }
        // Both ways go through GlErrorCheck, which counts every code it takes.
        EXPECT_EQ(GlErrorsSeen() - seenBefore, way.reported ? 20u : 0u) << way.name;
    }
}

TEST(Reliability, TheGeneratedShowHasNoGlError)
{
    // The whole show, one frame a second, with and without the GL extensions.
    for (const char* extensions : {"", " --no-extensions"})
    {
        std::string output;
        const int status = RunCommand(
            Demo("--headless --size 64x48 --fps 1 --check-gl --data '" + DataDir() + "'" + extensions), &output);
        EXPECT_EQ(status, 0) << output;
        EXPECT_TRUE(LinesWith(output, "GL error").empty()) << extensions << "\n" << output;
        // The generated data is whole: nothing to report at all.
        EXPECT_TRUE(LinesWith(output, "Error").empty()) << extensions << "\n" << output;
        EXPECT_TRUE(LinesWith(output, "Warning").empty()) << extensions << "\n" << output;
    }
}

// ---------------------------------------------------------------------------------------------
// Restart soak
// ---------------------------------------------------------------------------------------------

// The fifteen effects of the show, under the names the shell gives them.
struct Registered
{
    std::unique_ptr<CEffect> effect;
    const char* name;
};

std::vector<Registered> ShowEffects()
{
    std::vector<Registered> effects;
    for (const EffectTableEntry& entry : kEffectTable)
        effects.push_back({std::unique_ptr<CEffect>(entry.factory()), entry.name});
    return effects;
}

constexpr int kRounds = 200;
constexpr int kRoundMs = 200;

// Round r, at 200 r ms: every effect starts, with every layer of KAOS and every caption and
// picture switched on (the modes vary from round to round); 100 ms later every effect stops.
// At 10 frames per second each round draws one frame with all fifteen running and one with none.
std::string SoakScript(const std::vector<Registered>& effects)
{
    std::string script = "# Generated by ReliabilityTest: every effect started and stopped " +
                         std::to_string(kRounds) + " times.\n";
    for (int round = 0; round < kRounds; ++round)
    {
        const std::string at = std::to_string(round * kRoundMs) + " ";
        const std::string stopAt = std::to_string(round * kRoundMs + kRoundMs / 2) + " ";
        int layer = 0;
        for (const Registered& registered : effects)
            script += at + "start " + registered.name + " " + std::to_string(layer++) + "\n";
        const std::vector<std::string> parameters = {
            "CLEAR METHOD " + std::to_string(round % 4), "CLEAR SCISSOR " + std::to_string(round % 2),
            "BACKGROUND BGIMAGE " + std::to_string(round % 3), "IMAGE HP_GLOW 1", "IMAGE GREETZ1 1",
            "IMAGE GREETZ2 1", "CREDITS CODING " + std::to_string(1 + round % 2), "CREDITS QV 1",
            "KAOS SL 1", "KAOS SR 1", "KAOS QLG 1", "KAOS FH " + std::to_string(1 + round % 2),
            "KAOS HAMMER " + std::to_string(1 + round % 3), "KAOS TCUBE " + std::to_string(1 + round % 2),
            "KAOS HEAD 1", "STARFIELD RESET 1", "BALLS CLEAR " + std::to_string(round)};
        for (const std::string& parameter : parameters)
            script += at + "int " + parameter + "\n";
        for (const Registered& registered : effects)
            script += stopAt + "stop " + registered.name + "\n";
    }
    script += std::to_string(kRounds * kRoundMs) + " end\n";
    return script;
}

struct Resources
{
    int textures = 0;       // names for which glIsTexture is true
    int lists = 0;          // names for which glIsList is true
    long residentKb = 0;    // resident set size of the process
};

// Counts every live texture and display list: GL hands out names upwards, so a probe name
// from glGen* bounds every name in use.
Resources Measure()
{
    Resources resources;
    GLuint probe = 0;
    glGenTextures(1, &probe);
    for (GLuint name = 1; name < probe; ++name)
        if (glIsTexture(name))
            ++resources.textures;
    glDeleteTextures(1, &probe);
    const GLuint listProbe = glGenLists(1);
    for (GLuint name = 1; name < listProbe; ++name)
        if (glIsList(name))
            ++resources.lists;
    glDeleteLists(listProbe, 1);

    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r"))
    {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    resources.residentKb = resident * (sysconf(_SC_PAGESIZE) / 1024);
    return resources;
}

TEST(Reliability, EveryEffectRestartedTwoHundredTimesLeavesTexturesListsAndMemoryWhereTheyWere)
{
    // The effects read their files relative to the working directory, as in the show.
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    const std::string scriptPath = ::testing::TempDir() + "reliability_soak_demoflow.txt";

    std::vector<Registered> effects = ShowEffects();
    const std::string script = SoakScript(effects);
    ASSERT_TRUE(WriteTestFile(scriptPath, std::vector<uint8_t>(script.begin(), script.end())));
    ASSERT_EQ(chdir(DataDir().c_str()), 0) << DataDir();

    // Sampled before the frame that starts round r, i.e. after r complete rounds. The first
    // rounds fill the driver's caches and the allocator's pools; growth is looked for after.
    const int kSettled = 50;
    std::vector<std::pair<int, Resources>> samples;
    std::string errors;
    int status = -1;
    {
        ScopedEnvironment environment("ZARNOVELT_CHECK_GL", "1");
        AppRunner runner;
        for (const Registered& registered : effects)
            ASSERT_TRUE(DEMOGL_EffectRegister(registered.effect.get(), registered.name));
        const auto sample = [&](int64_t frameIndex) {
            const int round = static_cast<int>(frameIndex / 2);
            if (frameIndex % 2 == 0 && (round == 20 || round == kSettled || round == 100 || round == 150 || round == kRounds))
                samples.emplace_back(round, Measure());
            return BackendEvents{};
        };
        const size_t glErrorsBefore = GlErrorsSeen();
        status = runner.Run(scriptPath, false, &errors, sample);
        EXPECT_EQ(GlErrorsSeen(), glErrorsBefore) << errors;
    }
    EXPECT_EQ(chdir(previous), 0);
    std::remove(scriptPath.c_str());

    ASSERT_EQ(status, kAppRunOk) << errors;
    EXPECT_TRUE(LinesWith(errors, "GL error").empty()) << errors;
    ASSERT_EQ(samples.size(), 5u) << "the show ended before round " << kRounds << "\n" << errors;
    for (const auto& [round, resources] : samples)
        std::printf("after %3d rounds: %d textures, %d display lists, %ld kB resident\n", round,
                    resources.textures, resources.lists, resources.residentKb);

    const Resources& settled = samples[1].second;
    const Resources& last = samples.back().second;
    // The library's 33 textures stay reserved for the run; KAOS, SPIRAL and SPACE each keep
    // one cube list. Fewer would mean the count itself is broken.
    EXPECT_GE(settled.textures, 33);
    EXPECT_GE(settled.lists, 3);
    EXPECT_EQ(last.textures, settled.textures);
    EXPECT_EQ(last.lists, settled.lists);
    // What one round could leak on the CPU side, the bitmaps a model reloads in Prepare (80 to
    // 210 kB per model) or a picture's pixels for an upload, comes to well over 10 MB in 150
    // rounds; the allocator's and the driver's noise stays below 2 MB. Over the fixed-function
    // layer the driver allocates a fresh vertex store each time the layer's fills, and the
    // resident size wanders by up to about 3.5 MB (over a dozen runs here), so the margin is
    // wider there.
#ifdef ZARNOVELT_GLES
    const long allowedKb = 6 * 1024;
#else
    const long allowedKb = 4 * 1024;
#endif
    EXPECT_LT(last.residentKb - settled.residentKb, allowedKb)
        << "resident memory grew from " << settled.residentKb << " kB to " << last.residentKb << " kB";
}

// ---------------------------------------------------------------------------------------------
// Broken model bitmaps
// ---------------------------------------------------------------------------------------------

// A 2 x 2 24-bit bottom-up BMP, every pixel grey.
std::vector<uint8_t> GreyBmp()
{
    std::vector<uint8_t> bytes = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                                  40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
    bytes.resize(54, 0);
    for (int row = 0; row < 2; ++row)
    {
        for (int i = 0; i < 6; ++i)
            bytes.push_back(128);
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

// Loads "model.ms3d" in Init and reloads its bitmaps in every Prepare, as the model scenes do.
class ModelEffect : public CEffect
{
public:
    int Init(int, int) override { return m_model.LoadModelData("model.ms3d") ? 0 : 1; }
    void Prepare() override
    {
        ++m_prepares;
        m_model.ReloadTextures();
    }
    void RenderFrame(long) override { m_model.Draw(); }

    Ms3dModel m_model;
    int m_prepares = 0;
};

TEST(Reliability, BrokenBitmapIsReportedAgainOnEveryReadOfTheModelsBitmaps)
{
    ScopedTempDir dir;
    Ms3dTestFile file;
    const char* const bitmaps[] = {"good.bmp", "garbage.bmp", "empty.bmp", "missing.bmp", "garbage.bmp"};
    for (const char* bitmap : bitmaps)
    {
        Ms3dTestMaterial material = EmissiveMaterial(1, 1, 1);
        material.texture = bitmap;
        file.AddBox(file.AddGroup(file.AddMaterial(material)), {-1, -1, -1}, {1, 1, 1});
    }
    ASSERT_TRUE(WriteTestFile("model.ms3d", file.Bytes()));
    ASSERT_TRUE(WriteTestFile("good.bmp", GreyBmp()));
    ASSERT_TRUE(WriteTestFile("garbage.bmp", std::vector<uint8_t>(300, 0xA5)));
    ASSERT_TRUE(WriteTestFile("empty.bmp", {}));
    // Ten starts (nine of them restarts) of one effect.
    std::string script;
    for (int start = 0; start < 10; ++start)
        script += std::to_string(start * 100) + " start MODEL 0\n";
    script += "1000 end\n";
    ASSERT_TRUE(WriteTestFile("show.txt", std::vector<uint8_t>(script.begin(), script.end())));

    ModelEffect effect;
    std::string errors;
    {
        AppRunner runner;
        ASSERT_TRUE(DEMOGL_EffectRegister(&effect, "MODEL"));
        ASSERT_EQ(runner.Run(dir.Path() + "/show.txt", true, &errors), kAppRunOk) << errors;
        // Every start made a fresh texture of the good bitmap; the broken ones stay untextured.
        EXPECT_NE(effect.m_model.m_materials[0].texture, 0u);
        for (int i = 1; i < 5; ++i)
            EXPECT_EQ(effect.m_model.m_materials[i].texture, 0u) << i;
    }
    // The bitmaps are read once inside LoadModelData and once per start. Each read reports the
    // broken ones in material order, garbage.bmp once for each material that names it; a
    // missing bitmap is not reported at all.
    EXPECT_EQ(effect.m_prepares, 10);
    std::string expected;
    for (int read = 0; read < 1 + effect.m_prepares; ++read)
        expected += "Error: Unknown DIB file format.\nError: Failed to open DIB file empty.bmp.\n"
                    "Error: Unknown DIB file format.\n";
    EXPECT_EQ(errors, expected);
}

} // namespace

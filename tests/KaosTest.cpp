// KAOS: the parameter table, the FH and HEAD time bases, every layer alone and the seven
// together on real GL, the two cube modes with and without the extensions, and the state the
// frame leaves for the next effect.
#include "Kaos.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

#include "EffectFixture.h"
#include "KaosPictures.h"

namespace
{

constexpr int kTolerance = 8;

using TextureColours = std::array<Rgb8, kKaosTextureCount>;

// Masks cyan (they remove red from the frame), images blue, the outer shape red, the cube red
// with a blue gloss, the head white. Over grey 128 a masked layer shows (0, 128, 255).
TextureColours DefaultColours()
{
    const Rgb8 mask = {0, 255, 255};
    const Rgb8 image = {0, 0, 255};
    return {image, mask, image, mask, image, mask, image, mask, Rgb8{255, 0, 0}, image, mask,
            Rgb8{255, 0, 0}, Rgb8{0, 0, 255}, Rgb8{255, 255, 255}, Rgb8{0, 255, 0}};
}

// Every field ReceiveInt may touch, and the two time fields it must not.
struct KaosSwitches
{
    bool showLeftSpeaker, showRightSpeaker, showGlow, showFh;
    float outerShapeLevel, fhLevel;
    int fhLastTime;
    bool fhFadeOut, showHammer;
    int hammerMode;
    bool showCube;
    int cubeMode;
    bool showHead, headRestart;
    int headStartTime;
    float headLevel;

    bool operator==(const KaosSwitches& o) const
    {
        return showLeftSpeaker == o.showLeftSpeaker && showRightSpeaker == o.showRightSpeaker &&
               showGlow == o.showGlow && showFh == o.showFh && outerShapeLevel == o.outerShapeLevel &&
               fhLevel == o.fhLevel && fhLastTime == o.fhLastTime && fhFadeOut == o.fhFadeOut &&
               showHammer == o.showHammer && hammerMode == o.hammerMode && showCube == o.showCube &&
               cubeMode == o.cubeMode && showHead == o.showHead && headRestart == o.headRestart &&
               headStartTime == o.headStartTime && headLevel == o.headLevel;
    }
};

std::ostream& operator<<(std::ostream& out, const KaosSwitches& s)
{
    return out << "{SL " << s.showLeftSpeaker << " SR " << s.showRightSpeaker << " QLG " << s.showGlow << " FH "
               << s.showFh << " outer " << s.outerShapeLevel << " fh " << s.fhLevel << " fhLast " << s.fhLastTime
               << " fade " << s.fhFadeOut << " hammer " << s.showHammer << "/" << s.hammerMode << " cube "
               << s.showCube << "/" << s.cubeMode << " head " << s.showHead << " restart " << s.headRestart
               << " headStart " << s.headStartTime << " headLevel " << s.headLevel << "}";
}

KaosSwitches Read(const CKaosEffect& e)
{
    return {e.m_showLeftSpeaker, e.m_showRightSpeaker, e.m_showGlow, e.m_showFh, e.m_outerShapeLevel,
            e.m_fhLevel, e.m_fhLastTime, e.m_fhFadeOut, e.m_showHammer, e.m_hammerMode, e.m_showCube,
            e.m_cubeMode, e.m_showHead, e.m_headRestart, e.m_headStartTime, e.m_headLevel};
}

void Write(CKaosEffect& e, const KaosSwitches& s)
{
    e.m_showLeftSpeaker = s.showLeftSpeaker;
    e.m_showRightSpeaker = s.showRightSpeaker;
    e.m_showGlow = s.showGlow;
    e.m_showFh = s.showFh;
    e.m_outerShapeLevel = s.outerShapeLevel;
    e.m_fhLevel = s.fhLevel;
    e.m_fhLastTime = s.fhLastTime;
    e.m_fhFadeOut = s.fhFadeOut;
    e.m_showHammer = s.showHammer;
    e.m_hammerMode = s.hammerMode;
    e.m_showCube = s.showCube;
    e.m_cubeMode = s.cubeMode;
    e.m_showHead = s.showHead;
    e.m_headRestart = s.headRestart;
    e.m_headStartTime = s.headStartTime;
    e.m_headLevel = s.headLevel;
}

class Kaos : public EffectTest<CKaosEffect>
{
protected:
    Kaos() : EffectTest(320, 240) {}

    // Writes the fifteen pictures, then Init and Prepare.
    void StartWith(const TextureColours& colours = DefaultColours())
    {
        for (int i = 0; i < kKaosTextureCount; ++i)
        {
            const Rgb8 c = colours[i];
            ASSERT_TRUE(WriteTestJpeg(kKaosPictureFiles[i], 16, 16, Solid(c.r, c.g, c.b)));
        }
        ASSERT_EQ(Init(), 0);
        for (unsigned int id : m_effect.m_textures)
            ASSERT_NE(id, 0u);
        Prepare();
    }

    void AllOff()
    {
        for (const char* name : {"SL", "SR", "QLG", "FH", "HAMMER", "TCUBE", "HEAD"})
            Send(name, 0);
    }

    // Where an eye-space point lands.
    WindowPoint At(double x, double y, double z) const { return EyeToWindow(x, y, z); }
};

// ---------------------------------------------------------------------------------------------
// Parameters
// ---------------------------------------------------------------------------------------------

struct ParameterRow
{
    const char* name;
    int value;
    // Applied to the state before the call: what the row must change (nothing else may).
    void (*change)(KaosSwitches&);
};

TEST_F(Kaos, EveryRowOfTheTableFromBusyAndQuietStates)
{
    const std::vector<ParameterRow> rows = {
        {"SL", 1, [](KaosSwitches& s) { s.showLeftSpeaker = true; }},
        {"SL", 2, [](KaosSwitches& s) { s.showLeftSpeaker = false; }},
        {"SL", 0, [](KaosSwitches& s) { s.showLeftSpeaker = false; }},
        {"SL", INT_MIN, [](KaosSwitches& s) { s.showLeftSpeaker = false; }},
        {"SR", 1, [](KaosSwitches& s) { s.showRightSpeaker = true; }},
        {"SR", -1, [](KaosSwitches& s) { s.showRightSpeaker = false; }},
        {"QLG", 1, [](KaosSwitches& s) { s.showGlow = true; }},
        {"QLG", INT_MAX, [](KaosSwitches& s) { s.showGlow = false; }},
        {"FH", 0, [](KaosSwitches& s) { s.showFh = false; }},
        {"FH", 1,
         [](KaosSwitches& s) { s.outerShapeLevel = 1.0f; s.fhLevel = 1.0f; s.showFh = true; s.fhFadeOut = false; }},
        {"FH", 2, [](KaosSwitches& s) { s.fhLevel = 1.0f; s.fhFadeOut = true; }},
        {"FH", 3, [](KaosSwitches& s) { s.showFh = false; s.fhFadeOut = false; }},
        {"FH", -1, [](KaosSwitches& s) { s.showFh = false; s.fhFadeOut = false; }},
        {"HAMMER", 1, [](KaosSwitches& s) { s.showHammer = true; s.hammerMode = 1; }},
        {"HAMMER", 2, [](KaosSwitches& s) { s.showHammer = true; s.hammerMode = 2; }},
        {"HAMMER", 3, [](KaosSwitches& s) { s.showHammer = true; s.hammerMode = 3; }},
        {"HAMMER", 4, [](KaosSwitches& s) { s.showHammer = false; s.hammerMode = 0; }},
        {"HAMMER", 0, [](KaosSwitches& s) { s.showHammer = false; s.hammerMode = 0; }},
        {"HAMMER", -1, [](KaosSwitches& s) { s.showHammer = false; s.hammerMode = 0; }},
        {"TCUBE", 1, [](KaosSwitches& s) { s.showCube = true; s.cubeMode = 1; }},
        {"TCUBE", 2, [](KaosSwitches& s) { s.showCube = true; s.cubeMode = 2; }},
        {"TCUBE", 3, [](KaosSwitches& s) { s.showCube = false; s.cubeMode = 0; }},
        {"TCUBE", -2, [](KaosSwitches& s) { s.showCube = false; s.cubeMode = 0; }},
        {"HEAD", 1, [](KaosSwitches& s) { s.headLevel = 1.0f; s.showHead = true; s.headRestart = true; }},
        {"HEAD", 0, [](KaosSwitches& s) { s.showHead = false; s.headRestart = false; s.headLevel = 0.0f; }},
        {"HEAD", 2, [](KaosSwitches& s) { s.showHead = false; s.headRestart = false; s.headLevel = 0.0f; }},
        // Names are compared whole and case-sensitively; anything else changes nothing.
        {"sl", 1, [](KaosSwitches&) {}},
        {"SL ", 1, [](KaosSwitches&) {}},
        {"S", 1, [](KaosSwitches&) {}},
        {"FHX", 1, [](KaosSwitches&) {}},
        {"Head", 1, [](KaosSwitches&) {}},
        {"", 1, [](KaosSwitches&) {}},
        {"RESET", 1, [](KaosSwitches&) {}},
    };
    // Everything on with odd levels, and everything off with the levels Init gives.
    const KaosSwitches busy = {true, true, true, true, 0.37f, 0.25f, 1234, true, true, 2, true, 1, true, true,
                               987, 0.5f};
    const KaosSwitches quiet = {false, false, false, false, 0.0f, 1.0f, 0, false, false, 0, false, 0, false, false,
                                0, 0.0f};
    for (const ParameterRow& row : rows)
    {
        for (const KaosSwitches& start : {busy, quiet})
        {
            CKaosEffect effect;
            Write(effect, start);
            KaosSwitches expected = start;
            row.change(expected);
            Send(effect, row.name, row.value);
            EXPECT_EQ(Read(effect), expected) << "\"" << row.name << "\" " << row.value << " from "
                                              << (start.showFh ? "busy" : "quiet");
        }
    }

    // A null name is no name at all.
    CKaosEffect effect;
    Write(effect, busy);
    effect.ReceiveInt(nullptr, 1, 0);
    EXPECT_EQ(Read(effect), busy);
}

TEST_F(Kaos, FadeArmedWhileOffThenRestartedByFhOne)
{
    CKaosEffect effect;
    Send(effect, "FH", 2);
    EXPECT_FALSE(effect.m_showFh);
    EXPECT_TRUE(effect.m_fhFadeOut);
    EXPECT_EQ(effect.m_fhLevel, 1.0f);
    Send(effect, "FH", 1);
    EXPECT_TRUE(effect.m_showFh);
    EXPECT_FALSE(effect.m_fhFadeOut);
    EXPECT_EQ(effect.m_outerShapeLevel, 1.0f);
}

// ---------------------------------------------------------------------------------------------
// Layers on real GL
// ---------------------------------------------------------------------------------------------

struct Probe
{
    double x, y, z;
    bool inside;
};

struct LayerRow
{
    const char* label;
    const char* name;
    int value;
    long elapsed;
    std::vector<Probe> probes;
    // The colour inside the layer, over grey 128.
    int r, g, b;
};

TEST_F(Kaos, EachLayerAloneLandsWhereItsPlacementPutsIt)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    const std::vector<LayerRow> rows = {
        // Loudspeakers: 4 x 4 at z = -8, centred at x = -3 and 3.
        {"SL", "SL", 1, 0, {{-3, 0, -8, true}, {-1.2, 1.8, -8, true}, {-0.8, 0, -8, false}, {-3, 2.2, -8, false}},
         0, 128, 255},
        {"SR", "SR", 1, 0, {{3, 0, -8, true}, {1.2, -1.8, -8, true}, {0.8, 0, -8, false}, {3, -2.2, -8, false}},
         0, 128, 255},
        // Glow band at z = -14: at t = 0 half-width 6, half-height 2.5; at t = 157 about 6.5 and
        // 1.63.
        {"glow t=0", "QLG", 1, 0,
         {{5.8, 0, -14, true}, {0, 2.3, -14, true}, {6.2, 0, -14, false}, {0, 2.7, -14, false}}, 0, 128, 255},
        {"glow t=157", "QLG", 1, 157,
         {{6.3, 0, -14, true}, {0, 1.45, -14, true}, {6.7, 0, -14, false}, {0, 1.8, -14, false}}, 0, 128, 255},
        // HAMMER at z = -19, turning about the middle of its lower edge. Mode 1 at t = 211
        // (half a period): 75 degrees about the pivot (0, -3); mode 2: the pivot at 0.05 * 75 - 3;
        // mode 3: about 180 degrees about (0, -0.5). The second probe mirrors the centre
        // through the pivot, below the picture's lower edge.
        {"hammer 1", "HAMMER", 1, 211, {{-3.864, -1.965, -19, true}, {3.864, -4.035, -19, false}}, 0, 128, 255},
        {"hammer 2", "HAMMER", 2, 211, {{-3.864, 1.785, -19, true}, {3.864, -0.285, -19, false}}, 0, 128, 255},
        {"hammer 3", "HAMMER", 3, 211, {{-0.016, -4.5, -19, true}, {0.0, 3.5, -19, false}}, 0, 128, 255},
        {"hammer 3 t=0", "HAMMER", 3, 0, {{0, 3.5, -19, true}, {0, -4.5, -19, false}}, 0, 128, 255},
        // A quarter period turns it a quarter turn anticlockwise, to the left of the pivot.
        {"hammer 3 t=106", "HAMMER", 3, 106, {{-4.0, -0.52, -19, true}, {4.0, -0.48, -19, false}}, 0, 128, 255},
        // HEAD: 8 x 8 at z = -17, white added at full intensity (no mask).
        {"head", "HEAD", 1, 0, {{3.8, 3.8, -17, true}, {0, 0, -17, true}, {4.2, 0, -17, false}}, 255, 255, 255},
        // FH's first frame: the picture 8 x 8 at z = -16 and the outer shape (red, level 0.99)
        // added over it.
        {"FH", "FH", 1, 1000, {{3.7, 3.7, -16, true}, {0, 0, -16, true}, {4.3, 0, -16, false}}, 252, 128, 255},
    };
    for (const LayerRow& row : rows)
    {
        AllOff();
        FillFrame({128, 128, 128});
        Send(row.name, row.value);
        Render(row.elapsed);
        SaveFrame(std::string("kaos_layer_") + row.label);
        for (const Probe& probe : row.probes)
        {
            if (probe.inside)
                EXPECT_TRUE(PixelNear(At(probe.x, probe.y, probe.z), {row.r, row.g, row.b}, kTolerance))
                    << row.label << " inside at (" << probe.x << ", " << probe.y << ")";
            else
                EXPECT_TRUE(PixelNear(At(probe.x, probe.y, probe.z), {128, 128, 128}, kTolerance))
                    << row.label << " outside at (" << probe.x << ", " << probe.y << ")";
        }
    }
}

TEST_F(Kaos, SevenLayersTogetherDrawInTheirOrder)
{
    // Black masks cut out completely, so where layers overlap the later one shows.
    const Rgb8 black = {0, 0, 0};
    TextureColours colours = {Rgb8{255, 0, 0}, black, Rgb8{0, 255, 0}, black, Rgb8{0, 0, 255}, black,
                              Rgb8{255, 255, 0}, black, Rgb8{0, 255, 255}, Rgb8{255, 0, 255}, black,
                              Rgb8{255, 255, 255}, black, Rgb8{0, 0, 255}, black};
    ASSERT_NO_FATAL_FAILURE(StartWith(colours));
    for (const char* name : {"SL", "SR", "QLG", "FH", "TCUBE", "HEAD"})
        Send(name, 1);
    Send("HAMMER", 3);
    FillFrame({128, 128, 128});
    Render(0);
    SaveFrame("kaos_seven_layers");

    // Only the left, only the right loudspeaker; the glow band over the left one; the HAMMER
    // picture above everything else.
    EXPECT_TRUE(PixelNear(At(-4, 0, -8), {255, 0, 0}, kTolerance));
    EXPECT_TRUE(PixelNear(At(4, 0, -8), {0, 255, 0}, kTolerance));
    EXPECT_TRUE(PixelNear(At(-3, 1, -8), {0, 0, 255}, kTolerance));
    EXPECT_TRUE(PixelNear(At(0, 6.5, -19), {255, 0, 255}, kTolerance));
    // The cube's front face (white, lit 0.84, black gloss) replaces what the flat layers drew
    // there, and the blue head is added over it.
    EXPECT_TRUE(PixelNear(At(0, 0.3, -3), {214, 214, 255}, kTolerance));
    // The corner of the view is untouched.
    EXPECT_TRUE(PixelNear(2, 2, {128, 128, 128}, 2));
}

// ---------------------------------------------------------------------------------------------
// The cube
// ---------------------------------------------------------------------------------------------

struct CubeRow
{
    int mode;
    bool extensionsOff;
    bool drawn;
    // The centre of the front face, over a green background of 128.
    int r, g, b;
};

TEST_F(Kaos, CubeModesWithAndWithoutExtensions)
{
    // Red base, blue environment. At t = 0 the cube sits at (0, 0.3, -3.5) turned 180 degrees
    // about y, a face squarely towards the viewer and light 0, lit 0.2 * 0.2 + 0.8 = 0.84.
    // Mode 1 replaces the frame with the lit base and adds the lit gloss; mode 2 adds the lit
    // base plus the unlit environment to the frame.
    const std::vector<CubeRow> rows = {
        {1, false, true, 214, 0, 214},
        {2, false, true, 214, 128, 255},
        {1, true, true, 214, 0, 214},
        {2, true, false, 0, 128, 0},
    };
    ASSERT_NO_FATAL_FAILURE(StartWith());
    for (const CubeRow& row : rows)
    {
        const std::string label = "mode " + std::to_string(row.mode) + (row.extensionsOff ? " no extensions" : "");
        // The multitexture path is decided in Prepare, on a fresh effect.
        CKaosEffect effect;
        ASSERT_EQ(Init(effect), 0);
        HideExtensions(row.extensionsOff);
        Prepare(effect);
        EXPECT_EQ(effect.m_multitexture, !row.extensionsOff) << label;
        EXPECT_EQ(effect.m_glActiveTextureARB != nullptr, !row.extensionsOff) << label;
        Send(effect, "TCUBE", row.mode);

        ASSERT_NO_FATAL_FAILURE(ResetFrame());
        FillFrame({0, 128, 0});
        Render(effect, 0);
        SaveFrame("kaos_cube_mode" + std::to_string(row.mode) + (row.extensionsOff ? "_noext" : ""));
        EXPECT_TRUE(PixelNear(At(0, 0.3, -3), {row.r, row.g, row.b}, kTolerance)) << label;
        EXPECT_TRUE(PixelNear(At(0, 1.2, -3), {0, 128, 0}, 2)) << label << " above the cube";
        // The texture units are as the frame found them: unit 0 active and texturing, unit 1 off.
        EXPECT_EQ(GetInt(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB) << label;
        EXPECT_TRUE(IsOn(GL_TEXTURE_2D)) << label;
        EXPECT_FALSE(IsOn(GL_LIGHTING)) << label;
        EXPECT_FALSE(IsOn(GL_DEPTH_TEST)) << label;
        EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_S)) << label;
        if (!row.extensionsOff)
        {
            effect.m_glActiveTextureARB(GL_TEXTURE1_ARB);
            EXPECT_FALSE(IsOn(GL_TEXTURE_2D)) << label << " unit 1";
            EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_S)) << label << " unit 1";
            effect.m_glActiveTextureARB(GL_TEXTURE0_ARB);
        }
        End(effect);
        HideExtensions(false);
    }
}

TEST_F(Kaos, MultitexturePathStaysOnceFound)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    ASSERT_TRUE(m_effect.m_multitexture);
    // Nothing sets it back: a later Prepare without extensions keeps the path.
    End();
    HideExtensions(true);
    Prepare();
    EXPECT_TRUE(m_effect.m_multitexture);
}

TEST_F(Kaos, SecondPrepareDeletesTheSupersededCubeList)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    const unsigned int first = m_effect.m_cubeList;
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(glIsList(first));
    // End keeps the list; the next Prepare replaces it.
    End();
    EXPECT_TRUE(glIsList(first));
    Prepare();
    const unsigned int second = m_effect.m_cubeList;
    EXPECT_NE(second, 0u);
    EXPECT_TRUE(glIsList(second));
    EXPECT_FALSE(glIsList(first));
}

TEST_F(Kaos, HeadMaskIsUploadedAndReleasedButNeverBound)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    const unsigned int headMask = m_effect.m_textures[14];
    // Every layer on: no layer binds the head mask, so it never ends up bound.
    for (const char* name : {"SL", "SR", "QLG", "FH", "HAMMER", "TCUBE", "HEAD"})
        Send(name, 1);
    for (long t : {0L, 100L, 200L, 300L})
    {
        Render(t);
        EXPECT_NE(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), headMask);
    }
    // The last layer drawn, HEAD, leaves its picture bound.
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_textures[13]);
}

// ---------------------------------------------------------------------------------------------
// Time bases
// ---------------------------------------------------------------------------------------------

TEST_F(Kaos, FhOuterShapeRestartsWithoutTimeJumpAndPictureFadesOut)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    Send("FH", 1);

    // The marker takes the time base from the first frame, however late it comes.
    FillFrame({0, 0, 0});
    Render(5000);
    EXPECT_EQ(m_effect.m_outerShapeLevel, 0.99f);
    EXPECT_EQ(m_effect.m_fhLastTime, 5000);
    // The picture's blue with the outer shape's red at 0.99 added.
    EXPECT_TRUE(PixelNear(At(0, 0, -16), {252, 0, 255}, kTolerance));

    // 256 ms fall by one half; the next frame's shape grows by (1 - 0.49) * 7 = 3.57.
    Render(5256);
    EXPECT_FLOAT_EQ(m_effect.m_outerShapeLevel, 0.49f);
    FillFrame({0, 0, 0});
    Render(5384);
    EXPECT_FLOAT_EQ(m_effect.m_outerShapeLevel, 0.24f);
    SaveFrame("kaos_fh_growing");
    // Outside the 8 x 8 picture, inside the 15.14 wide outer shape: red at 0.24.
    EXPECT_TRUE(PixelNear(At(6, 0, -16), {61, 0, 0}, kTolerance));
    EXPECT_TRUE(PixelNear(At(6, 6, -16), {61, 0, 0}, kTolerance));
    EXPECT_TRUE(PixelNear(At(8, 0, -16), {0, 0, 0}, 2));

    // "FH" 1 again mid-animation: back to 0.99 at the next frame, with no jump for the 16 ms
    // that passed.
    Send("FH", 1);
    Render(5400);
    EXPECT_EQ(m_effect.m_outerShapeLevel, 0.99f);
    EXPECT_EQ(m_effect.m_fhLastTime, 5400);

    // After 507 ms the level is just below 0 and stops changing.
    Render(5907);
    const float ended = m_effect.m_outerShapeLevel;
    EXPECT_LE(ended, 0.0f);
    EXPECT_GT(ended, -0.001f);
    Render(6500);
    EXPECT_EQ(m_effect.m_outerShapeLevel, ended);
    EXPECT_EQ(m_effect.m_fhLevel, 1.0f);

    // "FH" 2: the picture falls by 1/256 per millisecond, shrinking and darkening.
    Send("FH", 2);
    FillFrame({0, 0, 0});
    Render(6628);
    EXPECT_FLOAT_EQ(m_effect.m_fhLevel, 0.5f);
    SaveFrame("kaos_fh_fading");
    EXPECT_TRUE(PixelNear(At(0, 0, -16), {0, 0, 128}, kTolerance));
    EXPECT_TRUE(PixelNear(At(2.3, 0, -16), {0, 0, 0}, 2));
    Render(6756);
    EXPECT_EQ(m_effect.m_fhLevel, 0.0f);
    Render(7000);
    EXPECT_EQ(m_effect.m_fhLevel, 0.0f);
    EXPECT_TRUE(m_effect.m_showFh);
}

TEST_F(Kaos, HeadHoldsTwoHundredMillisecondsThenFadesAndSwitchesItselfOff)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    Send("HEAD", 1);
    const WindowPoint centre = At(0, 0, -17);

    FillFrame({0, 0, 0});
    Render(1000);
    EXPECT_EQ(m_effect.m_headStartTime, 1000);
    EXPECT_FALSE(m_effect.m_headRestart);
    EXPECT_TRUE(PixelNear(centre, {255, 255, 255}, 2));

    // The hold: exactly 0.2 s is not past it.
    FillFrame({0, 0, 0});
    Render(1200);
    EXPECT_EQ(m_effect.m_headLevel, 1.0f);
    EXPECT_TRUE(PixelNear(centre, {255, 255, 255}, 2));

    // Then each frame takes 0.3 * seconds since the start.
    FillFrame({0, 0, 0});
    Render(1300);
    EXPECT_NEAR(m_effect.m_headLevel, 0.91f, 1e-6);
    EXPECT_TRUE(PixelNear(centre, {232, 232, 232}, 3));
    Render(2000);
    EXPECT_NEAR(m_effect.m_headLevel, 0.61f, 1e-6);

    // "HEAD" 1 during the flash: full intensity again, timed from the next frame.
    Send("HEAD", 1);
    FillFrame({0, 0, 0});
    Render(2100);
    EXPECT_EQ(m_effect.m_headStartTime, 2100);
    EXPECT_EQ(m_effect.m_headLevel, 1.0f);
    EXPECT_TRUE(PixelNear(centre, {255, 255, 255}, 2));

    Render(2400);   // 1 - 0.09
    Render(3000);   // - 0.27
    Render(3500);   // - 0.42
    EXPECT_NEAR(m_effect.m_headLevel, 0.22f, 1e-5);
    EXPECT_TRUE(m_effect.m_showHead);
    // The frame whose level reaches 0 or less switches the layer off ...
    Render(4000);
    EXPECT_NEAR(m_effect.m_headLevel, -0.35f, 1e-5);
    EXPECT_FALSE(m_effect.m_showHead);
    // ... and later frames no longer run it.
    FillFrame({0, 0, 0});
    Render(4100);
    EXPECT_NEAR(m_effect.m_headLevel, -0.35f, 1e-5);
    EXPECT_TRUE(PixelNear(centre, {0, 0, 0}, 0));
}

TEST_F(Kaos, RestartedEffectNeverCountsFramesBackwards)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    Send("FH", 1);
    Send("HEAD", 1);
    Render(5000);
    Render(5100);
    const float outer = m_effect.m_outerShapeLevel;
    EXPECT_FLOAT_EQ(outer, 0.99f - 100.0f / 512.0f);
    EXPECT_EQ(m_effect.m_headLevel, 1.0f);

    // The script restarts the effect: its time starts again near 0, its state survives.
    End();
    Prepare();
    Render(0);
    EXPECT_EQ(m_effect.m_outerShapeLevel, outer);
    EXPECT_EQ(m_effect.m_headLevel, 1.0f);
    Render(100);
    EXPECT_FLOAT_EQ(m_effect.m_outerShapeLevel, outer - 100.0f / 512.0f);
    // The flash goes on from the restart instead of holding until 5200 comes round again.
    Render(300);
    EXPECT_NEAR(m_effect.m_headLevel, 0.91f, 1e-6);
}

// ---------------------------------------------------------------------------------------------
// State left behind
// ---------------------------------------------------------------------------------------------

TEST_F(Kaos, AllSwitchesOffSetsOnlyViewProjectionModelViewAndTexturing)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    FillFrame({40, 80, 120});
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glViewport(0, 0, 10, 10);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, 2.0f, 3.0f);
    Render(1234);

    EXPECT_TRUE(IsOn(GL_TEXTURE_2D));
    EXPECT_TRUE(IsOn(GL_BLEND));
    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ZERO);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_SRC_COLOR);
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[2], 0.3f);
    const auto viewport = GetInts(GL_VIEWPORT);
    EXPECT_EQ(viewport[2], Width());
    EXPECT_EQ(viewport[3], Height());
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(modelView[12], 0.0f);
    EXPECT_EQ(modelView[14], 0.0f);
    const Matrix4 projection = ReadMatrix(GL_PROJECTION_MATRIX);
    // 45 degrees with the view's aspect: f / aspect and f, f = 1 / tan(22.5 degrees).
    EXPECT_NEAR(projection[5], 1.0 / kHalfFovTangent, 1e-5);
    EXPECT_NEAR(projection[0], projection[5] * Height() / Width(), 1e-5);
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, {40, 80, 120}, 1));
}

TEST_F(Kaos, FlatLayerLeavesBlendAndDepthOffWithoutAnyPush)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    Send("SL", 1);
    Render(0);
    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);
    EXPECT_TRUE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_textures[0]);
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);

    // The FH layer ends with the outer shape's additive blend function and its colour.
    AllOff();
    Send("FH", 1);
    Render(0);
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE);
    const auto shapeColour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(shapeColour[0], 0.99f);
    EXPECT_FLOAT_EQ(shapeColour[3], 1.0f);
}

TEST_F(Kaos, CubeRestoresItsEnablesButLeavesDepthFunctionAndBlendFunction)
{
    ASSERT_NO_FATAL_FAILURE(StartWith());
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
    Send("TCUBE", 1);
    Render(500);
    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);
    EXPECT_TRUE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_T));
    EXPECT_TRUE(IsOn(GL_TEXTURE_2D));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(TextureGenMode(GL_S), GL_SPHERE_MAP);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_textures[12]);
}

} // namespace

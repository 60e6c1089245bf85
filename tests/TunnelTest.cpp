// TUNNEL through real GL: where the model lands at elapsed 0 and 2000 ms, the exponential fog
// at known eye distances, blending taken exactly as found, nothing cleared, and the
// missing-model path.
#include "Tunnel.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EffectFixture.h"
#include "Ms3dTestFile.h"

namespace
{

// Two unlit squares facing the camera, without material: a near one left of the axis and a
// far one right of it, 100 units apart along z.
constexpr Point3 kNearCentre = {-15, 0, -315};
constexpr Point3 kFarCentre = {25, 0, -415};

Ms3dTestFile TwoSquares()
{
    Ms3dTestFile file;
    const int group = file.AddGroup(-1);
    file.AddQuad(group, {-25, -10, -315}, {-5, -10, -315}, {-5, 10, -315}, {-25, 10, -315}, {0, 0, 1});
    file.AddQuad(group, {10, -15, -415}, {40, -15, -415}, {40, 15, -415}, {10, 15, -415}, {0, 0, 1});
    return file;
}

// The model's placement, built independently: slid along z, rolled about z.
Matrix4 ExpectedModelView(double slide, double roll)
{
    return Multiply(TranslationMatrix(0, 0, slide), RotationMatrix(roll, 0, 0, 1));
}

// GL_EXP fog over black: the white fragment keeps e^(-0.01 d) of its brightness.
int FoggedWhite(double eyeDistance)
{
    return static_cast<int>(std::lround(255.0 * std::exp(-0.01 * eyeDistance)));
}

void FillEarlierFrame(double depth)
{
    FillFrame({0, 0, 100}, depth);
    glColor4f(1, 1, 1, 1);
}

class Tunnel : public EffectTest<CTunnelEffect>
{
protected:
    Tunnel() : EffectTest(160, 120) {}

    void StartWithSquares()
    {
        ASSERT_TRUE(WriteTestFile("dat/m_tunnel.ms3d", TwoSquares().Bytes()));
        ASSERT_NO_FATAL_FAILURE(Start());
    }
};

} // namespace

TEST_F(Tunnel, ModelSlidesAndRollsToTheEdgeTimePlaces)
{
    ASSERT_NO_FATAL_FAILURE(StartWithSquares());
    // At 2000 ms t = 0: slid to 215, rolled 6 degrees. At 0 ms t = -2: slid to
    // 120 sin(-4) + 215 (about 305.82), rolled 8 sin(-1.4) + 6 cos(-0.8) (about -3.70).
    const View atZero =
        Camera(ExpectedModelView(120 * std::sin(-4.0) + 215, 8 * std::sin(-1.4) + 6 * std::cos(-0.8)), 1, 1000);
    const View atTwoSeconds = Camera(ExpectedModelView(215, 6), 1, 1000);
    EXPECT_NEAR(120 * std::sin(-4.0) + 215, 305.82, 0.01);
    EXPECT_NEAR(8 * std::sin(-1.4) + 6 * std::cos(-0.8), -3.70, 0.01);

    FillEarlierFrame(1.0);
    Render(2000);
    SaveFrame("tunnel_2000");
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), atTwoSeconds.modelView, 1e-5));
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_PROJECTION_MATRIX), atTwoSeconds.projection, 1e-6));
    // The near square is 100 units away, the far one 200: fog factors about 0.37 and 0.14.
    const int nearGrey = FoggedWhite(100);
    const int farGrey = FoggedWhite(200);
    EXPECT_NEAR(nearGrey, 94, 1);
    EXPECT_NEAR(farGrey, 35, 1);
    EXPECT_TRUE(PixelNear(atTwoSeconds.Project(kNearCentre), {nearGrey, nearGrey, nearGrey}, 4))
        << "near square at 2000 ms";
    EXPECT_TRUE(PixelNear(atTwoSeconds.Project(kFarCentre), {farGrey, farGrey, farGrey}, 4))
        << "far square at 2000 ms";

    FillEarlierFrame(1.0);
    Render(0);
    SaveFrame("tunnel_0");
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), atZero.modelView, 1e-5));
    // Slid back by about 91 units: the near square is out of view beside the camera, the far
    // one is about 109 units away and moved outwards.
    const int farNow = FoggedWhite(415 - (120 * std::sin(-4.0) + 215));
    EXPECT_TRUE(PixelNear(atZero.Project(kFarCentre), {farNow, farNow, farNow}, 4)) << "far square at 0 ms";
    EXPECT_TRUE(PixelNear(atTwoSeconds.Project(kNearCentre), {0, 0, 100}, 4)) << "where the near square was";
}

TEST_F(Tunnel, BlendingIsTakenAsFoundAndFogParametersStay)
{
    ASSERT_NO_FATAL_FAILURE(StartWithSquares());
    const WindowPoint nearSquare = Camera(ExpectedModelView(215, 6), 1, 1000).Project(kNearCentre);
    const int grey = FoggedWhite(100);

    // Blending off on entry: the fogged white replaces the blue.
    FillEarlierFrame(1.0);
    Render(2000);
    EXPECT_TRUE(PixelNear(nearSquare, {grey, grey, grey}, 4)) << "blending off";

    // Blending on with (one, one) on entry: the fogged white is added onto the blue.
    FillEarlierFrame(1.0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    Render(2000);
    SaveFrame("tunnel_added");
    EXPECT_TRUE(PixelNear(nearSquare, {grey, grey, grey + 100}, 4)) << "blending one, one";
    EXPECT_TRUE(IsOn(GL_BLEND));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE);

    // The fog enable comes back; the fog parameters and hint stay as the effect set them. Light 0,
    // switched off inside the push, is back on as it was found.
    glEnable(GL_LIGHT0);
    Render(2000);
    EXPECT_TRUE(IsOn(GL_LIGHT0));
    glDisable(GL_LIGHT0);
    EXPECT_FALSE(IsOn(GL_FOG));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_EXP);
    EXPECT_EQ(GetInt(GL_FOG_HINT), GL_DONT_CARE);
    EXPECT_FLOAT_EQ(GetFloat(GL_FOG_DENSITY), 0.01f);
    EXPECT_FLOAT_EQ(GetFloat(GL_FOG_START), 130.0f);
    EXPECT_FLOAT_EQ(GetFloat(GL_FOG_END), 180.0f);
}

TEST_F(Tunnel, NothingIsClearedAndEarlierDepthHidesTheModel)
{
    ASSERT_NO_FATAL_FAILURE(StartWithSquares());
    // Earlier effects left depth 0.5, nearer than both squares (window depth above 0.99).
    FillEarlierFrame(0.5);
    Render(2000);
    const View camera = Camera(ExpectedModelView(215, 6), 1, 1000);
    const WindowPoint nearSquare = camera.Project(kNearCentre);
    const WindowPoint farSquare = camera.Project(kFarCentre);
    EXPECT_GT(nearSquare.z, 0.99);
    EXPECT_TRUE(PixelNear(nearSquare, {0, 0, 100}, 4)) << "near square behind earlier depth";
    EXPECT_TRUE(PixelNear(farSquare, {0, 0, 100}, 4)) << "far square behind earlier depth";
    EXPECT_FLOAT_EQ(DepthAt(nearSquare), 0.5f);
}

TEST_F(Tunnel, MissingModelIsReportedOnceAndFramesDrawNothing)
{
    MessageRecorder messages;
    ASSERT_NO_FATAL_FAILURE(InitWithMissingModel(messages, "dat/m_tunnel.ms3d"));
    EXPECT_GT(m_effect.m_width, 0);
    EXPECT_GT(m_effect.m_height, 0);
    EXPECT_EQ(m_effect.m_timeOffset, 2000);

    Prepare();
    for (long elapsed : {0L, 2000L, 2016L})
    {
        FillEarlierFrame(0.25);
        Render(elapsed);
    }
    End();
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, {0, 0, 100}, 4)) << "centre";
    EXPECT_FLOAT_EQ(DepthAt(Width() / 2, Height() / 2), 0.25f);
}

// TUNNEL through real GL: where the model lands at elapsed 0 and 2000 ms, the exponential fog
// at known eye distances, blending taken exactly as found, nothing cleared, and the
// missing-model path.
#include "Tunnel.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CameraMath.h"
#include "GlTestContext.h"
#include "Ms3dTestFile.h"
#include "SceneChecks.h"
#include "TestFiles.h"

namespace
{

constexpr int kWidth = 160;
constexpr int kHeight = 120;

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
    glClearColor(0.0f, 0.0f, 100.0f / 255.0f, 1.0f);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
}

void ExpectPixel(const Rgba& pixel, int r, int g, int b, const std::string& where)
{
    EXPECT_NEAR(pixel.r, r, 4) << where;
    EXPECT_NEAR(pixel.g, g, 4) << where;
    EXPECT_NEAR(pixel.b, b, 4) << where;
}

class TunnelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
        ASSERT_TRUE(WriteTestFile("dat/m_tunnel.ms3d", TwoSquares().Bytes()));
        ASSERT_EQ(m_effect.Init(kWidth, kHeight), 0);
        m_effect.Prepare();
    }

    ScopedTempDir m_dir;
    CTunnelEffect m_effect;
    const Matrix4 m_projection = PerspectiveMatrix(45, double(kWidth) / kHeight, 1, 1000);
};

} // namespace

TEST_F(TunnelTest, ModelSlidesAndRollsToTheEdgeTimePlaces)
{
    // At 2000 ms t = 0: slid to 215, rolled 6 degrees. At 0 ms t = -2: slid to
    // 120 sin(-4) + 215 (about 305.82), rolled 8 sin(-1.4) + 6 cos(-0.8) (about -3.70).
    const Matrix4 atZero = ExpectedModelView(120 * std::sin(-4.0) + 215, 8 * std::sin(-1.4) + 6 * std::cos(-0.8));
    const Matrix4 atTwoSeconds = ExpectedModelView(215, 6);
    EXPECT_NEAR(120 * std::sin(-4.0) + 215, 305.82, 0.01);
    EXPECT_NEAR(8 * std::sin(-1.4) + 6 * std::cos(-0.8), -3.70, 0.01);

    FillEarlierFrame(1.0);
    m_effect.RenderFrame(2000);
    SaveFrame("tunnel_2000");
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), atTwoSeconds, 1e-5));
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_PROJECTION_MATRIX), m_projection, 1e-6));
    // The near square is 100 units away, the far one 200: fog factors about 0.37 and 0.14.
    const int nearGrey = FoggedWhite(100);
    const int farGrey = FoggedWhite(200);
    EXPECT_NEAR(nearGrey, 94, 1);
    EXPECT_NEAR(farGrey, 35, 1);
    ExpectPixel(PixelAt(ProjectToWindow(m_projection, atTwoSeconds, kNearCentre, kWidth, kHeight)), nearGrey,
                nearGrey, nearGrey, "near square at 2000 ms");
    ExpectPixel(PixelAt(ProjectToWindow(m_projection, atTwoSeconds, kFarCentre, kWidth, kHeight)), farGrey,
                farGrey, farGrey, "far square at 2000 ms");

    FillEarlierFrame(1.0);
    m_effect.RenderFrame(0);
    SaveFrame("tunnel_0");
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), atZero, 1e-5));
    // Slid back by about 91 units: the near square is out of view beside the camera, the far
    // one is about 109 units away and moved outwards.
    const double farDistance = 415 - (120 * std::sin(-4.0) + 215);
    const WindowPoint far = ProjectToWindow(m_projection, atZero, kFarCentre, kWidth, kHeight);
    ExpectPixel(PixelAt(far), FoggedWhite(farDistance), FoggedWhite(farDistance), FoggedWhite(farDistance),
                "far square at 0 ms");
    const WindowPoint nearBefore = ProjectToWindow(m_projection, atTwoSeconds, kNearCentre, kWidth, kHeight);
    ExpectPixel(PixelAt(nearBefore), 0, 0, 100, "where the near square was");
}

TEST_F(TunnelTest, BlendingIsTakenAsFoundAndFogParametersStay)
{
    const Matrix4 modelView = ExpectedModelView(215, 6);
    const WindowPoint nearSquare = ProjectToWindow(m_projection, modelView, kNearCentre, kWidth, kHeight);
    const int grey = FoggedWhite(100);

    // Blending off on entry: the fogged white replaces the blue.
    FillEarlierFrame(1.0);
    m_effect.RenderFrame(2000);
    ExpectPixel(PixelAt(nearSquare), grey, grey, grey, "blending off");

    // Blending on with (one, one) on entry: the fogged white is added onto the blue.
    FillEarlierFrame(1.0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    m_effect.RenderFrame(2000);
    SaveFrame("tunnel_added");
    ExpectPixel(PixelAt(nearSquare), grey, grey, grey + 100, "blending one, one");
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_EQ(destination, GL_ONE);

    // The fog enable comes back; the fog parameters and hint stay as the effect set them. Light 0,
    // switched off inside the push, is back on as it was found.
    glEnable(GL_LIGHT0);
    m_effect.RenderFrame(2000);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    glDisable(GL_LIGHT0);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLint mode = 0, hint = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    glGetIntegerv(GL_FOG_HINT, &hint);
    EXPECT_EQ(mode, GL_EXP);
    EXPECT_EQ(hint, GL_DONT_CARE);
    GLfloat density = 0, start = 0, end = 0;
    glGetFloatv(GL_FOG_DENSITY, &density);
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    EXPECT_FLOAT_EQ(density, 0.01f);
    EXPECT_FLOAT_EQ(start, 130.0f);
    EXPECT_FLOAT_EQ(end, 180.0f);
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

TEST_F(TunnelTest, NothingIsClearedAndEarlierDepthHidesTheModel)
{
    // Earlier effects left depth 0.5, nearer than both squares (window depth above 0.99).
    FillEarlierFrame(0.5);
    m_effect.RenderFrame(2000);
    const Matrix4 modelView = ExpectedModelView(215, 6);
    const WindowPoint nearSquare = ProjectToWindow(m_projection, modelView, kNearCentre, kWidth, kHeight);
    const WindowPoint farSquare = ProjectToWindow(m_projection, modelView, kFarCentre, kWidth, kHeight);
    EXPECT_GT(nearSquare.z, 0.99);
    ExpectPixel(PixelAt(nearSquare), 0, 0, 100, "near square behind earlier depth");
    ExpectPixel(PixelAt(farSquare), 0, 0, 100, "far square behind earlier depth");
    EXPECT_FLOAT_EQ(DepthAt(nearSquare), 0.5f);
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

TEST(TunnelMissingModelTest, IsReportedOnceAndFramesDrawNothing)
{
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    ScopedTempDir dir;
    MessageRecorder messages;
    CTunnelEffect effect;
    testing::internal::CaptureStderr();
    EXPECT_EQ(effect.Init(kWidth, kHeight), 0);
    const std::string errors = testing::internal::GetCapturedStderr();

    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].first, "Couldn't load the model dat\\model.ms3d");
    EXPECT_EQ(messages.Messages()[0].second, "Error");
    EXPECT_NE(errors.find("Error: Couldn't load the model dat\\model.ms3d"), std::string::npos) << errors;
    EXPECT_NE(errors.find("dat/m_tunnel.ms3d"), std::string::npos) << errors;
    EXPECT_GT(effect.m_width, 0);
    EXPECT_GT(effect.m_height, 0);
    EXPECT_EQ(effect.m_timeOffset, 2000);

    effect.Prepare();
    for (long elapsed : {0L, 2000L, 2016L})
    {
        FillEarlierFrame(0.25);
        effect.RenderFrame(elapsed);
    }
    effect.End();
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
    EXPECT_EQ(messages.Messages().size(), 1u);
    ExpectPixel(GlTestContext::Pixel(kWidth / 2, kHeight / 2), 0, 0, 100, "centre");
    EXPECT_FLOAT_EQ(DepthAt({kWidth / 2.0, kHeight / 2.0, 0}), 0.25f);
}

// BACKGROUND on real GL: the picture chosen by "BGIMAGE", the light that wanders over it in eye
// coordinates, what it adds to the frame, and the state it leaves for the next effect.
#include "Background.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "FlatEffectChecks.h"
#include "GlTestContext.h"
#include "TestFiles.h"

using namespace FlatChecks;

namespace
{

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr double kPictureDistance = 24.0;

class BackgroundTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
        // White, red and blue pictures, so the drawn one can be told by its colour.
        ASSERT_TRUE(WriteTestJpeg("t_background_01.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_TRUE(WriteTestJpeg("t_background_02.jpg", 16, 16, Solid(255, 0, 0)));
        ASSERT_TRUE(WriteTestJpeg("t_background_03.jpg", 16, 16, Solid(0, 0, 255)));
        ASSERT_EQ(m_effect.Init(kWidth, kHeight), 0);
        m_effect.Prepare();
    }

    void TearDown() override { m_effect.End(); }

    void Send(const char* name, int value)
    {
        std::string copy = name;
        m_effect.ReceiveInt(copy.data(), value, 0);
    }

    ScopedTempDir m_dir;
    CBackgroundEffect m_effect;
};

// Fixed-function lighting of the default material by light 1 alone (ambient 0.3, diffuse 1),
// at a picture vertex, for a normal facing the viewer: global ambient 0.2 x 0.2, light ambient
// 0.3 x 0.2, diffuse 0.8 x cos of the angle to the light.
double LitAt(double vx, double vy, double vz, double lx, double ly, double lz)
{
    const double dx = lx - vx;
    const double dy = ly - vy;
    const double dz = lz - vz;
    const double cosine = std::max(0.0, dz / std::sqrt(dx * dx + dy * dy + dz * dz));
    return 0.04 + 0.06 + 0.8 * cosine;
}

TEST_F(BackgroundTest, BgimageChoosesPictureAndFallsBackToTheFirst)
{
    EXPECT_NE(m_effect.m_textures[0], 0u);
    EXPECT_NE(m_effect.m_textures[1], m_effect.m_textures[0]);
    EXPECT_NE(m_effect.m_textures[2], m_effect.m_textures[1]);
    EXPECT_EQ(m_effect.m_image, 0);

    Send("BGIMAGE", 2);
    EXPECT_EQ(m_effect.m_image, 2);
    Send("bgimage", 1);
    Send("BGIMAGE ", 1);
    Send("BGIMAGE1", 1);
    EXPECT_EQ(m_effect.m_image, 2);
    for (int value : {3, -1, 100, 0})
    {
        Send("BGIMAGE", 1);
        ASSERT_EQ(m_effect.m_image, 1);
        Send("BGIMAGE", value);
        EXPECT_EQ(m_effect.m_image, 0) << "value " << value;
    }

    // The choice is drawn: the third picture is blue, and it survives End and Prepare.
    Send("BGIMAGE", 2);
    m_effect.End();
    m_effect.Prepare();
    m_effect.RenderFrame(0);
    const Rgba centre = GlTestContext::Pixel(kWidth / 2, kHeight / 2);
    EXPECT_EQ(centre.r, 0);
    EXPECT_EQ(centre.g, 0);
    EXPECT_GT(centre.b, 20);
}

TEST_F(BackgroundTest, LightIsPlacedInEyeCoordinatesAndWandersWithTime)
{
    m_effect.RenderFrame(0);
    GLfloat position[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    // Set under the identity model-view: two units in front of the picture at z = -24.
    EXPECT_FLOAT_EQ(position[0], 0.0f);
    EXPECT_FLOAT_EQ(position[1], 15.0f);
    EXPECT_FLOAT_EQ(position[2], -22.0f);
    EXPECT_FLOAT_EQ(position[3], 1.0f);

    GLfloat ambient[4];
    GLfloat diffuse[4];
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(ambient[0], 0.3f);
    EXPECT_FLOAT_EQ(ambient[3], 0.5f);
    EXPECT_FLOAT_EQ(diffuse[1], 1.0f);
    EXPECT_FLOAT_EQ(diffuse[3], 0.5f);

    for (long t : {1000L, 117L, 123456L, -300L})
    {
        m_effect.RenderFrame(t);
        glGetLightfv(GL_LIGHT1, GL_POSITION, position);
        EXPECT_NEAR(position[0], 20.0 * std::sin(t / 75.0), 1e-5) << "t " << t;
        EXPECT_NEAR(position[1], 15.0 * std::cos(t / 90.0), 1e-5) << "t " << t;
        EXPECT_FLOAT_EQ(position[2], -22.0f);
    }

    // At t = 117 the light stands near the right edge (x ~ 20), so the right of the picture
    // is lit more brightly than the left.
    GlTestContext::Create(kWidth, kHeight);
    m_effect.RenderFrame(117);
    SaveFrame("background_light_right");
    EXPECT_GT(GlTestContext::Pixel(kWidth - 3, kHeight / 2).r, GlTestContext::Pixel(2, kHeight / 2).r + 10);
}

TEST_F(BackgroundTest, AddsTheLitPictureToTheFrame)
{
    // A dark green frame underneath; the white picture's lit colour is added to it.
    glClearColor(0.0f, 64.0f / 255.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    m_effect.RenderFrame(0);
    SaveFrame("background_t0");

    // At t = 0 the light is at (0, 15, -22): the two lower corners are lit alike, and so are
    // the two upper ones, so the lit colour runs linearly from the bottom edge to the top.
    const double bottom = LitAt(16, -12, -24, 0, 15, -22);
    const double top = LitAt(16, 12, -24, 0, 15, -22);
    for (int row : {5, kHeight / 2, kHeight - 6})
    {
        const double eyeY = ((row + 0.5) / kHeight * 2.0 - 1.0) * HalfHeightAt(kPictureDistance);
        const double lit = bottom + (top - bottom) * (eyeY + 12.0) / 24.0;
        const int added = static_cast<int>(std::lround(lit * 255.0));
        EXPECT_TRUE(PixelNear(kWidth / 2, row, Rgba{added, 64 + added, added, 255}, 3)) << "row " << row;
        EXPECT_TRUE(PixelNear(3, row, GlTestContext::Pixel(kWidth - 4, row), 1)) << "row " << row;
    }
}

TEST_F(BackgroundTest, SmallPictureLeavesTheFrameAroundIt)
{
    glClearColor(0.0f, 0.0f, 100.0f / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    Send("BGIMAGE", 1);
    m_effect.RenderFrame(0);
    SaveFrame("background_small");

    // The red picture spans x -10..10 and y -8..7 at depth 24, inside the +-13.25 x +-9.94 view.
    const int left = static_cast<int>(ScreenX(-10.0, kPictureDistance));
    const int right = static_cast<int>(ScreenX(10.0, kPictureDistance));
    const int bottom = static_cast<int>(ScreenY(-8.0, kPictureDistance));
    const int top = static_cast<int>(ScreenY(7.0, kPictureDistance));
    const int midY = (bottom + top) / 2;
    const Rgba frame{0, 0, 100, 255};
    EXPECT_TRUE(PixelNear(left - 2, midY, frame, 0));
    EXPECT_TRUE(PixelNear(right + 2, midY, frame, 0));
    EXPECT_TRUE(PixelNear(kWidth / 2, bottom - 2, frame, 0));
    EXPECT_TRUE(PixelNear(kWidth / 2, top + 2, frame, 0));
    for (const auto& inside : {std::pair<int, int>{left + 2, midY}, {right - 2, midY}, {kWidth / 2, bottom + 2},
                               {kWidth / 2, top - 2}})
    {
        const Rgba pixel = GlTestContext::Pixel(inside.first, inside.second);
        EXPECT_GT(pixel.r, 20) << inside.first << ", " << inside.second;
        EXPECT_EQ(pixel.g, 0);
        EXPECT_EQ(pixel.b, 100);
    }
}

TEST_F(BackgroundTest, PopRestoresEnablesAndLeavesLightMatricesAndColour)
{
    // State an earlier effect might have left.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glDepthFunc(GL_GREATER);
    glBlendFunc(GL_ONE, GL_ZERO);
    glClearColor(0.25f, 0.5f, 0.75f, 0.0f);
    glShadeModel(GL_FLAT);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glViewport(0, 0, 10, 10);
    glColor4f(0.5f, 0.25f, 0.125f, 0.0f);

    m_effect.RenderFrame(1000);
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());

    // Restored by the pop.
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT1));
    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_TRUE(IsOn(GL_FOG));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_GREATER);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ZERO);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.25f);
    EXPECT_FLOAT_EQ(clear[3], 0.0f);

    // Left as the effect set them.
    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    GLint envMode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(envMode, GL_MODULATE);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_EQ(viewport[3], kHeight);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_textures[0]));
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    EXPECT_DOUBLE_EQ(modelView[14], -24.0);
    EXPECT_DOUBLE_EQ(modelView[0], 1.0);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double focal = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(projection[5], focal, 1e-5);
    EXPECT_NEAR(projection[0], focal * kHeight / kWidth, 1e-5);
    // Far plane 100, near plane the single-precision 0.1.
    const double nearPlane = 0.1f;
    EXPECT_NEAR(projection[10], -(100.0 + nearPlane) / (100.0 - nearPlane), 1e-6);
    EXPECT_NEAR(projection[14], -2.0 * 100.0 * nearPlane / (100.0 - nearPlane), 1e-6);
}

TEST(BackgroundFailureTest, MissingPicturesStillInitialiseAndDraw)
{
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    ScopedTempDir dir;
    CBackgroundEffect effect;
    EXPECT_EQ(effect.Init(kWidth, kHeight), 0);
    EXPECT_EQ(effect.m_textures[0], 0u);
    EXPECT_EQ(effect.m_textures[2], 0u);
    effect.Prepare();
    effect.RenderFrame(0);
    effect.End();
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

} // namespace

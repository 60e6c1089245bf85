// BACKGROUND on real GL: the picture chosen by "BGIMAGE", the light that wanders over it in eye
// coordinates, what it adds to the frame, and the state it leaves for the next effect.
#include "Background.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "EffectFixture.h"

namespace
{

constexpr double kPictureDistance = 24.0;

class Background : public EffectTest<CBackgroundEffect>
{
protected:
    Background() : EffectTest(160, 120) {}

    // White, red and blue pictures, so the drawn one can be told by its colour.
    void StartWithPictures()
    {
        ASSERT_TRUE(WriteTestJpeg("t_background_01.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_TRUE(WriteTestJpeg("t_background_02.jpg", 16, 16, Solid(255, 0, 0)));
        ASSERT_TRUE(WriteTestJpeg("t_background_03.jpg", 16, 16, Solid(0, 0, 255)));
        ASSERT_NO_FATAL_FAILURE(Start());
    }
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

TEST_F(Background, BgimageChoosesPictureAndFallsBackToTheFirst)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPictures());
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
    End();
    Prepare();
    Render(0);
    const Rgba centre = GlTestContext::Pixel(Width() / 2, Height() / 2);
    EXPECT_EQ(centre.r, 0);
    EXPECT_EQ(centre.g, 0);
    EXPECT_GT(centre.b, 20);
}

TEST_F(Background, LightIsPlacedInEyeCoordinatesAndWandersWithTime)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPictures());
    Render(0);
    // Set under the identity model-view: two units in front of the picture at z = -24.
    const auto position = LightValue(GL_LIGHT1, GL_POSITION);
    EXPECT_FLOAT_EQ(position[0], 0.0f);
    EXPECT_FLOAT_EQ(position[1], 15.0f);
    EXPECT_FLOAT_EQ(position[2], -22.0f);
    EXPECT_FLOAT_EQ(position[3], 1.0f);

    const auto ambient = LightValue(GL_LIGHT1, GL_AMBIENT);
    const auto diffuse = LightValue(GL_LIGHT1, GL_DIFFUSE);
    EXPECT_FLOAT_EQ(ambient[0], 0.3f);
    EXPECT_FLOAT_EQ(ambient[3], 0.5f);
    EXPECT_FLOAT_EQ(diffuse[1], 1.0f);
    EXPECT_FLOAT_EQ(diffuse[3], 0.5f);

    for (long t : {1000L, 117L, 123456L, -300L})
    {
        Render(t);
        const auto moved = LightValue(GL_LIGHT1, GL_POSITION);
        EXPECT_NEAR(moved[0], 20.0 * std::sin(t / 75.0), 1e-5) << "t " << t;
        EXPECT_NEAR(moved[1], 15.0 * std::cos(t / 90.0), 1e-5) << "t " << t;
        EXPECT_FLOAT_EQ(moved[2], -22.0f);
    }

    // At t = 117 the light stands near the right edge (x ~ 20), so the right of the picture
    // is lit more brightly than the left.
    ResetFrame();
    Render(117);
    SaveFrame("background_light_right");
    EXPECT_GT(GlTestContext::Pixel(Width() - 3, Height() / 2).r, GlTestContext::Pixel(2, Height() / 2).r + 10);
}

TEST_F(Background, AddsTheLitPictureToTheFrame)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPictures());
    // A dark green frame underneath; the white picture's lit colour is added to it.
    FillFrame({0, 64, 0});
    Render(0);
    SaveFrame("background_t0");

    // At t = 0 the light is at (0, 15, -22): the two lower corners are lit alike, and so are
    // the two upper ones, so the lit colour runs linearly from the bottom edge to the top.
    const double bottom = LitAt(16, -12, -24, 0, 15, -22);
    const double top = LitAt(16, 12, -24, 0, 15, -22);
    for (int row : {5, Height() / 2, Height() - 6})
    {
        const double eyeY = ((row + 0.5) / Height() * 2.0 - 1.0) * HalfViewHeight(kPictureDistance);
        const double lit = bottom + (top - bottom) * (eyeY + 12.0) / 24.0;
        const int added = static_cast<int>(std::lround(lit * 255.0));
        EXPECT_TRUE(PixelNear(Width() / 2, row, {added, 64 + added, added}, 3)) << "row " << row;
        const Rgba right = GlTestContext::Pixel(Width() - 4, row);
        EXPECT_TRUE(PixelNear(3, row, {right.r, right.g, right.b}, 1)) << "row " << row;
    }
}

TEST_F(Background, SmallPictureLeavesTheFrameAroundIt)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPictures());
    FillFrame({0, 0, 100});
    Send("BGIMAGE", 1);
    Render(0);
    SaveFrame("background_small");

    // The red picture spans x -10..10 and y -8..7 at depth 24, inside the +-13.25 x +-9.94 view.
    const WindowPoint lowerLeft = EyeToWindow(-10.0, -8.0, -kPictureDistance);
    const WindowPoint upperRight = EyeToWindow(10.0, 7.0, -kPictureDistance);
    const int left = static_cast<int>(lowerLeft.x);
    const int right = static_cast<int>(upperRight.x);
    const int bottom = static_cast<int>(lowerLeft.y);
    const int top = static_cast<int>(upperRight.y);
    const int midY = (bottom + top) / 2;
    const Rgb frame{0, 0, 100};
    EXPECT_TRUE(PixelNear(left - 2, midY, frame, 0));
    EXPECT_TRUE(PixelNear(right + 2, midY, frame, 0));
    EXPECT_TRUE(PixelNear(Width() / 2, bottom - 2, frame, 0));
    EXPECT_TRUE(PixelNear(Width() / 2, top + 2, frame, 0));
    for (const auto& inside : {std::pair<int, int>{left + 2, midY}, {right - 2, midY}, {Width() / 2, bottom + 2},
                               {Width() / 2, top - 2}})
    {
        const Rgba pixel = GlTestContext::Pixel(inside.first, inside.second);
        EXPECT_GT(pixel.r, 20) << inside.first << ", " << inside.second;
        EXPECT_EQ(pixel.g, 0);
        EXPECT_EQ(pixel.b, 100);
    }
}

TEST_F(Background, PopRestoresEnablesAndLeavesLightMatricesAndColour)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPictures());
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

    Render(1000);

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
    const auto clear = GetFloats(GL_COLOR_CLEAR_VALUE);
    EXPECT_FLOAT_EQ(clear[0], 0.25f);
    EXPECT_FLOAT_EQ(clear[3], 0.0f);

    // Left as the effect set them.
    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    EXPECT_EQ(TextureEnvMode(), GL_MODULATE);
    const auto viewport = GetInts(GL_VIEWPORT);
    EXPECT_EQ(viewport[2], Width());
    EXPECT_EQ(viewport[3], Height());
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_textures[0]));
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
    const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_DOUBLE_EQ(modelView[14], -24.0);
    EXPECT_DOUBLE_EQ(modelView[0], 1.0);
    const Matrix4 projection = ReadMatrix(GL_PROJECTION_MATRIX);
    const double focal = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(projection[5], focal, 1e-5);
    EXPECT_NEAR(projection[0], focal * Height() / Width(), 1e-5);
    // Far plane 100, near plane the single-precision 0.1.
    const double nearPlane = 0.1f;
    EXPECT_NEAR(projection[10], -(100.0 + nearPlane) / (100.0 - nearPlane), 1e-6);
    EXPECT_NEAR(projection[14], -2.0 * 100.0 * nearPlane / (100.0 - nearPlane), 1e-6);
}

TEST_F(Background, MissingPicturesStillInitialiseAndDraw)
{
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(m_effect.m_textures[0], 0u);
    EXPECT_EQ(m_effect.m_textures[2], 0u);
    Prepare();
    Render(0);
    End();
}

} // namespace

// BALLS on real GL: the two rings' radii where they start, the additive fogged balls, the
// one clear that any parameter asks for, light 1 placed under the model-view found on entry,
// and the state the frame leaves.
#include "Balls.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EffectFixture.h"

namespace
{

// RenderFrame(-1) is time u = 0 (the effect's time offset is -1): centre (0, 0, -8.5), no
// tumble, radii 1.5 and 2.7.
constexpr long kStart = -1;

// What exponential fog of density 0.1 leaves of white at an eye distance, towards black.
int FoggedWhite(double distance) { return static_cast<int>(std::lround(255.0 * std::exp(-0.1 * distance))); }

class Balls : public EffectTest<CBallsEffect>
{
protected:
    Balls() : EffectTest(640, 480) {}

    // Black with a white dot an eighth of the picture across in the middle: each ball shows as
    // a small spot at its centre, so the rings can be told apart. Fog fades towards black.
    void StartWithDots()
    {
        ASSERT_TRUE(WriteTestJpeg("lightball.jpg", 64, 64, [](int x, int y) {
            const bool dot = x >= 28 && x < 36 && y >= 28 && y < 36;
            return dot ? Rgb8{255, 255, 255} : Rgb8{0, 0, 0};
        }));
        ASSERT_NO_FATAL_FAILURE(Start());
        SetFogColour({0, 0, 0});
    }
};

TEST_F(Balls, RingsStartWithRadiiOneAndAHalfAndTwoPointSeven)
{
    ASSERT_NO_FATAL_FAILURE(StartWithDots());
    Render(kStart);
    SaveFrame("balls_start");
    const int c = FoggedWhite(8.5);

    // First ring in the x-y plane, radius 1.5: balls 2 and 6 on the x axis.
    EXPECT_TRUE(PixelNear(EyeToWindow(1.5, 0.0, -8.5), {c, c, c}, 8));
    EXPECT_TRUE(PixelNear(EyeToWindow(-1.5, 0.0, -8.5), {c, c, c}, 8));
    // Second ring in the y-z plane, radius 2.7: balls 0 and 4 above and below the centre.
    EXPECT_TRUE(PixelNear(EyeToWindow(0.0, 2.7, -8.5), {c, c, c}, 8));
    EXPECT_TRUE(PixelNear(EyeToWindow(0.0, -2.7, -8.5), {c, c, c}, 8));
    // Nothing at the other ring's radius on either axis.
    EXPECT_TRUE(PixelNear(EyeToWindow(2.7, 0.0, -8.5), {0, 0, 0}, 6));
    EXPECT_TRUE(PixelNear(EyeToWindow(0.0, 2.1, -8.5), {0, 0, 0}, 6));
    // Balls 2 and 6 of the second ring lie on the line of sight, 2.7 nearer and farther than
    // the centre; their light adds up.
    const int sum = FoggedWhite(5.8) + FoggedWhite(11.2);
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, {sum, sum, sum}, 10));
}

TEST_F(Balls, AnyParameterAsksForExactlyOneClearAtTheNextFrame)
{
    ASSERT_NO_FATAL_FAILURE(StartWithDots());
    // Without a parameter the frame is never cleared.
    FillFrame({255, 0, 0});
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    Render(kStart);
    EXPECT_TRUE(PixelNear(3, 3, {255, 0, 0}, 0));
    EXPECT_EQ(m_effect.m_clearRequest, 0);

    // Several parameters of any name, the empty one included, and any value: one clear, with the
    // clear colour and depth the frame has.
    Send("", 0);
    Send("ANYTHING", -7);
    Send("RESET", 1);
    EXPECT_EQ(m_effect.m_clearRequest, 1);
    FillFrame({255, 0, 0}, 0.25);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClearDepth(1.0);
    Render(kStart);
    SaveFrame("balls_cleared");
    EXPECT_EQ(m_effect.m_clearRequest, 0);
    EXPECT_TRUE(PixelNear(3, 3, {0, 0, 255}, 0));
    EXPECT_FLOAT_EQ(DepthAt(3, 3), 1.0f);
    // The balls are added after the clear, over its blue.
    const int ball = FoggedWhite(8.5);
    EXPECT_TRUE(PixelNear(EyeToWindow(1.5, 0.0, -8.5), {ball, ball, 255}, 8));

    // The next frame does not clear again.
    FillFrame({255, 0, 0});
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    Render(kStart + 16);
    EXPECT_TRUE(PixelNear(3, 3, {255, 0, 0}, 0));
}

TEST_F(Balls, LightOneIsPlacedUnderTheModelViewFoundOnEntry)
{
    ASSERT_NO_FATAL_FAILURE(StartWithDots());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, -2.0f, 3.0f);
    Render(kStart);
    const auto position = LightValue(GL_LIGHT1, GL_POSITION);
    EXPECT_FLOAT_EQ(position[0], 1.0f);
    EXPECT_FLOAT_EQ(position[1], -2.0f);
    EXPECT_FLOAT_EQ(position[2], 5.0f);
    EXPECT_FLOAT_EQ(position[3], 1.0f);
    const auto ambient = LightValue(GL_LIGHT1, GL_AMBIENT);
    EXPECT_FLOAT_EQ(ambient[0], 0.5f);
    EXPECT_FLOAT_EQ(ambient[3], 1.0f);
    EXPECT_FLOAT_EQ(LightValue(GL_LIGHT1, GL_DIFFUSE)[1], 1.0f);
    // Light 1 was switched on inside the push only; lighting itself is never touched.
    EXPECT_FALSE(IsOn(GL_LIGHT1));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    Render(kStart);
    EXPECT_TRUE(IsOn(GL_LIGHT1));
    EXPECT_TRUE(IsOn(GL_LIGHTING));
}

TEST_F(Balls, RestoresItsAttributeGroupsAndLeavesTheRest)
{
    ASSERT_NO_FATAL_FAILURE(StartWithDots());
    glShadeModel(GL_FLAT);
    glBlendFunc(GL_ZERO, GL_ONE);
    glDepthFunc(GL_ALWAYS);
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    Render(4321);

    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);
    // The pushed groups come back: enables, blend function, depth function.
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_FOG));
    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ZERO);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_ALWAYS);
    // Outside them the effect's settings stay.
    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    EXPECT_EQ(GetInt(GL_FOG_HINT), GL_DONT_CARE);
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_EXP);
    EXPECT_FLOAT_EQ(GetFloat(GL_FOG_DENSITY), 0.1f);
    EXPECT_EQ(GetFloat(GL_FOG_START), 5.0f);
    EXPECT_EQ(GetFloat(GL_FOG_END), 20.0f);
    EXPECT_EQ(TextureEnvMode(), GL_MODULATE);
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_texture);
    const Matrix4 projection = ReadMatrix(GL_PROJECTION_MATRIX);
    // Far plane 100.
    EXPECT_NEAR(projection[14], 2.0 * 100.0 * 0.1 / (0.1 - 100.0), 1e-5);
    EXPECT_NEAR(projection[0], projection[5] * Height() / Width(), 1e-5);
}

TEST_F(Balls, MissingTextureFailsInit)
{
    EXPECT_EQ(m_effect.m_clearRequest, 0);
    EXPECT_EQ(Init(), 1);
    EXPECT_EQ(m_effect.m_texture, 0u);
    EXPECT_EQ(m_effect.m_timeOffset, -1);
    ASSERT_TRUE(WriteTestJpeg("lightball.jpg", 8, 8, Solid(255, 255, 255)));
    EXPECT_EQ(Init(), 0);
    EXPECT_NE(m_effect.m_texture, 0u);
}

} // namespace

// SPIRAL on real GL: where the cubes of the spiral land at T = 0, the fog that swallows the far
// end, frames that depend on the elapsed time alone, the cube list across Prepare, and the state
// the frame leaves for the next effect.
#include "Spiral.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EyeProbe.h"
#include "GlTestContext.h"
#include "TestFiles.h"

using EyeProbe::PixelNear;
using EyeProbe::PixelOf;

namespace
{

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kTwoPi = 6.283185307179586;

GLint GetInt(GLenum what)
{
    GLint value[4] = {0, 0, 0, 0};
    glGetIntegerv(what, value);
    return value[0];
}

bool IsOn(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

// The first cube of pair i at T = 0 (no turn, no spin, slide 50), eye coordinates.
struct CubeCentre
{
    double x, y, z;
};

CubeCentre FirstCubeAtZero(int i)
{
    const double phi = i * 0.04 * kTwoPi;
    return {4.0 * std::sin(phi), 3.5 * std::cos(phi), 50.0 - 1.5 * i};
}

class SpiralTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
        // White: a lit face shows its lighting alone, whatever sphere-map coordinate it gets.
        ASSERT_TRUE(WriteTestJpeg("spiral/t_cube_1.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_EQ(m_effect.Init(kWidth, kHeight), 0);
        ASSERT_NE(m_effect.m_texture, 0u);
        m_effect.Prepare();
        // Light 0 and the fog colour are the frame's, not the effect's: defaults, red fog.
        const GLfloat red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
        glFogfv(GL_FOG_COLOR, red);
    }

    void TearDown() override
    {
        m_effect.End();
        EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
    }

    ScopedTempDir m_dir;
    CSpiralEffect m_effect;
};

TEST_F(SpiralTest, CubesAtTimeZeroLandWhereTheSpiralPutsThem)
{
    m_effect.RenderFrame(0);
    EyeProbe::SaveFrame("spiral_t0");

    // At T = 0 the slide is 50: pair 34 is the first in front of the near plane (z = -1, x about
    // +-3.1, off to the side); pair 40 (z = -10) is on screen, both cubes of it.
    // A face towards the viewer and light 0 is lit 0.2 * 0.2 + 0.8 = 0.84 of white; its centre
    // is half a unit nearer than the cube's.
    const CubeCentre first40 = FirstCubeAtZero(40);
    EXPECT_TRUE(PixelNear(PixelOf(first40.x, first40.y, first40.z + 0.5, kWidth, kHeight), 214, 214, 214, 6));
    // Its twin, with no spin, at the opposite point of the ellipse.
    EXPECT_TRUE(PixelNear(PixelOf(-first40.x, -first40.y, first40.z + 0.5, kWidth, kHeight), 214, 214, 214, 6));

    // Between 100 and 140 the fog mixes in linearly: pair 110's front face at 114.5 keeps
    // 25.5 / 40 of its colour.
    const CubeCentre first110 = FirstCubeAtZero(110);
    const double keep = (140.0 - 114.5) / 40.0;
    EXPECT_TRUE(PixelNear(PixelOf(first110.x, first110.y, first110.z + 0.5, kWidth, kHeight),
                          static_cast<int>(keep * 214 + (1 - keep) * 255), static_cast<int>(keep * 214),
                          static_cast<int>(keep * 214), 8));
    // Farther than 140 a cube is all fog colour.
    const CubeCentre first130 = FirstCubeAtZero(130);
    EXPECT_TRUE(PixelNear(PixelOf(first130.x, first130.y, first130.z + 0.5, kWidth, kHeight), 255, 0, 0, 2));
    // Nothing is drawn in the middle of the near part of the view, between the two arms.
    EXPECT_TRUE(PixelNear(PixelOf(0, -2.2, -10, kWidth, kHeight), 0, 0, 0, 0));
}

TEST_F(SpiralTest, FrameIsAFunctionOfTheElapsedTimeAlone)
{
    m_effect.RenderFrame(1700);
    const std::vector<uint8_t> first = GlTestContext::ReadRgba();
    EyeProbe::SaveFrame("spiral_t1700");
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    m_effect.RenderFrame(9000);
    const std::vector<uint8_t> other = GlTestContext::ReadRgba();
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    m_effect.RenderFrame(1700);
    EXPECT_NE(first, other);
    EXPECT_EQ(first, GlTestContext::ReadRgba());
}

TEST_F(SpiralTest, PushesOnlyTheEnableBitAndLeavesTheRestAsSet)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthFunc(GL_LESS);
    m_effect.RenderFrame(0);

    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);
    // Enables as the frame found them, except texturing, switched on before the push.
    EXPECT_TRUE(IsOn(GL_TEXTURE_2D));
    EXPECT_TRUE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_FOG));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_T));
    // Everything outside the enable group stays as the effect set it.
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    GLint value = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &value);
    EXPECT_EQ(value, GL_SPHERE_MAP);
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &value);
    EXPECT_EQ(value, GL_SPHERE_MAP);
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(GetInt(GL_FOG_HINT), GL_DONT_CARE);
    GLfloat fog = 0.0f;
    glGetFloatv(GL_FOG_START, &fog);
    EXPECT_EQ(fog, 100.0f);
    glGetFloatv(GL_FOG_END, &fog);
    EXPECT_EQ(fog, 140.0f);
    glGetFloatv(GL_FOG_DENSITY, &fog);
    EXPECT_EQ(fog, 1.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_texture);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[3], 0.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_EQ(viewport[3], kHeight);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], projection[5] * kHeight / kWidth, 1e-5);
    // The far plane is 200: m[14] = 2 * far * near / (near - far).
    EXPECT_NEAR(projection[14], 2.0 * 200.0 * 0.1 / (0.1 - 200.0), 1e-5);
}

TEST_F(SpiralTest, LightZeroOnBeforeTheFrameStaysOn)
{
    glEnable(GL_LIGHT0);
    m_effect.RenderFrame(0);
    EXPECT_TRUE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
}

TEST_F(SpiralTest, NextPrepareDeletesTheSupersededCubeListAndDrawsWithTheNewOne)
{
    const unsigned int first = m_effect.m_cubeList;
    ASSERT_TRUE(glIsList(first));
    m_effect.End();
    EXPECT_TRUE(glIsList(first));
    m_effect.Prepare();
    const unsigned int second = m_effect.m_cubeList;
    EXPECT_TRUE(glIsList(second));
    EXPECT_FALSE(glIsList(first));

    m_effect.RenderFrame(0);
    const CubeCentre first40 = FirstCubeAtZero(40);
    EXPECT_TRUE(PixelNear(PixelOf(first40.x, first40.y, first40.z + 0.5, kWidth, kHeight), 214, 214, 214, 6));
}

TEST(SpiralInit, MissingTextureIsNotAFailure)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    ScopedTempDir dir;
    CSpiralEffect effect;
    EXPECT_EQ(effect.Init(64, 48), 0);
    EXPECT_EQ(effect.m_texture, 0u);
    // The tables are filled all the same.
    EXPECT_EQ(effect.m_cubeVertices[7][0], 0.5f);
    EXPECT_EQ(effect.m_cubeNormals[5][2], 1.0f);
    effect.Prepare();
    effect.RenderFrame(0);
    effect.End();
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

} // namespace

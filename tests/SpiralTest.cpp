// SPIRAL on real GL: where the cubes of the spiral land at T = 0, the fog that swallows the far
// end, frames that depend on the elapsed time alone, the cube list across Prepare, and the state
// the frame leaves for the next effect.
#include "Spiral.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EffectFixture.h"

namespace
{

constexpr double kTwoPi = 6.283185307179586;

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

class Spiral : public EffectTest<CSpiralEffect>
{
protected:
    Spiral() : EffectTest(640, 480) {}

    void StartWithCube()
    {
        // White: a lit face shows its lighting alone, whatever sphere-map coordinate it gets.
        ASSERT_TRUE(WriteTestJpeg("spiral/t_cube_1.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NE(m_effect.m_texture, 0u);
        // Light 0 and the fog colour are the frame's, not the effect's: defaults, red fog.
        SetFogColour({255, 0, 0});
    }
};

TEST_F(Spiral, CubesAtTimeZeroLandWhereTheSpiralPutsThem)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    Render(0);
    SaveFrame("spiral_t0");

    // At T = 0 the slide is 50: pair 34 is the first in front of the near plane (z = -1, x about
    // +-3.1, off to the side); pair 40 (z = -10) is on screen, both cubes of it.
    // A face towards the viewer and light 0 is lit 0.2 * 0.2 + 0.8 = 0.84 of white; its centre
    // is half a unit nearer than the cube's.
    const CubeCentre first40 = FirstCubeAtZero(40);
    EXPECT_TRUE(PixelNear(EyeToWindow(first40.x, first40.y, first40.z + 0.5), {214, 214, 214}, 6));
    // Its twin, with no spin, at the opposite point of the ellipse.
    EXPECT_TRUE(PixelNear(EyeToWindow(-first40.x, -first40.y, first40.z + 0.5), {214, 214, 214}, 6));

    // Between 100 and 140 the fog mixes in linearly: pair 110's front face at 114.5 keeps
    // 25.5 / 40 of its colour.
    const CubeCentre first110 = FirstCubeAtZero(110);
    const double keep = (140.0 - 114.5) / 40.0;
    EXPECT_TRUE(PixelNear(EyeToWindow(first110.x, first110.y, first110.z + 0.5),
                          {static_cast<int>(keep * 214 + (1 - keep) * 255), static_cast<int>(keep * 214),
                           static_cast<int>(keep * 214)},
                          8));
    // Farther than 140 a cube is all fog colour.
    const CubeCentre first130 = FirstCubeAtZero(130);
    EXPECT_TRUE(PixelNear(EyeToWindow(first130.x, first130.y, first130.z + 0.5), {255, 0, 0}, 2));
    // Nothing is drawn in the middle of the near part of the view, between the two arms.
    EXPECT_TRUE(PixelNear(EyeToWindow(0, -2.2, -10), {0, 0, 0}, 0));
}

TEST_F(Spiral, FrameIsAFunctionOfTheElapsedTimeAlone)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    Render(1700);
    const std::vector<uint8_t> first = GlTestContext::ReadRgba();
    SaveFrame("spiral_t1700");
    ASSERT_NO_FATAL_FAILURE(ResetFrame());
    Render(9000);
    const std::vector<uint8_t> other = GlTestContext::ReadRgba();
    ASSERT_NO_FATAL_FAILURE(ResetFrame());
    Render(1700);
    EXPECT_NE(first, other);
    EXPECT_EQ(first, GlTestContext::ReadRgba());
}

TEST_F(Spiral, PushesOnlyTheEnableBitAndLeavesTheRestAsSet)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthFunc(GL_LESS);
    Render(0);

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
    EXPECT_EQ(TextureEnvMode(), GL_MODULATE);
    EXPECT_EQ(TextureGenMode(GL_S), GL_SPHERE_MAP);
    EXPECT_EQ(TextureGenMode(GL_T), GL_SPHERE_MAP);
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(GetInt(GL_FOG_HINT), GL_DONT_CARE);
    EXPECT_EQ(GetFloat(GL_FOG_START), 100.0f);
    EXPECT_EQ(GetFloat(GL_FOG_END), 140.0f);
    EXPECT_EQ(GetFloat(GL_FOG_DENSITY), 1.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_texture);
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[3], 0.0f);
    const auto viewport = GetInts(GL_VIEWPORT);
    EXPECT_EQ(viewport[2], Width());
    EXPECT_EQ(viewport[3], Height());
    const Matrix4 projection = ReadMatrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(projection[0], projection[5] * Height() / Width(), 1e-5);
    // The far plane is 200: m[14] = 2 * far * near / (near - far).
    EXPECT_NEAR(projection[14], 2.0 * 200.0 * 0.1 / (0.1 - 200.0), 1e-5);
}

TEST_F(Spiral, LightZeroOnBeforeTheFrameStaysOn)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    glEnable(GL_LIGHT0);
    Render(0);
    EXPECT_TRUE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
}

TEST_F(Spiral, NextPrepareDeletesTheSupersededCubeListAndDrawsWithTheNewOne)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    const unsigned int first = m_effect.m_cubeList;
    ASSERT_TRUE(glIsList(first));
    End();
    EXPECT_TRUE(glIsList(first));
    Prepare();
    const unsigned int second = m_effect.m_cubeList;
    EXPECT_TRUE(glIsList(second));
    EXPECT_FALSE(glIsList(first));

    Render(0);
    const CubeCentre first40 = FirstCubeAtZero(40);
    EXPECT_TRUE(PixelNear(EyeToWindow(first40.x, first40.y, first40.z + 0.5), {214, 214, 214}, 6));
}

TEST_F(Spiral, MissingTextureIsNotAFailure)
{
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(m_effect.m_texture, 0u);
    // The tables are filled all the same.
    EXPECT_EQ(m_effect.m_cubeVertices[7][0], 0.5f);
    EXPECT_EQ(m_effect.m_cubeNormals[5][2], 1.0f);
    Prepare();
    Render(0);
    End();
}

} // namespace

// SPACE on real GL: the camera and the first cubes of the helix at T = 0, the scene drawn
// without fog though the fog parameters are set, and the state the frame leaves.
#include "Space.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "EffectFixture.h"

namespace
{

class Space : public EffectTest<CSpaceEffect>
{
protected:
    Space() : EffectTest(640, 480) {}

    void StartWithCube()
    {
        ASSERT_TRUE(WriteTestJpeg("spiral/t_cube_2.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NE(m_effect.m_texture, 0u);
        // A red fog colour would show on any fogged cube.
        SetFogColour({255, 0, 0});
    }

    // Where a world point lands at T = 0: the eye at (2, 2, 50) looking at (0, 0, -10).
    WindowPoint AtTimeZero(double x, double y, double z) const
    {
        const View view{PerspectiveMatrix(45.0, static_cast<double>(Width()) / Height(), 0.1, 200.0),
                        LookAtMatrix({2.0, 2.0, 50.0}, {0.0, 0.0, -10.0}, {0.0, 1.0, 0.0}), Width(), Height()};
        return view.Project(x, y, z);
    }
};

TEST_F(Space, KeepsTheCurrentColourOfTheFrame)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    Render(0);
    SaveFrame("space_t0");
    // No colour of its own: the current colour is the frame's.
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_EQ(colour[1], 0.5f);
}

// OpenGL ES 3.0 has no user clip planes, so the ES build leaves this one out.
#ifndef ZARNOVELT_GLES
TEST_F(Space, FirstCubesOfTheHelixBeyondAClipPlane)
{
    // From this eye the cubes near z = 47 cover the first ones. A clip plane in eye space (frame
    // state the effect leaves alone) keeps only what lies more than 40 in front of the eye:
    // the first ten or so cubes of the helix.
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLdouble beyond40[4] = {0.0, 0.0, -1.0, -40.0};
    glClipPlane(GL_CLIP_PLANE0, beyond40);
    glEnable(GL_CLIP_PLANE0);
    Render(0);
    glDisable(GL_CLIP_PLANE0);
    SaveFrame("space_t0_first_cubes");

    // Cube 0 at (0, 2.8, 0) and cube 1 at (2.3 sin 24 degrees, 2.8 cos 24 degrees, 1), no spin:
    // their +z faces look almost straight at the eye and light 0, lit about 0.84 of white.
    const double degrees24 = 24.0 * M_PI / 180.0;
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 2.8, 0.5), {214, 214, 214}, 6));
    EXPECT_TRUE(PixelNear(AtTimeZero(2.3 * std::sin(degrees24), 2.8 * std::cos(degrees24), 1.5), {214, 214, 214}, 6));
    // The helix winds round its axis, which stays empty.
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 0.0, 0.0), {0, 0, 0}, 0));
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 0.0, 5.0), {0, 0, 0}, 0));
    // Cube 0 seen from the other side of the axis (a mirrored camera) would be here.
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, -2.8, 0.5), {0, 0, 0}, 0));
}
#endif

TEST_F(Space, FogParametersStayForTheNextEffectAndTheFogEnableComesBack)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    // The scene switches fog off inside its push; the frame's own setting comes back.
    glEnable(GL_FOG);
    Render(0);
    EXPECT_TRUE(IsOn(GL_FOG));
    EXPECT_EQ(GetFloat(GL_FOG_START), 60.0f);
    EXPECT_EQ(GetFloat(GL_FOG_END), 80.0f);
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(GetInt(GL_FOG_HINT), GL_DONT_CARE);
    EXPECT_EQ(GetFloat(GL_FOG_DENSITY), 1.0f);
}

TEST_F(Space, PushesOnlyTheEnableBitAndLeavesTheRestAsSet)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    glDepthFunc(GL_GREATER);
    Render(2500);
    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);
    EXPECT_TRUE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_FOG));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_T));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(TextureGenMode(GL_T), GL_SPHERE_MAP);
    EXPECT_EQ(GetFloat(GL_FOG_END), 80.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_texture);
    // The model-view matrix is the identity again after the last cube's pop: only the camera.
    const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
    const double t = 2500.0;
    const Matrix4 camera = LookAtMatrix({2.0 + 2.0 * std::sin(0.002 * t), 3.0 * std::cos(t / 720.0) - 1.0, 50.0},
                                        {0.0, std::sin(t / 1100.0), -10.0}, {0.0, 1.0, 0.0});
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(modelView[i], camera[i], 1e-5) << "element " << i;
}

TEST_F(Space, NextPrepareDeletesTheSupersededCubeList)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCube());
    const unsigned int first = m_effect.m_cubeList;
    ASSERT_TRUE(glIsList(first));
    End();
    EXPECT_TRUE(glIsList(first));
    Prepare();
    EXPECT_TRUE(glIsList(m_effect.m_cubeList));
    EXPECT_FALSE(glIsList(first));
    Render(0);
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 2.8, 0.5), {214, 214, 214}, 6));
}

TEST_F(Space, MissingTextureIsNotAFailure)
{
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(m_effect.m_texture, 0u);
    Prepare();
    Render(0);
    End();
}

} // namespace

// SPACE on real GL: the camera and the first cubes of the helix at T = 0, the scene drawn
// without fog though the fog parameters are set, and the state the frame leaves.
#include "Space.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "CameraMath.h"
#include "EyeProbe.h"
#include "GlTestContext.h"
#include "TestFiles.h"

using EyeProbe::PixelNear;
using EyeProbe::PixelPoint;

namespace
{

constexpr int kWidth = 640;
constexpr int kHeight = 480;

GLint GetInt(GLenum what)
{
    GLint value[4] = {0, 0, 0, 0};
    glGetIntegerv(what, value);
    return value[0];
}

bool IsOn(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

// Where a world point lands at T = 0: the eye at (2, 2, 50) looking at (0, 0, -10).
PixelPoint AtTimeZero(double x, double y, double z)
{
    const Matrix4 projection = PerspectiveMatrix(45.0, static_cast<double>(kWidth) / kHeight, 0.1, 200.0);
    const Matrix4 camera = LookAtMatrix({2.0, 2.0, 50.0}, {0.0, 0.0, -10.0}, {0.0, 1.0, 0.0});
    const WindowPoint p = ProjectToWindow(projection, camera, {x, y, z}, kWidth, kHeight);
    return {static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y))};
}

class SpaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
        ASSERT_TRUE(WriteTestJpeg("spiral/t_cube_2.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_EQ(m_effect.Init(kWidth, kHeight), 0);
        ASSERT_NE(m_effect.m_texture, 0u);
        m_effect.Prepare();
        // A red fog colour would show on any fogged cube.
        const GLfloat red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
        glFogfv(GL_FOG_COLOR, red);
    }

    void TearDown() override
    {
        m_effect.End();
        EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
    }

    ScopedTempDir m_dir;
    CSpaceEffect m_effect;
};

TEST_F(SpaceTest, CameraAndFirstCubesAtTimeZero)
{
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    m_effect.RenderFrame(0);
    EyeProbe::SaveFrame("space_t0");
    // No colour of its own: the current colour is the frame's.
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 0.5f);

    // From this eye the cubes near z = 47 cover the first ones. A clip plane in eye space (frame
    // state the effect leaves alone) keeps only what lies more than 40 in front of the eye:
    // the first ten or so cubes of the helix.
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLdouble beyond40[4] = {0.0, 0.0, -1.0, -40.0};
    glClipPlane(GL_CLIP_PLANE0, beyond40);
    glEnable(GL_CLIP_PLANE0);
    m_effect.RenderFrame(0);
    glDisable(GL_CLIP_PLANE0);
    EyeProbe::SaveFrame("space_t0_first_cubes");

    // Cube 0 at (0, 2.8, 0) and cube 1 at (2.3 sin 24 degrees, 2.8 cos 24 degrees, 1), no spin:
    // their +z faces look almost straight at the eye and light 0, lit about 0.84 of white.
    const double degrees24 = 24.0 * M_PI / 180.0;
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 2.8, 0.5), 214, 214, 214, 6));
    EXPECT_TRUE(PixelNear(AtTimeZero(2.3 * std::sin(degrees24), 2.8 * std::cos(degrees24), 1.5), 214, 214, 214, 6));
    // The helix winds round its axis, which stays empty.
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 0.0, 0.0), 0, 0, 0, 0));
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 0.0, 5.0), 0, 0, 0, 0));
    // Cube 0 seen from the other side of the axis (a mirrored camera) would be here.
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, -2.8, 0.5), 0, 0, 0, 0));
}

TEST_F(SpaceTest, FogParametersStayForTheNextEffectAndTheFogEnableComesBack)
{
    // The scene switches fog off inside its push; the frame's own setting comes back.
    glEnable(GL_FOG);
    m_effect.RenderFrame(0);
    EXPECT_TRUE(IsOn(GL_FOG));
    GLfloat fog = 0.0f;
    glGetFloatv(GL_FOG_START, &fog);
    EXPECT_EQ(fog, 60.0f);
    glGetFloatv(GL_FOG_END, &fog);
    EXPECT_EQ(fog, 80.0f);
    EXPECT_EQ(GetInt(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(GetInt(GL_FOG_HINT), GL_DONT_CARE);
    glGetFloatv(GL_FOG_DENSITY, &fog);
    EXPECT_EQ(fog, 1.0f);
}

TEST_F(SpaceTest, PushesOnlyTheEnableBitAndLeavesTheRestAsSet)
{
    glDepthFunc(GL_GREATER);
    m_effect.RenderFrame(2500);
    EXPECT_EQ(GetInt(GL_ATTRIB_STACK_DEPTH), 0);
    EXPECT_TRUE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_FOG));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(IsOn(GL_TEXTURE_GEN_T));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_LEQUAL);
    GLint value = 0;
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &value);
    EXPECT_EQ(value, GL_SPHERE_MAP);
    GLfloat fog = 0.0f;
    glGetFloatv(GL_FOG_END, &fog);
    EXPECT_EQ(fog, 80.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_texture);
    // The model-view matrix is the identity again after the last cube's pop: only the camera.
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    const double t = 2500.0;
    const Matrix4 camera = LookAtMatrix({2.0 + 2.0 * std::sin(0.002 * t), 3.0 * std::cos(t / 720.0) - 1.0, 50.0},
                                        {0.0, std::sin(t / 1100.0), -10.0}, {0.0, 1.0, 0.0});
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(modelView[i], camera[i], 1e-5) << "element " << i;
}

TEST_F(SpaceTest, NextPrepareDeletesTheSupersededCubeList)
{
    const unsigned int first = m_effect.m_cubeList;
    ASSERT_TRUE(glIsList(first));
    m_effect.End();
    EXPECT_TRUE(glIsList(first));
    m_effect.Prepare();
    EXPECT_TRUE(glIsList(m_effect.m_cubeList));
    EXPECT_FALSE(glIsList(first));
    m_effect.RenderFrame(0);
    EXPECT_TRUE(PixelNear(AtTimeZero(0.0, 2.8, 0.5), 214, 214, 214, 6));
}

TEST(SpaceInit, MissingTextureIsNotAFailure)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    ScopedTempDir dir;
    CSpaceEffect effect;
    EXPECT_EQ(effect.Init(64, 48), 0);
    EXPECT_EQ(effect.m_texture, 0u);
    effect.Prepare();
    effect.RenderFrame(0);
    effect.End();
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

} // namespace

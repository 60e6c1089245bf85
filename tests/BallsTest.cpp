// BALLS on real GL: the two rings' radii where they start, the additive fogged balls, the
// one clear that any parameter asks for, light 1 placed under the model-view found on entry,
// and the state the frame leaves.
#include "Balls.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EyeProbe.h"
#include "GlTestContext.h"
#include "TestFiles.h"

using EyeProbe::PixelNear;
using EyeProbe::PixelOf;

namespace
{

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// RenderFrame(-1) is time u = 0 (the effect's time offset is -1): centre (0, 0, -8.5), no
// tumble, radii 1.5 and 2.7.
constexpr long kStart = -1;

GLint GetInt(GLenum what)
{
    GLint value[4] = {0, 0, 0, 0};
    glGetIntegerv(what, value);
    return value[0];
}

bool IsOn(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

// What exponential fog of density 0.1 leaves of white at an eye distance, towards black.
int FoggedWhite(double distance) { return static_cast<int>(std::lround(255.0 * std::exp(-0.1 * distance))); }

void Send(CBallsEffect& effect, const char* name, int value)
{
    std::string copy = name;
    effect.ReceiveInt(copy.data(), value, 0);
}

void FillFrame(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

class BallsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
        // Black with a white dot an eighth of the picture across in the middle: each ball shows
        // as a small spot at its centre, so the rings can be told apart.
        ASSERT_TRUE(WriteTestJpeg("lightball.jpg", 64, 64, [](int x, int y) {
            const bool dot = x >= 28 && x < 36 && y >= 28 && y < 36;
            return dot ? Rgb8{255, 255, 255} : Rgb8{0, 0, 0};
        }));
        ASSERT_EQ(m_effect.Init(kWidth, kHeight), 0);
        m_effect.Prepare();
        const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glFogfv(GL_FOG_COLOR, black);
    }

    void TearDown() override
    {
        m_effect.End();
        EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
    }

    ScopedTempDir m_dir;
    CBallsEffect m_effect;
};

TEST_F(BallsTest, RingsStartWithRadiiOneAndAHalfAndTwoPointSeven)
{
    m_effect.RenderFrame(kStart);
    EyeProbe::SaveFrame("balls_start");
    const int atCentreDistance = FoggedWhite(8.5);

    // First ring in the x-y plane, radius 1.5: balls 2 and 6 on the x axis.
    EXPECT_TRUE(PixelNear(PixelOf(1.5, 0.0, -8.5, kWidth, kHeight), atCentreDistance, atCentreDistance,
                          atCentreDistance, 8));
    EXPECT_TRUE(PixelNear(PixelOf(-1.5, 0.0, -8.5, kWidth, kHeight), atCentreDistance, atCentreDistance,
                          atCentreDistance, 8));
    // Second ring in the y-z plane, radius 2.7: balls 0 and 4 above and below the centre.
    EXPECT_TRUE(PixelNear(PixelOf(0.0, 2.7, -8.5, kWidth, kHeight), atCentreDistance, atCentreDistance,
                          atCentreDistance, 8));
    EXPECT_TRUE(PixelNear(PixelOf(0.0, -2.7, -8.5, kWidth, kHeight), atCentreDistance, atCentreDistance,
                          atCentreDistance, 8));
    // Nothing at the other ring's radius on either axis.
    EXPECT_TRUE(PixelNear(PixelOf(2.7, 0.0, -8.5, kWidth, kHeight), 0, 0, 0, 6));
    EXPECT_TRUE(PixelNear(PixelOf(0.0, 2.1, -8.5, kWidth, kHeight), 0, 0, 0, 6));
    // Balls 2 and 6 of the second ring lie on the line of sight, 2.7 nearer and farther than
    // the centre; their light adds up.
    const int sum = FoggedWhite(5.8) + FoggedWhite(11.2);
    EXPECT_TRUE(PixelNear({kWidth / 2, kHeight / 2}, sum, sum, sum, 10));
}

TEST_F(BallsTest, AnyParameterAsksForExactlyOneClearAtTheNextFrame)
{
    // Without a parameter the frame is never cleared.
    FillFrame(1.0f, 0.0f, 0.0f);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    m_effect.RenderFrame(kStart);
    EXPECT_TRUE(PixelNear({3, 3}, 255, 0, 0, 0));
    EXPECT_EQ(m_effect.m_clearRequest, 0);

    // Several parameters of any name, the empty one included, and any value: one clear, with the
    // clear colour and depth the frame has.
    Send(m_effect, "", 0);
    Send(m_effect, "ANYTHING", -7);
    Send(m_effect, "RESET", 1);
    EXPECT_EQ(m_effect.m_clearRequest, 1);
    FillFrame(1.0f, 0.0f, 0.0f);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClearDepth(1.0);
    m_effect.RenderFrame(kStart);
    EyeProbe::SaveFrame("balls_cleared");
    EXPECT_EQ(m_effect.m_clearRequest, 0);
    EXPECT_TRUE(PixelNear({3, 3}, 0, 0, 255, 0));
    GLfloat depth = 0.0f;
    glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
    // The balls are added after the clear, over its blue.
    const int ball = FoggedWhite(8.5);
    EXPECT_TRUE(PixelNear(PixelOf(1.5, 0.0, -8.5, kWidth, kHeight), ball, ball, 255, 8));

    // The next frame does not clear again.
    FillFrame(1.0f, 0.0f, 0.0f);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    m_effect.RenderFrame(kStart + 16);
    EXPECT_TRUE(PixelNear({3, 3}, 255, 0, 0, 0));
}

TEST_F(BallsTest, LightOneIsPlacedUnderTheModelViewFoundOnEntry)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, -2.0f, 3.0f);
    m_effect.RenderFrame(kStart);
    GLfloat value[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, value);
    EXPECT_FLOAT_EQ(value[0], 1.0f);
    EXPECT_FLOAT_EQ(value[1], -2.0f);
    EXPECT_FLOAT_EQ(value[2], 5.0f);
    EXPECT_FLOAT_EQ(value[3], 1.0f);
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, value);
    EXPECT_FLOAT_EQ(value[0], 0.5f);
    EXPECT_FLOAT_EQ(value[3], 1.0f);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, value);
    EXPECT_FLOAT_EQ(value[1], 1.0f);
    // Light 1 was switched on inside the push only; lighting itself is never touched.
    EXPECT_FALSE(IsOn(GL_LIGHT1));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    m_effect.RenderFrame(kStart);
    EXPECT_TRUE(IsOn(GL_LIGHT1));
    EXPECT_TRUE(IsOn(GL_LIGHTING));
}

TEST_F(BallsTest, RestoresItsAttributeGroupsAndLeavesTheRest)
{
    glShadeModel(GL_FLAT);
    glBlendFunc(GL_ZERO, GL_ONE);
    glDepthFunc(GL_ALWAYS);
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    m_effect.RenderFrame(4321);

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
    GLfloat fog = 0.0f;
    glGetFloatv(GL_FOG_DENSITY, &fog);
    EXPECT_FLOAT_EQ(fog, 0.1f);
    glGetFloatv(GL_FOG_START, &fog);
    EXPECT_EQ(fog, 5.0f);
    glGetFloatv(GL_FOG_END, &fog);
    EXPECT_EQ(fog, 20.0f);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), m_effect.m_texture);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    // Far plane 100.
    EXPECT_NEAR(projection[14], 2.0 * 100.0 * 0.1 / (0.1 - 100.0), 1e-5);
    EXPECT_NEAR(projection[0], projection[5] * kHeight / kWidth, 1e-5);
}

TEST(BallsInit, MissingTextureFailsInit)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    ScopedTempDir dir;
    CBallsEffect effect;
    EXPECT_EQ(effect.m_clearRequest, 0);
    EXPECT_EQ(effect.Init(64, 48), 1);
    EXPECT_EQ(effect.m_texture, 0u);
    EXPECT_EQ(effect.m_timeOffset, -1);
    ASSERT_TRUE(WriteTestJpeg("lightball.jpg", 8, 8, Solid(255, 255, 255)));
    EXPECT_EQ(effect.Init(64, 48), 0);
    EXPECT_NE(effect.m_texture, 0u);
}

} // namespace

// BORDER on real GL: the mask multiplies the frame and the picture is added, both modulated by
// whatever colour and lights earlier drawing left; the full-view quad's fit; the state it leaves.
#include "Border.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <type_traits>

#include "FlatEffectChecks.h"
#include "GlTestContext.h"
#include "TestFiles.h"

using namespace FlatChecks;

namespace
{

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// It takes no parameters: the library's default ReceiveInt is the one that runs.
static_assert(std::is_same_v<decltype(&CBorderEffect::ReceiveInt), void (CEffect::*)(char*, int, long)>,
              "BORDER keeps the library's ReceiveInt");

// A 32 x 32 picture: one colour in the middle, another in an 8-texel band round the edge.
PixelFunction Framed(Rgb8 middle, Rgb8 band)
{
    return [=](int x, int y) { return (x < 8 || x >= 24 || y < 8 || y >= 24) ? band : middle; };
}

class BorderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight)); }

    void TearDown() override { m_effect.End(); }

    void Load(const PixelFunction& picture, const PixelFunction& mask, int width = kWidth, int height = kHeight)
    {
        ASSERT_TRUE(WriteTestTga("t_BorderImage.tga", 32, 32, picture));
        ASSERT_TRUE(WriteTestTga("t_BorderMask.tga", 32, 32, mask));
        ASSERT_EQ(m_effect.Init(width, height), 0);
        m_effect.Prepare();
    }

    static void ClearTo(int r, int g, int b)
    {
        glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    ScopedTempDir m_dir;
    CBorderEffect m_effect;
};

TEST_F(BorderTest, MaskMultipliesTheFrameAndThePictureIsAdded)
{
    // White mask in the middle, black band; the picture is black in the middle, blue in the band.
    Load(Framed({0, 0, 0}, {0, 0, 255}), Framed({255, 255, 255}, {0, 0, 0}));
    EXPECT_NE(m_effect.m_textures[0], 0u);
    EXPECT_NE(m_effect.m_textures[1], 0u);
    ClearTo(100, 150, 200);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    m_effect.RenderFrame(0);
    SaveFrame("border_white_colour");

    // Where the mask is white the frame shows through; where it is black only the picture.
    EXPECT_TRUE(PixelNear(kWidth / 2, kHeight / 2, Rgba{100, 150, 200, 255}, 2));
    EXPECT_TRUE(PixelNear(4, kHeight / 2, Rgba{0, 0, 255, 255}, 2));
    EXPECT_TRUE(PixelNear(kWidth / 2, kHeight - 5, Rgba{0, 0, 255, 255}, 2));
    // The quad fills a 4:3 view to its corner pixels.
    EXPECT_TRUE(PixelNear(0, 0, Rgba{0, 0, 255, 255}, 40));
    EXPECT_TRUE(PixelNear(kWidth - 1, kHeight - 1, Rgba{0, 0, 255, 255}, 40));
}

TEST_F(BorderTest, BothPassesAreModulatedByTheColourLeftBehind)
{
    // A white mask and a white picture: the frame times the colour, plus the colour.
    Load(Solid(255, 255, 255), Solid(255, 255, 255));
    ClearTo(100, 150, 200);
    glColor4f(1.0f, 0.5f, 0.0f, 1.0f);
    m_effect.RenderFrame(0);
    SaveFrame("border_orange_colour");
    EXPECT_TRUE(PixelNear(kWidth / 2, kHeight / 2, Rgba{255, 75 + 128, 0, 255}, 3));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);
}

TEST_F(BorderTest, OnlyLightOneIsSwitchedOffAndLightingStays)
{
    // White mask, black picture: the frame is multiplied by the lit mask only.
    Load(Solid(0, 0, 0), Solid(255, 255, 255));
    ClearTo(100, 150, 200);
    // Light 0 at its defaults (white, from the viewer) and a strong red light 1, both on.
    const GLfloat red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat noAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat towardsViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT1, GL_DIFFUSE, red);
    glLightfv(GL_LIGHT1, GL_AMBIENT, noAmbient);
    glLightfv(GL_LIGHT1, GL_POSITION, towardsViewer);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glNormal3f(0.0f, 0.0f, 1.0f);

    m_effect.RenderFrame(0);
    SaveFrame("border_lit");

    // Lit by light 0 alone: global ambient 0.2 x 0.2 plus diffuse 0.8, the same on every channel.
    const double lit = 0.04 + 0.8;
    EXPECT_TRUE(PixelNear(kWidth / 2, kHeight / 2,
                          Rgba{static_cast<int>(100 * lit + 0.5), static_cast<int>(150 * lit + 0.5),
                               static_cast<int>(200 * lit + 0.5), 255},
                          3));
    // The enables are as they were before the frame, light 1 included.
    EXPECT_TRUE(IsOn(GL_LIGHTING));
    EXPECT_TRUE(IsOn(GL_LIGHT0));
    EXPECT_TRUE(IsOn(GL_LIGHT1));
}

TEST_F(BorderTest, WideViewLeavesTheSidesUncovered)
{
    // 16:9: the view spans about +-42.7 across at depth 58, the quad +-32.
    const int wide = 192;
    const int high = 108;
    ASSERT_TRUE(GlTestContext::Create(wide, high));
    Load(Solid(255, 255, 255), Solid(0, 0, 0), wide, high);
    ClearTo(100, 150, 200);
    m_effect.RenderFrame(0);
    SaveFrame("border_wide");
    const double edge = ScreenX(-32.0, 58.0);
    EXPECT_NEAR(edge, wide / 2.0 * (1.0 - 32.0 / (58.0 * 0.41421356 * 16.0 / 9.0)), 0.01);
    EXPECT_TRUE(PixelNear(static_cast<int>(edge) - 3, high / 2, Rgba{100, 150, 200, 255}, 0));
    EXPECT_TRUE(PixelNear(static_cast<int>(edge) + 3, high / 2, Rgba{255, 255, 255, 255}, 2));
    EXPECT_TRUE(PixelNear(wide - static_cast<int>(edge) + 2, high / 2, Rgba{100, 150, 200, 255}, 0));
}

TEST_F(BorderTest, PopRestoresEnablesAndLeavesViewAndBinding)
{
    Load(Solid(0, 0, 0), Solid(255, 255, 255));
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glDepthFunc(GL_ALWAYS);
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    glBlendFunc(GL_ZERO, GL_ONE);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glShadeModel(GL_FLAT);

    m_effect.RenderFrame(12345);
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());

    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_TRUE(IsOn(GL_FOG));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_LIGHT1));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_ALWAYS);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ZERO);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.5f);

    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[2], 0.75f);
    // The picture is bound last.
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_textures[0]));
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    EXPECT_DOUBLE_EQ(modelView[14], -58.0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
}

} // namespace

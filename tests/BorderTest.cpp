// BORDER on real GL: the mask multiplies the frame and the picture is added, both modulated by
// whatever colour and lights earlier drawing left; the full-view quad's fit; the state it leaves.
#include "Border.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <type_traits>

#include "EffectFixture.h"

namespace
{

// It takes no parameters: the library's default ReceiveInt is the one that runs.
static_assert(std::is_same_v<decltype(&CBorderEffect::ReceiveInt), void (CEffect::*)(char*, int, long)>,
              "BORDER keeps the library's ReceiveInt");

// A 32 x 32 picture: one colour in the middle, another in an 8-texel band round the edge.
PixelFunction Framed(Rgb8 middle, Rgb8 band) { return ::Framed(middle, band, 32, 8); }

class Border : public EffectTest<CBorderEffect>
{
protected:
    Border() : EffectTest(160, 120) {}

    void Load(const PixelFunction& picture, const PixelFunction& mask)
    {
        ASSERT_TRUE(WriteTestTga("t_BorderImage.tga", 32, 32, picture));
        ASSERT_TRUE(WriteTestTga("t_BorderMask.tga", 32, 32, mask));
        ASSERT_NO_FATAL_FAILURE(Start());
    }
};

TEST_F(Border, MaskMultipliesTheFrameAndThePictureIsAdded)
{
    // White mask in the middle, black band; the picture is black in the middle, blue in the band.
    ASSERT_NO_FATAL_FAILURE(Load(Framed({0, 0, 0}, {0, 0, 255}), Framed({255, 255, 255}, {0, 0, 0})));
    EXPECT_NE(m_effect.m_textures[0], 0u);
    EXPECT_NE(m_effect.m_textures[1], 0u);
    FillFrame({100, 150, 200});
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    Render(0);
    SaveFrame("border_white_colour");

    // Where the mask is white the frame shows through; where it is black only the picture.
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, {100, 150, 200}, 2));
    EXPECT_TRUE(PixelNear(4, Height() / 2, {0, 0, 255}, 2));
    EXPECT_TRUE(PixelNear(Width() / 2, Height() - 5, {0, 0, 255}, 2));
    // The quad fills a 4:3 view to its corner pixels.
    EXPECT_TRUE(PixelNear(0, 0, {0, 0, 255}, 40));
    EXPECT_TRUE(PixelNear(Width() - 1, Height() - 1, {0, 0, 255}, 40));
}

TEST_F(Border, BothPassesAreModulatedByTheColourLeftBehind)
{
    // A white mask and a white picture: the frame times the colour, plus the colour.
    ASSERT_NO_FATAL_FAILURE(Load(Solid(255, 255, 255), Solid(255, 255, 255)));
    FillFrame({100, 150, 200});
    glColor4f(1.0f, 0.5f, 0.0f, 1.0f);
    Render(0);
    SaveFrame("border_orange_colour");
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, {255, 75 + 128, 0}, 3));
    EXPECT_FLOAT_EQ(GetFloats(GL_CURRENT_COLOR)[1], 0.5f);
}

TEST_F(Border, OnlyLightOneIsSwitchedOffAndLightingStays)
{
    // White mask, black picture: the frame is multiplied by the lit mask only.
    ASSERT_NO_FATAL_FAILURE(Load(Solid(0, 0, 0), Solid(255, 255, 255)));
    FillFrame({100, 150, 200});
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

    Render(0);
    SaveFrame("border_lit");

    // Lit by light 0 alone: global ambient 0.2 x 0.2 plus diffuse 0.8, the same on every channel.
    const double lit = 0.04 + 0.8;
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2,
                          {static_cast<int>(100 * lit + 0.5), static_cast<int>(150 * lit + 0.5),
                           static_cast<int>(200 * lit + 0.5)},
                          3));
    // The enables are as they were before the frame, light 1 included.
    EXPECT_TRUE(IsOn(GL_LIGHTING));
    EXPECT_TRUE(IsOn(GL_LIGHT0));
    EXPECT_TRUE(IsOn(GL_LIGHT1));
}

TEST_F(Border, WideViewLeavesTheSidesUncovered)
{
    // 16:9: the view spans about +-42.7 across at depth 58, the quad +-32.
    ASSERT_NO_FATAL_FAILURE(Reopen(192, 108));
    ASSERT_NO_FATAL_FAILURE(Load(Solid(255, 255, 255), Solid(0, 0, 0)));
    FillFrame({100, 150, 200});
    Render(0);
    SaveFrame("border_wide");
    const double edge = EyeToWindow(-32.0, 0.0, -58.0).x;
    EXPECT_NEAR(edge, Width() / 2.0 * (1.0 - 32.0 / (58.0 * 0.41421356 * 16.0 / 9.0)), 0.01);
    EXPECT_TRUE(PixelNear(static_cast<int>(edge) - 3, Height() / 2, {100, 150, 200}, 0));
    EXPECT_TRUE(PixelNear(static_cast<int>(edge) + 3, Height() / 2, {255, 255, 255}, 2));
    EXPECT_TRUE(PixelNear(Width() - static_cast<int>(edge) + 2, Height() / 2, {100, 150, 200}, 0));
}

TEST_F(Border, PopRestoresEnablesAndLeavesViewAndBinding)
{
    ASSERT_NO_FATAL_FAILURE(Load(Solid(0, 0, 0), Solid(255, 255, 255)));
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glDepthFunc(GL_ALWAYS);
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    glBlendFunc(GL_ZERO, GL_ONE);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glShadeModel(GL_FLAT);

    Render(12345);

    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_TRUE(IsOn(GL_FOG));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_LIGHT1));
    EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_ALWAYS);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ZERO);
    EXPECT_FLOAT_EQ(GetFloat(GL_COLOR_CLEAR_VALUE), 0.5f);

    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_FLOAT_EQ(GetFloats(GL_CURRENT_COLOR)[2], 0.75f);
    // The picture is bound last.
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_textures[0]));
    EXPECT_DOUBLE_EQ(ReadMatrix(GL_MODELVIEW_MATRIX)[14], -58.0);
    EXPECT_EQ(GetInts(GL_VIEWPORT)[2], Width());
}

} // namespace

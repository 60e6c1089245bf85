// IMAGE on real GL: the picture chosen by the parameter's name, where each quad lands on screen
// (the swaying greetings cards included), the logo's mask-then-add, and the state it leaves.
#include "Image.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EffectFixture.h"

namespace
{

constexpr double kLogoDistance = 16.0;
constexpr double kCard1Distance = 13.5;
constexpr double kCard2Distance = 16.0;

class Image : public EffectTest<CImageEffect>
{
protected:
    Image() : EffectTest(320, 240) {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EffectTest::SetUp());
        // The logo: red left half, cut where its mask is black.
        ASSERT_TRUE(WriteTestJpeg("images/i_hp_glow_image.jpg", 16, 16, LeftRight({255, 0, 0}, {0, 0, 0}, 8)));
        ASSERT_TRUE(WriteTestJpeg("images/i_hp_glow_mask.jpg", 16, 16, LeftRight({0, 0, 0}, {255, 255, 255}, 8)));
        // Clamped edges fade into the border colour over half a texel: many texels keep that
        // fade within a pixel or two of the card's edges.
        ASSERT_TRUE(WriteTestJpeg("images/i_greetings_01.jpg", 64, 64, Solid(255, 255, 255)));
        ASSERT_TRUE(WriteTestJpeg("images/i_greetings_02.jpg", 64, 64, Solid(0, 255, 0)));
        ASSERT_NO_FATAL_FAILURE(Start());
    }

    // True when the pixel at (x, y) is lit (the card's colour added to a black frame).
    static bool Covered(double x, double y)
    {
        const Rgba pixel = PixelAt({x, y, 0});
        return pixel.r + pixel.g + pixel.b > 300;
    }
};

TEST_F(Image, ParameterNameAloneChoosesThePicture)
{
    EXPECT_EQ(m_effect.m_image, CImageEffect::kLogo);
    Send("GREETZ2", 0);
    EXPECT_EQ(m_effect.m_image, CImageEffect::kGreetings2);
    for (int value : {0, 1, 7})
    {
        Send("GREETZ1", 5);
        Send("HP_GLOW", value);
        EXPECT_EQ(m_effect.m_image, CImageEffect::kLogo) << "value " << value;
    }
    Send("GREETZ1", -3);
    EXPECT_EQ(m_effect.m_image, CImageEffect::kGreetings1);
    for (const char* other : {"greetz2", "GREETZ", "GREETZ22", "HP_GLOW ", "BGIMAGE"})
    {
        Send(other, 2);
        EXPECT_EQ(m_effect.m_image, CImageEffect::kGreetings1) << other;
    }
    // The choice survives End and Prepare.
    End();
    Prepare();
    EXPECT_EQ(m_effect.m_image, CImageEffect::kGreetings1);
}

TEST_F(Image, SwayIsZeroAtStartSmallAfterwardsAndBounded)
{
    EXPECT_EQ(CImageEffect::CornerSway(0), 0.0f);
    EXPECT_EQ(CImageEffect::CardDrift(0), 0.0f);
    EXPECT_NEAR(CImageEffect::CornerSway(1000), -0.16, 0.005);
    EXPECT_NEAR(CImageEffect::CardDrift(1000), 0.19, 0.005);
    for (long t = 0; t < 600000; t += 37)
    {
        ASSERT_LE(std::fabs(CImageEffect::CornerSway(t)), 0.5f) << "t " << t;
        ASSERT_LE(std::fabs(CImageEffect::CardDrift(t)), 0.5f) << "t " << t;
    }
}

TEST_F(Image, SecondGreetingsRunsOffBothSides)
{
    Send("GREETZ2", 0);
    Render(0);
    SaveFrame("image_greetings2_t0");

    // 20 units wide at depth 16, where a 4:3 view spans about +-8.84: both side columns are
    // covered. Its rows are 4/6.627 of the half-height either side of the centre.
    const double top = ScreenY(4.0, kCard2Distance);
    const double bottom = ScreenY(-4.0, kCard2Distance);
    EXPECT_NEAR(top - Height() / 2.0, Height() / 2.0 * 4.0 / 6.627, 0.1);
    const Rgb green{0, 255, 0};
    const Rgb black{0, 0, 0};
    for (int x : {0, Width() / 2, Width() - 1})
    {
        EXPECT_TRUE(PixelNear(x, Height() / 2, green, 8));
        EXPECT_TRUE(PixelNear(x, static_cast<int>(top) - 3, green, 8));
        EXPECT_TRUE(PixelNear(x, static_cast<int>(bottom) + 3, green, 8));
        EXPECT_TRUE(PixelNear(x, static_cast<int>(top) + 2, black, 0));
        EXPECT_TRUE(PixelNear(x, static_cast<int>(bottom) - 2, black, 0));
    }
}

TEST_F(Image, FirstGreetingsCornersSwayAndTheCardDrifts)
{
    Send("GREETZ1", 0);

    // At t = 0 the card is the rectangle (-6, -4)..(6, 4) at depth 13.5.
    Render(0);
    SaveFrame("image_greetings1_t0");
    const double mid = Height() / 2.0;
    EXPECT_TRUE(Covered(ScreenX(6.0, kCard1Distance) - 2, mid));
    EXPECT_FALSE(Covered(ScreenX(6.0, kCard1Distance) + 2, mid));
    EXPECT_TRUE(Covered(ScreenX(-6.0, kCard1Distance) + 2, mid));
    EXPECT_FALSE(Covered(ScreenX(-6.0, kCard1Distance) - 2, mid));
    EXPECT_TRUE(Covered(Width() / 2.0, ScreenY(4.0, kCard1Distance) - 2));
    EXPECT_FALSE(Covered(Width() / 2.0, ScreenY(4.0, kCard1Distance) + 2));

    // Near t = 2965 ms the sway is near +0.49 and the drift near -0.5: the whole card moves
    // left, the lower left corner moves in and the upper right corner moves down.
    const long t = 2965;
    const double w = 0.2 * std::sin(t / 75.0) + 0.3 * std::sin(t / 90.0);
    const double drift = 0.2 * std::sin(t / 100.0) + 0.3 * std::sin(t / 70.0);
    ASSERT_GT(w, 0.45);
    ASSERT_LT(drift, -0.45);
    ResetFrame();
    Render(t);
    SaveFrame("image_greetings1_t2965");

    const double right = ScreenX(drift + 6.0, kCard1Distance);
    EXPECT_TRUE(Covered(right - 2, mid));
    EXPECT_FALSE(Covered(right + 2, mid));
    // The top edge runs from (6, 4 - w) to (-6, 4); at x = 5 it is 4 - w * 11/12.
    const double column = ScreenX(drift + 5.0, kCard1Distance);
    const double topAtColumn = ScreenY(4.0 - w * 11.0 / 12.0, kCard1Distance);
    EXPECT_TRUE(Covered(column, topAtColumn - 2));
    EXPECT_FALSE(Covered(column, topAtColumn + 2));
    // The left edge runs from (w - 6, -4) to (-6, 4); at y = -3 it is at -6 + 7w/8.
    const double rowLow = ScreenY(-3.0, kCard1Distance);
    const double leftAtRow = ScreenX(drift - 6.0 + 7.0 * w / 8.0, kCard1Distance);
    EXPECT_TRUE(Covered(leftAtRow + 2, rowLow));
    EXPECT_FALSE(Covered(leftAtRow - 2, rowLow));
    // The upper left corner stays at (-6, 4) apart from the drift.
    EXPECT_TRUE(Covered(ScreenX(drift - 5.8, kCard1Distance), ScreenY(3.8, kCard1Distance)));
}

TEST_F(Image, LogoIsCutWithItsMaskThenAdded)
{
    // A coloured frame underneath: the mask's black half cuts it away and the logo's red half
    // fills the hole; under the white half the frame stays, plus the logo's black.
    FillFrame({128, 64, 200});
    Render(0);
    SaveFrame("image_logo");

    const int leftQuarter = static_cast<int>(ScreenX(-3.0, kLogoDistance));
    const int rightQuarter = static_cast<int>(ScreenX(3.0, kLogoDistance));
    const int outside = static_cast<int>(ScreenX(-7.0, kLogoDistance));
    const int row = Height() / 2;
    EXPECT_TRUE(PixelNear(leftQuarter, row, {255, 0, 0}, 10));
    EXPECT_TRUE(PixelNear(rightQuarter, row, {128, 64, 200}, 3));
    EXPECT_TRUE(PixelNear(outside, row, {128, 64, 200}, 0));
    EXPECT_TRUE(PixelNear(leftQuarter, static_cast<int>(ScreenY(4.0, kLogoDistance)) + 2, {128, 64, 200}, 0));

    // Over black the mask pass leaves black and the image pass shows the logo unchanged.
    ResetFrame();
    Render(5000);
    EXPECT_TRUE(PixelNear(leftQuarter, row, {255, 0, 0}, 10));
    EXPECT_TRUE(PixelNear(rightQuarter, row, {0, 0, 0}, 3));
}

TEST_F(Image, PopRestoresEnablesAndLeavesHalfAlphaWhite)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_FLAT);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);

    Render(0);

    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_TRUE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);

    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[1], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);
    // The logo image was bound last.
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_textures[0]));
    EXPECT_DOUBLE_EQ(ReadMatrix(GL_MODELVIEW_MATRIX)[14], -16.0);

    Send("GREETZ1", 0);
    Render(1000);
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_textures[2]));
    const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_NEAR(modelView[12], CImageEffect::CardDrift(1000), 1e-6);
    EXPECT_DOUBLE_EQ(modelView[14], -13.5);
}

} // namespace

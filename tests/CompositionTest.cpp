// CLEAR, BACKGROUND, IMAGE and BORDER composed in one frame, as the show layers them: each
// draws over what the one before left, through the state the one before left behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Background.h"
#include "Border.h"
#include "Clear.h"
#include "EffectFixture.h"
#include "Image.h"

namespace
{

class Composition : public EffectFixture
{
protected:
    Composition() : EffectFixture(160, 120)
    {
        for (CEffect* effect : Layers())
            Own(*effect);
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EffectFixture::SetUp());
        ASSERT_TRUE(WriteTestJpeg("t_background_01.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_TRUE(WriteTestJpeg("t_background_02.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_TRUE(WriteTestJpeg("t_background_03.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_TRUE(WriteTestJpeg("images/i_hp_glow_image.jpg", 64, 64, LeftRight({255, 0, 0}, {0, 0, 0}, 32)));
        ASSERT_TRUE(WriteTestJpeg("images/i_hp_glow_mask.jpg", 64, 64, LeftRight({0, 0, 0}, {255, 255, 255}, 32)));
        ASSERT_TRUE(WriteTestJpeg("images/i_greetings_01.jpg", 16, 16, Solid(255, 255, 255)));
        ASSERT_TRUE(WriteTestJpeg("images/i_greetings_02.jpg", 16, 16, Solid(255, 255, 255)));
        // The border: a window in the middle half of the view each way, a blue band round it.
        ASSERT_TRUE(WriteTestTga("t_BorderImage.tga", 32, 32, Framed({0, 0, 0}, {0, 0, 255}, 32, 8)));
        ASSERT_TRUE(WriteTestTga("t_BorderMask.tga", 32, 32, Framed({255, 255, 255}, {0, 0, 0}, 32, 8)));
        for (CEffect* effect : Layers())
            ASSERT_NO_FATAL_FAILURE(Start(*effect));
    }

    std::vector<CEffect*> Layers() { return {&m_clear, &m_background, &m_image, &m_border}; }

    void DrawFrame(long elapsed)
    {
        for (CEffect* effect : Layers())
            Render(*effect, elapsed);
    }

    // What the white background adds at a row at t = 0, when the light stands at (0, 15, -22):
    // the lit colour of the default material runs linearly from the bottom corners to the top.
    int BackgroundAt(int row) const
    {
        auto litAt = [](double y) {
            const double dx = 16.0, dy = 15.0 - y, dz = 2.0;
            return 0.1 + 0.8 * dz / std::sqrt(dx * dx + dy * dy + dz * dz);
        };
        const double eyeY = ((row + 0.5) / Height() * 2.0 - 1.0) * HalfViewHeight(24.0);
        const double lit = litAt(-12.0) + (litAt(12.0) - litAt(-12.0)) * (eyeY + 12.0) / 24.0;
        return static_cast<int>(std::lround(lit * 255.0));
    }

    CClearEffect m_clear;
    CBackgroundEffect m_background;
    CImageEffect m_image;
    CBorderEffect m_border;
};

TEST_F(Composition, EachLayerDrawsOverTheOneBefore)
{
    // Something for CLEAR to clear away.
    FillFrame({255, 255, 0});
    DrawFrame(0);
    SaveFrame("composition");

    const int cx = Width() / 2;
    const int cy = Height() / 2;
    // Inside the border's window (the middle half of the view each way) and the logo: the
    // logo's left half cut the background away and put red in; its right half kept it.
    EXPECT_TRUE(PixelNear(cx - 20, cy, Rgb{255, 0, 0}, 10));
    const int lit = BackgroundAt(cy);
    EXPECT_TRUE(PixelNear(cx + 20, cy, Rgb{lit, lit, lit}, 3));
    const int lower = BackgroundAt(cy - 20);
    EXPECT_TRUE(PixelNear(cx + 20, cy - 20, {lower, lower, lower}, 3));
    // The border's band: everything underneath multiplied away, the blue picture added at
    // full strength (IMAGE left the colour white with alpha 0.5, which these passes ignore).
    for (const auto& band : {std::pair<int, int>{6, cy}, {Width() - 7, cy}, {cx, 6}, {cx, Height() - 7}, {3, 3}})
        EXPECT_TRUE(PixelNear(band.first, band.second, Rgb{0, 0, 255}, 2)) << band.first << ", " << band.second;

    // What the last layer leaves for the next frame's first: the enables as before the frame,
    // the colour IMAGE set, the border picture bound.
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT1));
    EXPECT_FLOAT_EQ(GetFloats(GL_CURRENT_COLOR)[3], 0.5f);
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_border.m_textures[0]));

    // The same frame again gives the same picture: nothing accumulates from frame to frame.
    const std::vector<uint8_t> first = GlTestContext::ReadRgba();
    DrawFrame(0);
    EXPECT_EQ(GlTestContext::ReadRgba(), first);
}

TEST_F(Composition, LetterboxFromClearConfinesTheLaterLayers)
{
    Send(m_clear, "SCISSOR", 1);
    DrawFrame(0);
    SaveFrame("composition_letterbox");

    // 120 x 0.2f truncates to 24 and 120 x 0.65f (just under 78) to 77: rows 24 to 100.
    EXPECT_TRUE(IsOn(GL_SCISSOR_TEST));
    EXPECT_TRUE(PixelNear(6, 10, Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(PixelNear(6, 23, Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(PixelNear(6, 24, Rgb{0, 0, 255}, 2));
    EXPECT_TRUE(PixelNear(6, 100, Rgb{0, 0, 255}, 2));
    EXPECT_TRUE(PixelNear(6, 101, Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(PixelNear(Width() / 2 - 20, Height() / 2, Rgb{255, 0, 0}, 10));

    // The next frame's CLEAR (method 0) clears the whole view first, then sets the band again.
    Send(m_clear, "SCISSOR", 0);
    DrawFrame(0);
    EXPECT_FALSE(IsOn(GL_SCISSOR_TEST));
    EXPECT_TRUE(PixelNear(6, 110, Rgb{0, 0, 255}, 2));
}

TEST_F(Composition, GreetingsCardOverTheBackgroundInsideTheBorder)
{
    Send(m_image, "GREETZ2", 0);
    DrawFrame(0);
    SaveFrame("composition_greetings");
    // The white card (rows within 36 pixels of the middle, running off both sides) covers the
    // border's whole window (30 pixels either way): the background plus white saturates.
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, Rgb{255, 255, 255}, 2));
    EXPECT_TRUE(PixelNear(Width() / 2 + 35, Height() / 2 + 25, Rgb{255, 255, 255}, 2));
    // Outside the window the border's mask took everything away, card included.
    EXPECT_TRUE(PixelNear(Width() / 2, Height() - 5, Rgb{0, 0, 255}, 2));
}

} // namespace

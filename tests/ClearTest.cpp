// CLEAR on real GL: its fade levels frame by frame, the letterbox scissor box, the trail's
// darkening, and the methods that draw nothing.
#include "Clear.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "EffectFixture.h"

namespace {

class Clear : public EffectTest<CClearEffect>
{
protected:
    Clear() : EffectTest(64, 48) {}
};

TEST_F(Clear, FadeUpClearsOneHundredAndOneLevelsThenStops)
{
    ASSERT_EQ(Init(), 0);
    Send("METHOD", 2);

    // The level the effect should clear with in each call, stepped in single precision.
    float expected = 0.0f;
    for (int call = 1; call <= 101; ++call)
    {
        FillFrame({0, 0, 255});
        Render(0);
        const auto clearColour = GetFloats(GL_COLOR_CLEAR_VALUE);
        ASSERT_FLOAT_EQ(clearColour[0], expected) << "call " << call;
        EXPECT_FLOAT_EQ(clearColour[3], 0.5f);
        const Rgba pixel = GlTestContext::Pixel(10, 10);
        EXPECT_NEAR(pixel.r, std::lround(expected * 255.0f), 1) << "call " << call;
        EXPECT_EQ(pixel.b, pixel.r) << "call " << call;
        expected += 0.01f;
    }
    EXPECT_NEAR(m_effect.m_level, 1.0099993f, 1e-6f);
    EXPECT_EQ(m_effect.m_method, 2);

    // The 102nd call clears nothing and falls back to method 0; the 103rd clears to black.
    FillFrame({0, 0, 255});
    Render(0);
    EXPECT_EQ(GlTestContext::Pixel(10, 10).b, 255);
    EXPECT_EQ(m_effect.m_method, 0);
    Render(0);
    const Rgba black = GlTestContext::Pixel(10, 10);
    EXPECT_EQ(black.r + black.g + black.b, 0);
}

TEST_F(Clear, FadeDownEndsJustAboveZeroAndRestartsFromTheTop)
{
    Init();
    Send("METHOD", 3);
    int clears = 0;
    float lastLevel = -1.0f;
    for (int call = 0; call < 120 && m_effect.m_method == 3; ++call)
    {
        FillFrame({0, 255, 0});
        Render(0);
        if (GlTestContext::Pixel(5, 5).g != 255 || GlTestContext::Pixel(5, 5).r != 0)
        {
            ++clears;
            lastLevel = GetFloat(GL_COLOR_CLEAR_VALUE);
        }
    }
    // 101 clears from 1.0 down to about 0.00000067; the 102nd call found the level at or below 0.
    EXPECT_EQ(clears, 101);
    EXPECT_GT(lastLevel, 0.0f);
    EXPECT_LT(lastLevel, 0.00001f);
    EXPECT_EQ(m_effect.m_method, 0);

    // Sending a fade again restarts it from its start level.
    Send("METHOD", 2);
    EXPECT_EQ(m_effect.m_level, 0.0f);
    Send("METHOD", 3);
    EXPECT_EQ(m_effect.m_level, 1.0f);
    // Other methods keep the level.
    Send("METHOD", 1);
    EXPECT_EQ(m_effect.m_level, 1.0f);
}

TEST_F(Clear, LetterboxScissorBoxes)
{
    struct Case
    {
        int width, height;
        int y, boxHeight;
    };
    const Case cases[] = {{640, 480, 96, 311}, {800, 600, 120, 389}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        ASSERT_NO_FATAL_FAILURE(Reopen(c.width, c.height));
        CClearEffect clear;
        Init(clear);
        Send(clear, "SCISSOR", 1);
        Render(clear, 0);
        const auto box = GetInts(GL_SCISSOR_BOX);
        EXPECT_EQ(box[0], 0);
        EXPECT_EQ(box[1], c.y);
        EXPECT_EQ(box[2], c.width);
        EXPECT_EQ(box[3], c.boxHeight);
        EXPECT_TRUE(IsOn(GL_SCISSOR_TEST));

        // Later drawing of the frame stays inside the band.
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y - 1).r, 0);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y).r, 255);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y + c.boxHeight - 1).r, 255);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y + c.boxHeight).r, 0);

        // "SCISSOR" 2 switches the letterbox off as 0 does: method 0 disables the test.
        Send(clear, "SCISSOR", 2);
        Render(clear, 0);
        EXPECT_FALSE(IsOn(GL_SCISSOR_TEST));
    }
}

TEST_F(Clear, ScissorOffDoesNotDisableTheTestOutsideMethodZero)
{
    Init();
    Send("SCISSOR", 1);
    Render(0);
    Send("METHOD", 4);
    Send("SCISSOR", 0);
    Render(0);
    EXPECT_TRUE(IsOn(GL_SCISSOR_TEST));
}

TEST_F(Clear, TrailDarkensByATenthAndClearsNothing)
{
    Init();
    Send("METHOD", 1);
    FillFrame({255, 255, 255}, 0.25);
    Render(0);

    // 255 * 0.9 = 229.5: every pixel, corners included, is darkened once.
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{63, 47}, std::pair{32, 24}})
        EXPECT_NEAR(GlTestContext::Pixel(x, y).r, 229.5, 1.0) << x << "," << y;
    EXPECT_NEAR(DepthAt(10, 10), 0.25f, 1e-4f);

    // What stays behind: blending off, black colour with alpha 0.1, the 200-unit projection.
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FLOAT_EQ(GetFloats(GL_CURRENT_COLOR)[3], 0.1f);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    const Matrix4 projection = ReadMatrix(GL_PROJECTION_MATRIX);
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(projection[0], f / (64.0 / 48.0), 1e-6);
    EXPECT_NEAR(projection[10], (200.0 + 0.1) / (0.1 - 200.0), 1e-5);

    // Ten more frames: 0.9^11 of white remains.
    for (int i = 0; i < 10; ++i)
        Render(0);
    EXPECT_NEAR(GlTestContext::Pixel(32, 24).r, 255.0 * std::pow(0.9, 11), 4.0);
}

TEST_F(Clear, OtherMethodsAndOtherNamesDrawNothing)
{
    for (int method : {4, -1})
    {
        CClearEffect clear;
        Init(clear);
        Send(clear, "METHOD", method);
        FillFrame({0, 255, 0});
        Render(clear, 0);
        EXPECT_EQ(GlTestContext::Pixel(3, 3).g, 255) << method;
        EXPECT_EQ(clear.m_method, method);
    }
    Init();
    for (const char* name : {"method", "METHODS", "METHO", "Scissor", "SCISSOR "})
        Send(name, 1);
    EXPECT_EQ(m_effect.m_method, 0);
    EXPECT_FALSE(m_effect.m_scissor);
}

} // namespace

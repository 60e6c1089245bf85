// CLEAR on real GL: its fade levels frame by frame, the letterbox scissor box, the trail's
// darkening, and the methods that draw nothing.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "Clear.h"
#include "GlTestContext.h"

namespace {

void Send(CClearEffect& effect, const char* name, int value)
{
    char buffer[32];
    std::strncpy(buffer, name, sizeof(buffer) - 1);
    buffer[sizeof(buffer) - 1] = '\0';
    effect.ReceiveInt(buffer, value, 0);
}

// Paints the whole framebuffer one colour without touching CLEAR's state of interest.
void Paint(float r, float g, float b)
{
    glDisable(GL_SCISSOR_TEST);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

TEST(ClearEffect, FadeUpClearsOneHundredAndOneLevelsThenStops)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    CClearEffect clear;
    ASSERT_EQ(clear.Init(64, 48), 0);
    Send(clear, "METHOD", 2);

    // The level the effect should clear with in each call, stepped in single precision.
    float expected = 0.0f;
    for (int call = 1; call <= 101; ++call)
    {
        Paint(0.0f, 0.0f, 1.0f);
        clear.RenderFrame(0);
        GLfloat clearColour[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        ASSERT_FLOAT_EQ(clearColour[0], expected) << "call " << call;
        EXPECT_FLOAT_EQ(clearColour[3], 0.5f);
        const Rgba pixel = GlTestContext::Pixel(10, 10);
        EXPECT_NEAR(pixel.r, std::lround(expected * 255.0f), 1) << "call " << call;
        EXPECT_EQ(pixel.b, pixel.r) << "call " << call;
        expected += 0.01f;
    }
    EXPECT_NEAR(clear.m_level, 1.0099993f, 1e-6f);
    EXPECT_EQ(clear.m_method, 2);

    // The 102nd call clears nothing and falls back to method 0; the 103rd clears to black.
    Paint(0.0f, 0.0f, 1.0f);
    clear.RenderFrame(0);
    EXPECT_EQ(GlTestContext::Pixel(10, 10).b, 255);
    EXPECT_EQ(clear.m_method, 0);
    clear.RenderFrame(0);
    const Rgba black = GlTestContext::Pixel(10, 10);
    EXPECT_EQ(black.r + black.g + black.b, 0);
}

TEST(ClearEffect, FadeDownEndsJustAboveZeroAndRestartsFromTheTop)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    CClearEffect clear;
    clear.Init(64, 48);
    Send(clear, "METHOD", 3);
    int clears = 0;
    float lastLevel = -1.0f;
    for (int call = 0; call < 120 && clear.m_method == 3; ++call)
    {
        Paint(0.0f, 1.0f, 0.0f);
        clear.RenderFrame(0);
        if (GlTestContext::Pixel(5, 5).g != 255 || GlTestContext::Pixel(5, 5).r != 0)
        {
            ++clears;
            GLfloat colour[4];
            glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
            lastLevel = colour[0];
        }
    }
    // 101 clears from 1.0 down to about 0.00000067; the 102nd call found the level at or below 0.
    EXPECT_EQ(clears, 101);
    EXPECT_GT(lastLevel, 0.0f);
    EXPECT_LT(lastLevel, 0.00001f);
    EXPECT_EQ(clear.m_method, 0);

    // Sending a fade again restarts it from its start level.
    Send(clear, "METHOD", 2);
    EXPECT_EQ(clear.m_level, 0.0f);
    Send(clear, "METHOD", 3);
    EXPECT_EQ(clear.m_level, 1.0f);
    // Other methods keep the level.
    Send(clear, "METHOD", 1);
    EXPECT_EQ(clear.m_level, 1.0f);
}

TEST(ClearEffect, LetterboxScissorBoxes)
{
    struct Case
    {
        int width, height;
        int y, boxHeight;
    };
    const Case cases[] = {{640, 480, 96, 311}, {800, 600, 120, 389}};
    for (const Case& c : cases)
    {
        ASSERT_TRUE(GlTestContext::Create(c.width, c.height));
        CClearEffect clear;
        clear.Init(c.width, c.height);
        Send(clear, "SCISSOR", 1);
        clear.RenderFrame(0);
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        EXPECT_EQ(box[0], 0);
        EXPECT_EQ(box[1], c.y) << c.width << "x" << c.height;
        EXPECT_EQ(box[2], c.width);
        EXPECT_EQ(box[3], c.boxHeight) << c.width << "x" << c.height;
        EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));

        // Later drawing of the frame stays inside the band.
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y - 1).r, 0);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y).r, 255);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y + c.boxHeight - 1).r, 255);
        EXPECT_EQ(GlTestContext::Pixel(5, c.y + c.boxHeight).r, 0);

        // "SCISSOR" 2 switches the letterbox off as 0 does: method 0 disables the test.
        Send(clear, "SCISSOR", 2);
        clear.RenderFrame(0);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    }
}

TEST(ClearEffect, ScissorOffDoesNotDisableTheTestOutsideMethodZero)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    CClearEffect clear;
    clear.Init(64, 48);
    Send(clear, "SCISSOR", 1);
    clear.RenderFrame(0);
    Send(clear, "METHOD", 4);
    Send(clear, "SCISSOR", 0);
    clear.RenderFrame(0);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST(ClearEffect, TrailDarkensByATenthAndClearsNothing)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    CClearEffect clear;
    clear.Init(64, 48);
    Send(clear, "METHOD", 1);
    Paint(1.0f, 1.0f, 1.0f);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    clear.RenderFrame(0);

    // 255 * 0.9 = 229.5: every pixel, corners included, is darkened once.
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{63, 47}, std::pair{32, 24}})
        EXPECT_NEAR(GlTestContext::Pixel(x, y).r, 229.5, 1.0) << x << "," << y;
    float depth = 0.0f;
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.25f, 1e-4f);

    // What stays behind: blending off, black colour with alpha 0.1, the 200-unit projection.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.1f);
    GLint blend[2];
    glGetIntegerv(GL_BLEND_SRC, &blend[0]);
    glGetIntegerv(GL_BLEND_DST, &blend[1]);
    EXPECT_EQ(blend[0], GL_SRC_ALPHA);
    EXPECT_EQ(blend[1], GL_ONE_MINUS_SRC_ALPHA);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(projection[0], f / (64.0 / 48.0), 1e-6);
    EXPECT_NEAR(projection[10], (200.0 + 0.1) / (0.1 - 200.0), 1e-5);

    // Ten more frames: 0.9^11 of white remains.
    for (int i = 0; i < 10; ++i)
        clear.RenderFrame(0);
    EXPECT_NEAR(GlTestContext::Pixel(32, 24).r, 255.0 * std::pow(0.9, 11), 4.0);
}

TEST(ClearEffect, OtherMethodsAndOtherNamesDrawNothing)
{
    ASSERT_TRUE(GlTestContext::Create(64, 48));
    for (int method : {4, -1})
    {
        CClearEffect clear;
        clear.Init(64, 48);
        Send(clear, "METHOD", method);
        Paint(0.0f, 1.0f, 0.0f);
        clear.RenderFrame(0);
        EXPECT_EQ(GlTestContext::Pixel(3, 3).g, 255) << method;
        EXPECT_EQ(clear.m_method, method);
    }
    CClearEffect clear;
    clear.Init(64, 48);
    for (const char* name : {"method", "METHODS", "METHO", "Scissor", "SCISSOR "})
        Send(clear, name, 1);
    EXPECT_EQ(clear.m_method, 0);
    EXPECT_FALSE(clear.m_scissor);
}

} // namespace

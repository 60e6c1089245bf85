// FLAG: the sine grid, the wave that moves by frame count (first shift after the third frame),
// the filled side that faces the viewer, and the state left behind.
#include "Flag.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

#include "EffectFixture.h"

namespace
{

constexpr int kGrid = CFlagEffect::kGridSize;
// At elapsed -1 the rocking argument is 0: the flag stands square to the viewer.
constexpr long kUnrocked = -1;

static_assert(std::is_same_v<decltype(&CFlagEffect::ReceiveInt), void (CEffect::*)(char*, int, long)>,
              "FLAG keeps the library's ReceiveInt");

class Flag : public EffectTest<CFlagEffect>
{
protected:
    Flag() : EffectTest(320, 240) {}

    // Left half red, right half blue, across the flag's width.
    void StartWithPicture()
    {
        ASSERT_TRUE(WriteTestJpeg("t_flag.jpg", 64, 64, LeftRight({255, 0, 0}, {0, 0, 255}, 32)));
        ASSERT_NO_FATAL_FAILURE(Start());
    }

    // The depth of each column (every row holds the same).
    void ColumnDepths(float (&depths)[kGrid]) const
    {
        for (int i = 0; i < kGrid; ++i)
            depths[i] = m_effect.m_points[i][0][2];
    }
};

TEST_F(Flag, GridHoldsOneSinePeriodAcrossItsColumns)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPicture());
    EXPECT_NE(m_effect.m_texture, 0u);
    EXPECT_EQ(m_effect.m_frameCount, 0);
    EXPECT_EQ(m_effect.m_timeOffset, -1);
    for (int i = 0; i < kGrid; ++i)
        for (int j = 0; j < kGrid; ++j)
        {
            const float* point = m_effect.m_points[i][j];
            ASSERT_NEAR(point[0], -4.5 + 0.2 * i, 1e-6) << i << ", " << j;
            ASSERT_NEAR(point[1], -4.5 + 0.2 * j, 1e-6) << i << ", " << j;
            // 8 degrees a column.
            ASSERT_NEAR(point[2], std::sin(i * 8.0 * M_PI / 180.0), 1e-6) << i << ", " << j;
        }
    EXPECT_FLOAT_EQ(m_effect.m_points[44][44][0], 4.3f);
}

TEST_F(Flag, WaveShiftsAfterTheThirdFrameThenEverySecondFrame)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPicture());
    float initial[kGrid];
    ColumnDepths(initial);
    // Column i shows the depth that started in column (i + shifts) mod 45, in every row.
    auto expectShifted = [&](int shifts, int frames) {
        for (int i = 0; i < kGrid; ++i)
            for (int j = 0; j < kGrid; ++j)
                ASSERT_EQ(m_effect.m_points[i][j][2], initial[(i + shifts) % kGrid])
                    << "after " << frames << " frames, column " << i << " row " << j;
    };

    const int expectedShifts[] = {0, 0, 0, 1, 1, 2, 2, 3};
    for (int frame = 1; frame <= 7; ++frame)
    {
        Render(frame * 1000L);
        expectShifted(expectedShifts[frame], frame);
    }

    // End and Prepare touch only the texture: the wave goes on from where it stopped, and
    // the time passed in does not matter.
    End();
    Prepare();
    Render(0);
    expectShifted(3, 8);
    Render(0);
    expectShifted(4, 9);

    // 45 shifts bring the depths back: the shifts follow frames 3, 5, ..., 91.
    for (int frame = 10; frame <= 91; ++frame)
        Render(frame);
    expectShifted(0, 91);
}

TEST_F(Flag, DrawsTheFilledSideFacingTheViewerAdditively)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPicture());
    FillFrame({50, 50, 50});
    Render(kUnrocked);
    SaveFrame("flag_unrocked");

    // Translated to (0, 0.5, -17): column 0 (x -4.5) lies at depth 17, column 44 (x 4.3) at
    // depth 17 - sin(352 degrees). The red half is on the left, the blue half on the right.
    const double left = ScreenX(-4.5, 17.0);
    const double right = ScreenX(4.3, 17.0 - std::sin(352.0 * M_PI / 180.0));
    const double top = ScreenY(4.8, 17.0);
    const double bottom = ScreenY(-4.0, 17.0);
    const int row = Height() / 2;
    const Rgb frame{50, 50, 50};
    EXPECT_TRUE(PixelNear(static_cast<int>(left) - 2, row, frame, 0));
    EXPECT_TRUE(PixelNear(static_cast<int>(left) + 3, row, {255, 50, 50}, 12));
    EXPECT_TRUE(PixelNear(static_cast<int>(ScreenX(-1.5, 17.0)), row, {255, 50, 50}, 12));
    EXPECT_TRUE(PixelNear(static_cast<int>(ScreenX(1.5, 17.0)), row, {50, 50, 255}, 12));
    EXPECT_TRUE(PixelNear(static_cast<int>(right) - 3, row, {50, 50, 255}, 12));
    EXPECT_TRUE(PixelNear(static_cast<int>(right) + 2, row, frame, 0));
    // At x = 0, halfway between columns 22 and 23, the depths +-sin(4 degrees) average to
    // depth 17: the top row (y 4.3 + 0.5) and the bottom row (y -4.5 + 0.5) land there.
    EXPECT_TRUE(PixelNear(Width() / 2, static_cast<int>(top) + 2, frame, 0));
    EXPECT_FALSE(PixelNear(Width() / 2, static_cast<int>(top) - 3, frame, 60));
    EXPECT_TRUE(PixelNear(Width() / 2, static_cast<int>(bottom) - 2, frame, 0));
    EXPECT_FALSE(PixelNear(Width() / 2, static_cast<int>(bottom) + 3, frame, 60));

    // Rocked by about 13 degrees it is still the filled side that shows.
    ResetFrame();
    Render(1000);
    SaveFrame("flag_rocked");
    EXPECT_TRUE(PixelNear(static_cast<int>(ScreenX(-1.5, 17.0)), row, {255, 0, 0}, 12));
}

TEST_F(Flag, PopRestoresPolygonModeAndLeavesTheRockedMatrix)
{
    ASSERT_NO_FATAL_FAILURE(StartWithPicture());
    glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glShadeModel(GL_FLAT);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);

    Render(1000);

    const auto modes = GetInts(GL_POLYGON_MODE);
    EXPECT_EQ(modes[0], GL_POINT);
    EXPECT_EQ(modes[1], GL_POINT);
    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);

    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_texture));
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);

    // Translated to (0, 0.5, -17) and turned about x by 20 sin(1001 x 0.0007) degrees.
    const double theta = 20.0 * std::sin(1001 * 0.0007) * M_PI / 180.0;
    const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_NEAR(modelView[12], 0.0, 1e-6);
    EXPECT_NEAR(modelView[13], 0.5, 1e-6);
    EXPECT_NEAR(modelView[14], -17.0, 1e-6);
    EXPECT_NEAR(modelView[5], std::cos(theta), 1e-5);
    EXPECT_NEAR(modelView[6], std::sin(theta), 1e-5);
    EXPECT_NEAR(modelView[9], -std::sin(theta), 1e-5);
    EXPECT_NEAR(ReadMatrix(GL_PROJECTION_MATRIX)[10], -100.1 / 99.9, 1e-6);
}

TEST_F(Flag, InitReportsAMissingTexture)
{
    EXPECT_EQ(Init(), 1);
    EXPECT_EQ(m_effect.m_texture, 0u);
    // The grid is filled all the same.
    EXPECT_NEAR(m_effect.m_points[11][3][2], 1.0, 1e-3);
}

} // namespace

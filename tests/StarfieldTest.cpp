// STARFIELD: the scatter from the shared random source (and the order in which PARTY and
// STARFIELD draw from it), travel, the wrap to exactly the far end, backing away on a negative
// step, "RESET", the sprites' alpha and rotation on screen, and the state left behind.
#include "Starfield.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Background.h"
#include "Clear.h"
#include "EffectFixture.h"
#include "Flag.h"
#include "Image.h"
#include "Party.h"
#include "ReferenceRandom.h"

namespace
{

constexpr int kStars = CStarfieldEffect::kStarCount;

// The star a scatter makes of the next three numbers of the reference sequence.
void ExpectScattered(const float* star, ReferenceRandom& random)
{
    EXPECT_EQ(star[0], static_cast<float>(random.Next() % 800) * 0.025f - 10.0f);
    EXPECT_EQ(star[1], static_cast<float>(random.Next() % 200) * 0.1f - 10.0f);
    EXPECT_EQ(star[2], static_cast<float>(random.Next() % 400) * 0.1f - 20.0f);
}

// The turn about the line of sight at an elapsed time, in degrees.
double TurnDegrees(long elapsed)
{
    const double phase = static_cast<float>((elapsed + 1) * 0.0005);
    return 250.0 * std::sin(0.55 * phase) + 80.0 * std::cos(2.3 * phase);
}

class Starfield : public EffectTest<CStarfieldEffect>
{
protected:
    Starfield() : EffectTest(320, 240) {}

    void StartWithStar()
    {
        ASSERT_TRUE(WriteTestJpeg("star_64.jpg", 64, 64, Solid(255, 255, 255)));
        DemoSrand(1);
        ASSERT_NO_FATAL_FAILURE(Start());
    }

    // Every star at the far end, where it is drawn with alpha 0.
    void AllFar()
    {
        for (auto& star : m_effect.m_stars)
        {
            star[0] = star[1] = 0.0f;
            star[2] = -20.0f;
        }
    }
};

TEST_F(Starfield, PartyAndStarfieldDrawFromTheSharedRandomSourceInRegistrationOrder)
{
    ASSERT_TRUE(WriteTestJpeg("particle.jpg", 8, 8, Solid(255, 255, 255)));
    ASSERT_TRUE(WriteTestJpeg("star_64.jpg", 8, 8, Solid(255, 255, 255)));
    ASSERT_TRUE(WriteTestJpeg("t_flag.jpg", 8, 8, Solid(255, 255, 255)));

    // The loading phase, in registration order, for the effects built here.
    DemoSrand(1);
    CBackgroundEffect background;
    CImageEffect image;
    CClearEffect clear;
    CFlagEffect flag;
    CPartyEffect party;
    CStarfieldEffect starfield;
    Init(background);
    Init(image);
    Init(clear);
    EXPECT_EQ(Init(flag), 0);
    EXPECT_EQ(Init(party), 0);
    EXPECT_EQ(Init(starfield), 0);

    // PARTY takes the first 640 numbers, four per particle, left and right in turn.
    ReferenceRandom random;
    const int r1 = random.Next();
    const int r2 = random.Next();
    const int r3 = random.Next();
    const int r4 = random.Next();
    const CPartyEffect::Particle& first = party.m_particles[0][0];
    EXPECT_FLOAT_EQ(first.fade, static_cast<float>((r1 % 100) * 0.001 + 0.003));
    EXPECT_EQ(first.velocity[0], static_cast<float>((r2 % 50) * 20));
    EXPECT_EQ(first.velocity[1], static_cast<float>((r3 % 50 - 50) * 20));
    EXPECT_EQ(first.velocity[2], static_cast<float>((r4 % 50 - 25) * 20));
    random.Next();
    EXPECT_EQ(party.m_particles[0][1].velocity[0], static_cast<float>((random.Next() % 50 - 50) * 20));
    random.Skip(640 - 6);

    // STARFIELD's Init the next 600, three per star.
    ExpectScattered(starfield.m_stars[0], random);
    random.Skip(3 * (kStars - 2));
    ExpectScattered(starfield.m_stars[kStars - 1], random);

    // Its first frame scatters once more from the next 600, and does not move the stars.
    Prepare(starfield);
    Render(starfield, 2500);
    for (int k = 0; k < kStars; ++k)
    {
        SCOPED_TRACE(testing::Message() << "star " << k);
        ExpectScattered(starfield.m_stars[k], random);
    }
    EXPECT_EQ(DemoRand(), random.Next());
    End(starfield);
}

TEST_F(Starfield, StarsTravelEightUnitsASecondAndWrapToExactlyTheFarEnd)
{
    ASSERT_NO_FATAL_FAILURE(StartWithStar());
    Render(0);
    EXPECT_FALSE(m_effect.m_resetPending);
    float (&stars)[kStars][3] = m_effect.m_stars;
    stars[0][2] = 0.0f;
    stars[1][0] = 3.5f;
    stars[1][2] = 19.9f;
    stars[2][2] = 12.0f;
    stars[3][2] = 20.0f;

    Render(1000);
    EXPECT_FLOAT_EQ(m_effect.m_step, 4.0f);
    EXPECT_EQ(stars[0][2], 8.0f);
    // Past 20: exactly the far end, not the far end plus the overshoot; x and y stay.
    EXPECT_EQ(stars[1][2], -20.0f);
    EXPECT_EQ(stars[1][0], 3.5f);
    EXPECT_EQ(stars[3][2], -20.0f);
    // Exactly 20 is not past it.
    EXPECT_EQ(stars[2][2], 20.0f);
    Render(1000);
    EXPECT_EQ(stars[2][2], 20.0f);
    Render(1001);
    EXPECT_EQ(stars[2][2], -20.0f);

    // An earlier time than the last frame's: the stars back away, past the far end too.
    stars[4][2] = -19.9f;
    Render(501);
    EXPECT_FLOAT_EQ(m_effect.m_step, -2.0f);
    EXPECT_FLOAT_EQ(stars[4][2], -23.9f);
    EXPECT_FLOAT_EQ(stars[0][2], 8.0f + 0.008f - 4.0f);

    // End and Prepare reset nothing: the step spans the gap to the last frame drawn.
    End();
    Prepare();
    Render(751);
    EXPECT_FLOAT_EQ(m_effect.m_step, 1.0f);
    EXPECT_FLOAT_EQ(stars[4][2], -21.9f);
}

TEST_F(Starfield, ResetScattersAgainAtTheNextFrameOnly)
{
    ASSERT_NO_FATAL_FAILURE(StartWithStar());
    Render(100);
    for (const char* ignored : {"reset", "RESET1", "RESE", "Reset"})
    {
        Send(ignored, 1);
        EXPECT_FALSE(m_effect.m_resetPending) << ignored;
    }
    Render(200);
    const float before = m_effect.m_stars[7][2];

    ReferenceRandom random;
    random.Skip(1200);
    Send("RESET", 0);
    EXPECT_TRUE(m_effect.m_resetPending);
    EXPECT_EQ(m_effect.m_stars[7][2], before);
    // Freshly scattered, and not moved although 5 s have passed.
    Render(5200);
    EXPECT_FALSE(m_effect.m_resetPending);
    EXPECT_EQ(m_effect.m_lastTime, 5200);
    EXPECT_EQ(m_effect.m_step, 0.0f);
    for (int k = 0; k < kStars; ++k)
    {
        SCOPED_TRACE(testing::Message() << "star " << k);
        ExpectScattered(m_effect.m_stars[k], random);
    }
    // The next frame moves them again.
    const float z = m_effect.m_stars[0][2];
    Render(5300);
    EXPECT_TRUE(m_effect.m_stars[0][2] == z + 0.8f || m_effect.m_stars[0][2] == -20.0f);
}

TEST_F(Starfield, StarsFadeInWithNearnessAndTurnAboutTheLineOfSight)
{
    ASSERT_NO_FATAL_FAILURE(StartWithStar());
    const long t = -1;  // the turn is 80 degrees here
    Render(t);
    ASSERT_NEAR(TurnDegrees(t), 80.0, 1e-9);
    const int cx = Width() / 2;
    const int cy = Height() / 2;

    // One star half way in (z -10, drawn at depth 30): alpha 0.5.
    AllFar();
    m_effect.m_stars[0][2] = -10.0f;
    ResetFrame();
    Render(t);
    SaveFrame("starfield_half_alpha");
    EXPECT_TRUE(PixelNear(cx, cy, Rgb{128, 128, 128}, 3));

    // Nearer than z 0 the alpha is clamped to 1.
    AllFar();
    m_effect.m_stars[0][2] = 10.0f;
    ResetFrame();
    Render(t);
    EXPECT_TRUE(PixelNear(cx, cy, Rgb{255, 255, 255}, 2));

    // Within 0.1 of the eye it lies before the near plane and is clipped away.
    AllFar();
    m_effect.m_stars[0][2] = 19.95f;
    ResetFrame();
    Render(t);
    EXPECT_TRUE(PixelNear(cx, cy, Rgb{0, 0, 0}, 0));

    // A star at (3, 0), drawn at depth 10, shows turned by 80 degrees about the centre.
    AllFar();
    m_effect.m_stars[0][0] = 3.0f;
    m_effect.m_stars[0][2] = 10.0f;
    ResetFrame();
    Render(t);
    SaveFrame("starfield_turned");
    const double turn = 80.0 * M_PI / 180.0;
    const int x = static_cast<int>(ScreenX(3.0 * std::cos(turn), 10.0));
    const int y = static_cast<int>(ScreenY(3.0 * std::sin(turn), 10.0));
    EXPECT_TRUE(PixelNear(x, y, Rgb{255, 255, 255}, 2));
    EXPECT_TRUE(PixelNear(static_cast<int>(ScreenX(3.0, 10.0)), cy, Rgb{0, 0, 0}, 0));

    // A whole field, a few seconds in.
    ResetFrame();
    Send("RESET", 1);
    for (long time = 0; time <= 3000; time += 40)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        Render(time);
    }
    SaveFrame("starfield_field");
}

TEST_F(Starfield, PopRestoresEnablesAndLeavesTheTurnAndTheLastAlpha)
{
    ASSERT_NO_FATAL_FAILURE(StartWithStar());
    Render(0);
    m_effect.m_stars[kStars - 1][2] = -4.0f;
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glShadeModel(GL_FLAT);
    glHint(GL_POINT_SMOOTH_HINT, GL_FASTEST);

    Render(2000);

    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_POINT_SMOOTH_HINT), GL_NICEST);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_texture));
    // White with the alpha of the last star, taken before it moved: (-4 + 20) x 0.05.
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[1], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.8f);
    // Turned about z.
    const double turn = TurnDegrees(2000) * M_PI / 180.0;
    const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_NEAR(modelView[0], std::cos(turn), 1e-5);
    EXPECT_NEAR(modelView[1], std::sin(turn), 1e-5);
    EXPECT_NEAR(modelView[10], 1.0, 1e-6);
    EXPECT_NEAR(modelView[14], 0.0, 1e-6);
}

TEST_F(Starfield, InitReportsAMissingTexture)
{
    EXPECT_EQ(Init(), 1);
    EXPECT_EQ(m_effect.m_texture, 0u);
    EXPECT_TRUE(m_effect.m_resetPending);
}

} // namespace

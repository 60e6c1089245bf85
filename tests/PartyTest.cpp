// PARTY: particles thrown from the shared random source, moved by the clock, bent and faded by
// the frame count, re-thrown on exact frames; sprites drawn with their life as alpha; the state
// left behind.
#include "Party.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <type_traits>

#include "EffectFixture.h"
#include "ReferenceRandom.h"

namespace
{

constexpr int kCount = CPartyEffect::kParticlesPerEmitter;
constexpr double kSpriteDistance = 35.0;

static_assert(std::is_same_v<decltype(&CPartyEffect::ReceiveInt), void (CEffect::*)(char*, int, long)>,
              "PARTY keeps the library's ReceiveInt");

using Particle = CPartyEffect::Particle;

// What a throw from the emitter makes of the next four numbers of the reference sequence.
void ExpectThrown(const Particle& p, int emitter, ReferenceRandom& random)
{
    const bool left = emitter == CPartyEffect::kLeftEmitter;
    EXPECT_TRUE(p.active);
    EXPECT_EQ(p.life, 1.0f);
    EXPECT_FLOAT_EQ(p.fade, static_cast<float>((random.Next() % 100) * 0.001 + 0.003));
    const int speedX = random.Next() % 50;
    EXPECT_EQ(p.velocity[0], static_cast<float>(left ? speedX * 20 : (speedX - 50) * 20));
    EXPECT_EQ(p.velocity[1], static_cast<float>((random.Next() % 50 - 50) * 20));
    EXPECT_EQ(p.velocity[2], static_cast<float>((random.Next() % 50 - 25) * 20));
    EXPECT_EQ(p.acceleration[0], left ? 1.0f : -1.0f);
    EXPECT_EQ(p.acceleration[1], -0.5f);
    EXPECT_EQ(p.acceleration[2], 0.0f);
    EXPECT_EQ(p.position[0], left ? -17.0f : 17.0f);
    EXPECT_EQ(p.position[1], 9.0f);
    EXPECT_EQ(p.position[2], 0.0f);
}

class Party : public EffectTest<CPartyEffect>
{
protected:
    Party() : EffectTest(320, 240) {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EffectTest::SetUp());
        // Left half red, right half green.
        ASSERT_TRUE(WriteTestJpeg("particle.jpg", 64, 64, LeftRight({255, 0, 0}, {0, 255, 0}, 32)));
        DemoSrand(1);
        ASSERT_NO_FATAL_FAILURE(Start());
    }

    // Every particle but one keeps its life for ever.
    void OnlyOneFades(int index, int emitter)
    {
        for (auto& row : m_effect.m_particles)
            for (Particle& p : row)
                p.fade = 0.0f;
        m_effect.m_particles[index][emitter].life = 1.0f;
    }
};

TEST_F(Party, InitThrowsEveryParticleFromItsEmitterInAlternation)
{
    EXPECT_NE(m_effect.m_texture, 0u);
    EXPECT_EQ(m_effect.m_timeScale, 50000.0f);
    EXPECT_EQ(m_effect.m_depthOffset, -35.0f);
    ReferenceRandom random;
    for (int i = 0; i < kCount; ++i)
        for (int e = 0; e < CPartyEffect::kEmitters; ++e)
        {
            SCOPED_TRACE(testing::Message() << "particle " << i << " emitter " << e);
            ExpectThrown(m_effect.m_particles[i][e], e, random);
        }
    // Exactly 640 numbers were drawn.
    EXPECT_EQ(DemoRand(), random.Next());
}

TEST_F(Party, MotionFollowsTheClockBendingAndFadingTheFrames)
{
    Particle start[kCount][2];
    for (int i = 0; i < kCount; ++i)
        for (int e = 0; e < 2; ++e)
            start[i][e] = m_effect.m_particles[i][e];

    // After Prepare the first step is elapsed / 50000.
    Render(1000);
    EXPECT_FLOAT_EQ(m_effect.m_step, 0.02f);
    EXPECT_EQ(m_effect.m_lastTime, 1000);
    // A second frame at the same time: no movement, but the velocity bends and life drops.
    Render(1000);
    EXPECT_EQ(m_effect.m_step, 0.0f);
    for (int i = 0; i < kCount; ++i)
        for (int e = 0; e < 2; ++e)
        {
            const Particle& before = start[i][e];
            const Particle& after = m_effect.m_particles[i][e];
            for (int k = 0; k < 3; ++k)
            {
                ASSERT_NEAR(after.position[k], before.position[k] + 0.02 * before.velocity[k], 1e-4) << i << "/" << e;
                ASSERT_EQ(after.velocity[k], before.velocity[k] + 2 * before.acceleration[k]) << i << "/" << e;
            }
            ASSERT_NEAR(after.life, 1.0 - 2 * before.fade, 1e-6) << i << "/" << e;
        }

    // The particles live on across End and Prepare; only the clock starts again.
    Particle kept = m_effect.m_particles[5][1];
    End();
    Prepare();
    EXPECT_EQ(m_effect.m_lastTime, 0);
    EXPECT_EQ(m_effect.m_particles[5][1].position[0], kept.position[0]);
    EXPECT_EQ(m_effect.m_particles[5][1].life, kept.life);
    Render(500);
    EXPECT_FLOAT_EQ(m_effect.m_step, 0.01f);
    EXPECT_NEAR(m_effect.m_particles[5][1].position[1], kept.position[1] + 0.01 * kept.velocity[1], 1e-4);
}

TEST_F(Party, LifeRunsOutOnExactFrameCountsAndTheParticleIsThrownAgain)
{
    ReferenceRandom random;
    random.Skip(640);
    Particle& p = m_effect.m_particles[3][CPartyEffect::kRightEmitter];
    OnlyOneFades(3, CPartyEffect::kRightEmitter);

    // The largest fade, 0.102, lives ten frames.
    p.fade = static_cast<float>(99 * 0.001 + 0.003);
    for (int frame = 1; frame <= 9; ++frame)
    {
        Render(frame * 16);
        ASSERT_GT(p.life, 0.0f) << "frame " << frame;
        ASSERT_LT(p.life, 1.0f) << "frame " << frame;
    }
    Render(160);
    // Thrown again in the same frame, from the next four numbers of the shared sequence.
    ExpectThrown(p, CPartyEffect::kRightEmitter, random);

    // The smallest fade, 0.003, lives 334 frames.
    p.fade = 0.003f;
    int frames = 0;
    do
    {
        Render(1000);
        ++frames;
    } while (p.life != 1.0f && frames < 1000);
    EXPECT_EQ(frames, 334);
    ExpectThrown(p, CPartyEffect::kRightEmitter, random);

    // A life of exactly 0 is drawn once more and the particle is thrown on the next frame.
    p.life = 0.5f;
    p.fade = 0.25f;
    Render(1000);
    Render(1000);
    EXPECT_EQ(p.life, 0.0f);
    EXPECT_EQ(p.fade, 0.25f);
    Render(1000);
    ExpectThrown(p, CPartyEffect::kRightEmitter, random);
    // No other particle drew a number meanwhile.
    EXPECT_EQ(DemoRand(), random.Next());
}

TEST_F(Party, SpritesAreDrawnAtTheEmittersWithTheirLifeAsAlpha)
{
    // The first frame draws every particle where it was thrown: at the two emitters.
    Render(16);
    SaveFrame("party_first_frame");
    const int emitterRow = static_cast<int>(ScreenY(9.0, kSpriteDistance));
    EXPECT_FALSE(PixelNear(static_cast<int>(ScreenX(-17.0, kSpriteDistance)), emitterRow, Rgb{0, 0, 0}, 100));
    EXPECT_FALSE(PixelNear(static_cast<int>(ScreenX(17.0, kSpriteDistance)), emitterRow, Rgb{0, 0, 0}, 100));
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, Rgb{0, 0, 0}, 0));

    // A few frames later the fountains have spread towards the centre and down.
    for (int frame = 2; frame <= 40; ++frame)
        Render(frame * 16);
    ResetFrame();
    Render(41 * 16);
    SaveFrame("party_frame_41");

    // One sprite alone at the centre with half its life: half of each texture half is added.
    ResetFrame();
    for (auto& row : m_effect.m_particles)
        for (Particle& p : row)
            p.active = false;
    Particle& p = m_effect.m_particles[0][0];
    p.active = true;
    p.life = 0.5f;
    p.position[0] = p.position[1] = p.position[2] = 0.0f;
    Render(41 * 16);
    SaveFrame("party_one_sprite");
    // The sprite is 1 x 1 at depth 35, about 8.3 pixels wide here.
    const double unit = ScreenX(1.0, kSpriteDistance) - ScreenX(0.0, kSpriteDistance);
    ASSERT_GT(unit, 8.0);
    EXPECT_TRUE(PixelNear(Width() / 2 - 3, Height() / 2, Rgb{128, 0, 0}, 3));
    EXPECT_TRUE(PixelNear(Width() / 2 + 2, Height() / 2, Rgb{0, 128, 0}, 3));
    EXPECT_TRUE(PixelNear(Width() / 2 + 7, Height() / 2, Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2 - 7, Rgb{0, 0, 0}, 0));
}

TEST_F(Party, PopRestoresEnablesAndLeavesHintsAndTheLastAlpha)
{
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glShadeModel(GL_FLAT);
    glHint(GL_POINT_SMOOTH_HINT, GL_FASTEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    const float lastLife = m_effect.m_particles[kCount - 1][1].life;

    Render(20);

    EXPECT_TRUE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ZERO);

    EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(GetInt(GL_POINT_SMOOTH_HINT), GL_NICEST);
    EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    EXPECT_EQ(GetInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_effect.m_texture));
    // White, with the alpha of the last sprite drawn: the right emitter's particle 79.
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], lastLife);
    const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_DOUBLE_EQ(modelView[14], 0.0);
    EXPECT_DOUBLE_EQ(modelView[0], 1.0);
    EXPECT_NEAR(ReadMatrix(GL_PROJECTION_MATRIX)[10], -200.1 / 199.9, 1e-6);
    EXPECT_EQ(GetInts(GL_VIEWPORT)[3], Height());
}

} // namespace

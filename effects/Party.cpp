// PARTY: a particle fountain. Two emitters high on the left and right throw 80 additive
// sprites each towards the centre and down; they fade and are thrown again when spent. The
// flight follows the clock, the bending and the fading follow the frame count.
// Leaves behind: the viewport, both matrices (identity model-view), the current colour (white
// with the last sprite's alpha), the sprite texture's binding, smooth shading and the two hints.
// Depends on the shared random source: its Init draws 640 numbers, each respawn four.
#include "Party.h"

#include "EffectCommon.h"
#include "Sprites.h"

namespace {

// Where the emitters throw from, before the depth offset.
constexpr float kEmitterX = 17.0f;
constexpr float kEmitterY = 9.0f;

} // namespace

CPartyEffect::CPartyEffect() = default;
CPartyEffect::~CPartyEffect() = default;

void CPartyEffect::Respawn(int index, int emitter)
{
    Particle& particle = m_particles[index][emitter];
    const bool left = emitter == kLeftEmitter;
    particle.active = true;
    particle.life = 1.0f;
    // Four draws, in this order: fade, then velocity x, y and z.
    particle.fade = static_cast<float>((DemoRand() % 100) * 0.001 + 0.003);
    const int speedX = DemoRand() % 50;
    particle.velocity[0] = static_cast<float>(left ? speedX * 20 : (speedX - 50) * 20);
    particle.velocity[1] = static_cast<float>(((DemoRand() % 50) - 50) * 20);
    particle.velocity[2] = static_cast<float>(((DemoRand() % 50) - 25) * 20);
    particle.acceleration[0] = left ? 1.0f : -1.0f;
    particle.acceleration[1] = -0.5f;
    particle.acceleration[2] = 0.0f;
    particle.position[0] = left ? -kEmitterX : kEmitterX;
    particle.position[1] = kEmitterY;
    particle.position[2] = 0.0f;
}

int CPartyEffect::Init(int iWidth, int iHeight)
{
    m_timeScale = 50000.0f;
    m_depthOffset = -35.0f;
    // Left and right alternate: left 0, right 0, left 1, right 1, ...
    for (int i = 0; i < kParticlesPerEmitter; ++i)
    {
        Respawn(i, kLeftEmitter);
        Respawn(i, kRightEmitter);
    }
    m_width = iWidth;
    m_height = iHeight;
    // A failed load leaves texture object 0 bound; the fountain still runs.
    m_texture = LoadEffectTexture("particle.jpg", kImageTypeJpeg, GL_REPEAT, GL_RGB5_A1);
    return 0;
}

void CPartyEffect::Prepare()
{
    DEMOGL_TextureUpload(m_texture);
    m_lastTime = 0;
}

void CPartyEffect::End() { DEMOGL_TextureUnUpload(m_texture); }

void CPartyEffect::RenderFrame(long lElapsedTime)
{
    OpenSpriteFrame(m_width, m_height, m_texture);

    // The step follows the clock; the difference is taken in whole milliseconds (widened, so
    // that no pair of 32-bit times can overflow it).
    const int elapsed = static_cast<int>(lElapsedTime);
    m_step = static_cast<float>(static_cast<long long>(elapsed) - m_lastTime) / m_timeScale;
    m_lastTime = elapsed;

    glLoadIdentity();
    for (int e = 0; e < kEmitters; ++e)
        for (int i = 0; i < kParticlesPerEmitter; ++i)
        {
            Particle& p = m_particles[i][e];
            if (!p.active)
                continue;
            const float x = p.position[0];
            const float y = p.position[1];
            const float z = p.position[2] + m_depthOffset;
            glColor4f(1.0f, 1.0f, 1.0f, p.life);
            DrawSprite(x, y, z);

            for (int k = 0; k < 3; ++k)
                p.position[k] += m_step * p.velocity[k];
            // Bending and fading go once per frame, whatever the frame's length.
            for (int k = 0; k < 3; ++k)
                p.velocity[k] += p.acceleration[k];
            p.life -= p.fade;
            // A life of exactly 0 is drawn once more (invisible) and thrown on the next frame.
            if (p.life < 0.0f)
                Respawn(i, e);
        }

    glPopAttrib();
}

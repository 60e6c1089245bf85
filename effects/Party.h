#pragma once

#include "DemoGL.h"

// Takes no script parameters: ReceiveInt keeps the library's default.
class CPartyEffect : public CEffect
{
public:
    struct Particle
    {
        // Moved and drawn; every spawn sets it and nothing clears it.
        bool active;
        // Remaining life, 1 at spawn; also the alpha the sprite is drawn with.
        float life;
        // Life lost per frame.
        float fade;
        float position[3];
        // Movement per unit of step.
        float velocity[3];
        // Added to the velocity once per frame.
        float acceleration[3];
    };

    static constexpr int kParticlesPerEmitter = 80;
    static constexpr int kEmitters = 2;
    static constexpr int kLeftEmitter = 0;
    static constexpr int kRightEmitter = 1;

    CPartyEffect();
    ~CPartyEffect() override;

    int Init(int iWidth, int iHeight) override;
    void RenderFrame(long lElapsedTime) override;
    void Prepare() override;
    void End() override;

    int m_width = 0;
    int m_height = 0;
    // particle.jpg
    unsigned int m_texture = 0;
    // Frame milliseconds are divided by this to give the movement step.
    float m_timeScale = 50000.0f;
    // Added to every particle's z when it is drawn.
    float m_depthOffset = -35.0f;
    // Elapsed time of the previous frame, ms.
    int m_lastTime = 0;
    // Movement step of the current frame.
    float m_step = 0.0f;
    // Particle i of emitter e is m_particles[i][e]; emitter 0 is the left one.
    Particle m_particles[kParticlesPerEmitter][kEmitters] = {};

private:
    void Respawn(int index, int emitter);
};

// BALLS: sixteen light balls, camera-facing squares added to the frame, on two pulsing rings of
// eight (in the x-y and y-z planes of a frame tumbling about a wandering centre), dimmed by
// exponential fog. Any script parameter makes the next frame clear colour and depth first.
// Leaves behind: light 1's colours and position (given under the model-view found on entry),
// the fog parameters, smooth shading, the two hints, modulate, white colour, viewport and
// matrices; blending, depth and enables are restored. Depends on the library's textures.
#include "Balls.h"

#include "EffectCommon.h"
#include "LightEnableKeeper.h"
#include "TexturedQuad.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

constexpr const char* kTextureFile = "lightball.jpg";
constexpr int kBallsPerRing = 8;
// The angle step between balls, as written: slightly below pi / 4.
constexpr float kBallStep = 0.78539815f;

} // namespace

CBallsEffect::CBallsEffect() = default;
CBallsEffect::~CBallsEffect() = default;

int CBallsEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    m_timeOffset = -1;
    m_texture = LoadEffectTexture(kTextureFile, kImageTypeJpeg, GL_REPEAT, GL_RGB5_A1);
    return m_texture != 0 ? 0 : 1;
}

void CBallsEffect::Prepare()
{
    DEMOGL_TextureUpload(m_texture);
}

void CBallsEffect::End()
{
    DEMOGL_TextureUnUpload(m_texture);
}

void CBallsEffect::ReceiveInt(char*, int, long)
{
    // Several parameters before one frame still give one clear.
    m_clearRequest = 1;
}

void CBallsEffect::RenderFrame(long lElapsedTime)
{
    const LightEnableKeeper light1(GL_LIGHT1);
    OpenEffectFrame(ClearValues::Kept);

    // Light 1 is set up but lighting itself stays as it is; the position is taken under the
    // model-view matrix the frame arrives with.
    const GLfloat ambient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat position[4] = {0.0f, 0.0f, 2.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glEnable(GL_LIGHT1);

    // The fog colour is whatever the frame already has.
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, 0.1f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 5.0f);
    glFogf(GL_FOG_END, 20.0f);
    glEnable(GL_FOG);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    SetViewAndProjection(m_width, m_height, 0.1, 100.0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    if (m_clearRequest == 1)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        m_clearRequest = 0;
    }
    glLoadIdentity();

    const double u = static_cast<double>(lElapsedTime - m_timeOffset) * 0.0005;
    glBindTexture(GL_TEXTURE_2D, m_texture);
    const float centreX = static_cast<float>(1.5 * std::sin(2.7 * u));
    const float centreY = static_cast<float>(0.5 * std::sin(3.9 * u));
    const float centreZ = static_cast<float>(-(std::sin(3.0 * u) + 8.5));
    // Tumble of the rings' frame, degrees.
    const float tumbleX = static_cast<float>(360.0 * std::sin(1.4 * u));
    const float tumbleY = static_cast<float>(520.0 * std::sin(0.9 * u));
    // Ring radii, each pulsing between 0.3 and 2.7.
    const float radius1 = static_cast<float>(1.2 * std::sin(3.9 * u) + 1.5);
    const float radius2 = static_cast<float>(1.2 * std::cos(4.6 * u) + 1.5);

    for (int ring = 0; ring < 2; ++ring)
    {
        for (int i = 0; i < kBallsPerRing; ++i)
        {
            const double angle = static_cast<double>(static_cast<float>(i) * kBallStep);
            glLoadIdentity();
            glTranslatef(centreX, centreY, centreZ);
            glRotatef(tumbleX, 1.0f, 0.0f, 0.0f);
            glRotatef(tumbleY, 0.0f, 1.0f, 0.0f);
            // The first ring lies in the frame's x-y plane, the second in its y-z plane.
            if (ring == 0)
                glTranslatef(static_cast<float>(radius1 * std::sin(angle)),
                             static_cast<float>(radius1 * std::cos(angle)), 0.0f);
            else
                glTranslatef(0.0f, static_cast<float>(radius2 * std::cos(angle)),
                             static_cast<float>(radius2 * std::sin(angle)));
            // Undo the tumble so the square faces the viewer.
            glRotatef(-tumbleY, 0.0f, 1.0f, 0.0f);
            glRotatef(-tumbleX, 1.0f, 0.0f, 0.0f);
            if (ring == 0)
                glBindTexture(GL_TEXTURE_2D, m_texture);
            // A camera-facing 2 x 2 square about the ball's centre.
            DrawTexturedRectangle(-1.0f, -1.0f, 1.0f, 1.0f, 0.0f);
        }
    }

    glPopAttrib();
    light1.Restore();
}

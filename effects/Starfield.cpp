// STARFIELD: 200 additive star sprites fly towards the viewer at 8 units a second, fade in
// with nearness, wrap back to the far end, and turn together about the line of sight.
// "RESET" scatters them again at the next frame. A start without it keeps the stars and the
// last frame's time: the first step after a restart is the new time minus the old one, large
// and negative, so the stars start far behind the far end (invisible, not wrapped) and come
// back at the usual speed, after about as long as the previous run had lasted. The show's
// script sends "RESET" with every later start.
// Leaves behind: the viewport, both matrices (the model-view turned about z), the current
// colour (white with the last star's alpha), the star texture's binding, smooth shading and
// the two hints.
// Depends on the shared random source: Init draws 600 numbers, every scatter 600 more.
#include "Starfield.h"

#include "EffectCommon.h"
#include "Sprites.h"

#include <cmath>
#include <cstring>

namespace {

// Stars live from z = -20 (the far end, alpha 0) to z = 20, where they wrap.
constexpr float kFarZ = -20.0f;
constexpr float kWrapZ = 20.0f;

} // namespace

CStarfieldEffect::CStarfieldEffect() = default;
CStarfieldEffect::~CStarfieldEffect() = default;

void CStarfieldEffect::Scatter()
{
    // Three draws per star, x, y, z, on grids of 0.025, 0.1 and 0.1 (single-precision factors).
    for (m_starIndex = 0; m_starIndex < kStarCount; ++m_starIndex)
    {
        float* star = m_stars[m_starIndex];
        star[0] = static_cast<float>(DemoRand() % 800) * 0.025f - 10.0f;
        star[1] = static_cast<float>(DemoRand() % 200) * 0.1f - 10.0f;
        star[2] = static_cast<float>(DemoRand() % 400) * 0.1f - 20.0f;
    }
}

int CStarfieldEffect::Init(int iWidth, int iHeight)
{
    m_depthOffset = -20.0f;
    Scatter();
    m_width = iWidth;
    m_height = iHeight;
    // The first frame scatters once more, continuing the random sequence.
    m_resetPending = true;
    m_timeOffset = -1;
    m_lastTime = 0;
    m_texture = LoadEffectTexture("star_64.jpg", kImageTypeJpeg, GL_REPEAT, GL_RGB5_A1);
    return m_texture != 0 ? 0 : 1;
}

void CStarfieldEffect::Prepare() { DEMOGL_TextureUpload(m_texture); }

void CStarfieldEffect::End() { DEMOGL_TextureUnUpload(m_texture); }

void CStarfieldEffect::ReceiveInt(char* pszName, int, long)
{
    if (std::strcmp(pszName, "RESET") == 0)
        m_resetPending = true;
}

void CStarfieldEffect::RenderFrame(long lElapsedTime)
{
    OpenSpriteFrame(m_width, m_height, m_texture);

    const int elapsed = static_cast<int>(lElapsedTime);
    // Freshly scattered stars do not move in their first frame.
    if (m_resetPending)
    {
        m_lastTime = elapsed;
        m_resetPending = false;
        Scatter();
    }
    // A time earlier than the last frame's gives a negative step: the stars back away.
    // (The difference is widened so that no pair of 32-bit times can overflow it.)
    m_step = static_cast<float>((static_cast<long long>(elapsed) - m_lastTime) * 0.004);
    m_lastTime = elapsed;
    const float phase = static_cast<float>((static_cast<long long>(elapsed) - m_timeOffset) * 0.0005);

    glLoadIdentity();
    glRotatef(static_cast<float>(250.0 * std::sin(0.55 * phase) + 80.0 * std::cos(2.3 * phase)), 0.0f, 0.0f,
              1.0f);

    for (m_starIndex = 0; m_starIndex < kStarCount; ++m_starIndex)
    {
        float* star = m_stars[m_starIndex];
        const float x = star[0];
        const float y = star[1];
        const float z = star[2] + m_depthOffset;
        // Invisible at the far end, full at z = 0; nearer stars are clamped to 1 by GL.
        glColor4f(1.0f, 1.0f, 1.0f, (star[2] + 20.0f) * 0.05f);
        DrawSprite(x, y, z);

        // Past the near end a star starts again exactly at the far end; a star at exactly 20
        // stays for one more frame.
        star[2] = star[2] + 2.0f * m_step;
        if (star[2] > kWrapZ)
            star[2] = kFarZ;
    }

    glPopAttrib();
}

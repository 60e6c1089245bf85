// FLAG: a textured 45 x 45 flag whose depth holds one sine period across its width. The wave
// travels one column towards -x every second frame (by frame count, not by time) and the flag
// rocks about the horizontal axis with time. Added to the frame without depth test or clear.
// Leaves behind: the viewport, both matrices (model-view at the flag), the white current
// colour, the flag's binding, smooth shading and the perspective hint.
// Depends on nothing but its texture.
#include "Flag.h"

#include "EffectCommon.h"

#include <cmath>

namespace {

constexpr int kQuads = CFlagEffect::kGridSize - 1;
// 1/44 as a float: the texture coordinate of one grid step.
constexpr float kTexStep = 0.022727273f;
// The nearest float to 1/360.
constexpr double kPerDegree = static_cast<double>(0.0027777778f);

} // namespace

CFlagEffect::CFlagEffect() = default;
CFlagEffect::~CFlagEffect() = default;

int CFlagEffect::Init(int iWidth, int iHeight)
{
    // 8 degrees of the sine per column, so the 45 columns hold exactly one period and the
    // wave stays seamless while it travels.
    for (int i = 0; i < kGridSize; ++i)
        for (int j = 0; j < kGridSize; ++j)
        {
            m_points[i][j][0] = static_cast<float>(0.2 * i - 4.5);
            m_points[i][j][1] = static_cast<float>(0.2 * j - 4.5);
            m_points[i][j][2] = static_cast<float>(std::sin(0.2 * i * 40.0 * kPerDegree * 6.283185308));
        }
    m_frameCount = 0;
    m_width = iWidth;
    m_height = iHeight;
    m_timeOffset = -1;
    m_texture = LoadEffectTexture("t_flag.jpg", kImageTypeJpeg, GL_CLAMP, GL_RGB5_A1);
    return m_texture != 0 ? 0 : 1;
}

void CFlagEffect::Prepare() { DEMOGL_TextureUpload(m_texture); }

void CFlagEffect::End() { DEMOGL_TextureUnUpload(m_texture); }

void CFlagEffect::RenderFrame(long lElapsedTime)
{
    glPushAttrib(kEffectAttribMask);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_DEPTH_TEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // The quads are clockwise as the camera sees them: the side facing the viewer is the back
    // face, drawn filled. The rocking never turns the line-drawn front towards the viewer.
    glPolygonMode(GL_BACK, GL_FILL);
    glPolygonMode(GL_FRONT, GL_LINE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    SetViewAndProjection(m_width, m_height, 0.1, 100.0);

    // Rocks +-20 degrees about x with a period of about nine seconds.
    const double theta = 20.0 * std::sin((lElapsedTime - m_timeOffset) * 0.0005 * 1.4);
    glLoadIdentity();
    glTranslatef(0.0f, 0.5f, -17.0f);
    glRotatef(static_cast<float>(theta), 1.0f, 0.0f, 0.0f);

    glBindTexture(GL_TEXTURE_2D, m_texture);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    for (int i = 0; i < kQuads; ++i)
        for (int j = 0; j < kQuads; ++j)
        {
            glTexCoord2f(i * kTexStep, j * kTexStep);
            glVertex3fv(m_points[i][j]);
            glTexCoord2f(i * kTexStep, (j + 1) * kTexStep);
            glVertex3fv(m_points[i][j + 1]);
            glTexCoord2f((i + 1) * kTexStep, (j + 1) * kTexStep);
            glVertex3fv(m_points[i + 1][j + 1]);
            glTexCoord2f((i + 1) * kTexStep, j * kTexStep);
            glVertex3fv(m_points[i + 1][j]);
        }
    glEnd();

    // The first shift follows the third frame, then one every second frame.
    if (m_frameCount == 2)
    {
        ShiftWave();
        m_frameCount = 0;
    }
    ++m_frameCount;

    glPopAttrib();
}

void CFlagEffect::ShiftWave()
{
    // Every column takes the depth of its right-hand neighbour; the last takes the first's.
    for (int j = 0; j < kGridSize; ++j)
    {
        const float first = m_points[0][j][2];
        for (int i = 0; i < kQuads; ++i)
            m_points[i][j][2] = m_points[i + 1][j][2];
        m_points[kQuads][j][2] = first;
    }
}

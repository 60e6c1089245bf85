// CLEAR: starts the frame. Clears colour and depth to black, darkens the previous frame a tenth
// to leave trails, or clears to a grey that fades up or down over about a hundred frames.
// Leaves behind: the clear colour and depth, the scissor test and box (the letterbox band every
// later effect of the frame draws inside), and in trail mode the blend function, viewport,
// matrices and current colour it set. Saves and restores nothing. Depends on nothing.
#include "Clear.h"

#include "EffectCommon.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

namespace {

constexpr int kMethodClear = 0;
constexpr int kMethodTrail = 1;
constexpr int kMethodFadeUp = 2;
constexpr int kMethodFadeDown = 3;

} // namespace

CClearEffect::CClearEffect() = default;
CClearEffect::~CClearEffect() = default;

int CClearEffect::Init(int iWidth, int iHeight)
{
    m_width = iWidth;
    m_height = iHeight;
    m_method = kMethodClear;
    m_scissor = false;
    return 0;
}

void CClearEffect::Prepare() {}

void CClearEffect::End() {}

void CClearEffect::ReceiveInt(char* pszName, int iValue, long)
{
    if (std::strcmp(pszName, "METHOD") == 0)
    {
        m_method = iValue;
        if (iValue == kMethodFadeUp)
            m_level = 0.0f;
        else if (iValue == kMethodFadeDown)
            m_level = 1.0f;
    }
    if (std::strcmp(pszName, "SCISSOR") == 0)
        m_scissor = iValue == 1;
}

void CClearEffect::RenderFrame(long)
{
    glClearDepth(1.0);
    switch (m_method)
    {
    case kMethodClear:
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        break;
    case kMethodTrail:
        // A tenth of black over the whole view; nothing is cleared, not even depth.
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        SetViewAndProjection(m_width, m_height, kNearPlane, 200.0);
        glColor4f(0.0f, 0.0f, 0.0f, 0.1f);
        glBegin(GL_QUADS);
        glVertex3f(-2.0f, -2.0f, -1.0f);
        glVertex3f(2.0f, -2.0f, -1.0f);
        glVertex3f(2.0f, 2.0f, -1.0f);
        glVertex3f(-2.0f, 2.0f, -1.0f);
        glEnd();
        glDisable(GL_BLEND);
        break;
    case kMethodFadeUp:
        if (m_level < 1.0f)
        {
            glClearColor(m_level, m_level, m_level, 0.5f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            m_level += 0.01f;
        }
        else
        {
            m_method = kMethodClear;
        }
        break;
    case kMethodFadeDown:
        if (m_level > 0.0f)
        {
            glClearColor(m_level, m_level, m_level, 0.5f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            m_level -= 0.01f;
        }
        else
        {
            m_method = kMethodClear;
        }
        break;
    default:
        break;
    }
    if (m_scissor)
    {
        // The band starts 20 % above the bottom and is 65 % high; products truncated toward zero.
        const double height = static_cast<double>(m_height);
        glScissor(0, static_cast<GLint>(height * static_cast<double>(0.2f)), m_width,
                  static_cast<GLint>(height * static_cast<double>(0.65f)));
        glEnable(GL_SCISSOR_TEST);
    }
}

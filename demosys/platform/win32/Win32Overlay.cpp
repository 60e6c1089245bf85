#include "platform/win32/Win32Overlay.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

#include "platform/GlFunctions.h"
#include "platform/win32/Win32Dpi.h"

namespace {

constexpr int kFirstCharacter = 32;
constexpr int kCharacterCount = 96;
constexpr int kMargin = 8;      // at 96 DPI, like the font's size
constexpr int kFontHeight = 14;

} // namespace

bool Win32Overlay::MakeFont(HDC dc, int dpi)
{
    HFONT font = CreateFontW(-ScaleToDpi(kFontHeight, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, L"Consolas");
    if (font == nullptr)
        font = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    const HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    m_lineHeight = metrics.tmHeight + ScaleToDpi(2, dpi);
    m_charWidth = std::max<int>(1, metrics.tmAveCharWidth);
    m_descent = metrics.tmDescent;
    m_lists = glGenLists(kCharacterCount);
    const bool made = m_lists != 0 && wglUseFontBitmapsA(dc, kFirstCharacter, kCharacterCount, m_lists);
    SelectObject(dc, previous);
    DeleteObject(font);
    if (!made && m_lists != 0)
    {
        glDeleteLists(m_lists, kCharacterCount);
        m_lists = 0;
    }
    m_dpi = made ? dpi : 0;
    return made;
}

void Win32Overlay::Draw(HDC dc, const std::vector<std::string>& lines, int width, int height, int dpi)
{
    if (lines.empty())
        return;
    // Moved to a display of another scale: the font again, at its size there.
    if (m_lists != 0 && dpi != m_dpi)
        Release();
    if (m_lists == 0 && !MakeFont(dc, dpi))
        return;
    const int margin = ScaleToDpi(kMargin, dpi);
    size_t longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, line.size());
    const int boxWidth = static_cast<int>(longest) * m_charWidth + 2 * margin;
    const int boxHeight = static_cast<int>(lines.size()) * m_lineHeight + 2 * margin;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    // Bitmaps are textured, lit and fogged like any fragment: none of that for the text. Both
    // texture units the effects use are switched off.
    GlFunctions& gl = Gl();
    for (int unit = 1; unit >= 0; --unit)
    {
        if (gl.ActiveTexture != nullptr)
            gl.ActiveTexture(GL_TEXTURE0 + unit);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        if (gl.ActiveTexture == nullptr)
            break;
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_COLOR_LOGIC_OP);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const int top = height - margin;
    glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
    glBegin(GL_QUADS);
    glVertex2i(margin, top - boxHeight);
    glVertex2i(margin + boxWidth, top - boxHeight);
    glVertex2i(margin + boxWidth, top);
    glVertex2i(margin, top);
    glEnd();

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // Every character at its own place in the fixed-pitch grid: some GL drivers give the space's
    // list no advance at all, which would run the words together.
    int baseline = top - margin - m_lineHeight + m_descent;
    for (const std::string& line : lines)
    {
        for (size_t i = 0; i < line.size(); ++i)
        {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            if (c == ' ')
                continue;
            const unsigned int shown = c >= kFirstCharacter && c < kFirstCharacter + kCharacterCount ? c : '?';
            glRasterPos2i(2 * margin + static_cast<int>(i) * m_charWidth, baseline);
            glCallList(m_lists + shown - kFirstCharacter);
        }
        baseline -= m_lineHeight;
    }

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void Win32Overlay::Release()
{
    if (m_lists != 0)
        glDeleteLists(m_lists, kCharacterCount);
    m_lists = 0;
}

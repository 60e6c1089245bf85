// The F1 overlay in the Win32 window: its lines in a fixed-pitch font (wglUseFontBitmaps) on a
// dark box in the top-left corner, drawn over the presented picture, the text and the box as
// large on a scaled display as at 100 %. Every GL state it touches is put back, so the next
// frame's effects find what the previous ones left. Internal to platform/win32.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class Win32Overlay
{
public:
    // Draws into the bound framebuffer of a window of width x height pixels on a display of
    // `dpi`; the context must be current on `dc`.
    void Draw(HDC dc, const std::vector<std::string>& lines, int width, int height, int dpi);

    // Frees the font's display lists (the context must still be current).
    void Release();

private:
    bool MakeFont(HDC dc, int dpi);

    unsigned int m_lists = 0;
    int m_dpi = 0;              // the DPI the font's lists were made for
    int m_lineHeight = 0;
    int m_charWidth = 0;
    int m_descent = 0;
};

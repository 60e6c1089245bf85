// The start-up dialog and the F1 overlay on displays scaled to 100 %, 150 % and 200 %: the fonts
// grow with the scale, every control stays inside the dialog and clear of the next, every text
// fits its control in the font it is drawn in, the banner keeps its place beside them, and the
// overlay's box and text are as large on screen at every scale.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "platform/win32/Win32Dialog.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Overlay.h"
#include "ui/StartupDialog.h"

namespace {

const int kScales[] = {96, 144, 192};

StartupDialogModel Model()
{
    SStartupDat record{};
    record.m_bResolutionChoice = true;
    record.m_iDefaultResolution = 2;
    record.m_bWindowModeChoice = true;
    record.m_bSoundChoice = true;
    record.m_bFrameSyncChoice = true;
    std::snprintf(record.m_szDemoName, sizeof record.m_szDemoName, "Zarnovelt");
    std::snprintf(record.m_szGroupName, sizeof record.m_szGroupName, "Quillmarsh party gang");
    return MakeStartupDialog(record, StartupChoices(), -1);
}

SIZE TextSize(HFONT font, const std::wstring& text)
{
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return size;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(DpiScaling, StartupDialogGrowsWithTheDisplayAndNothingIsClipped)
{
    const StartupDialogModel model = Model();
    const Win32DialogFonts base(kBaseDpi);
    ASSERT_GT(base.textHeight, 0);
    for (const int dpi : kScales)
    {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        const Win32DialogFonts fonts(dpi);
        const Win32DialogLayout layout = LayoutWin32StartupDialog(model, dpi, fonts);
        // The fonts follow the scale, within a pixel or two of rounding and hinting.
        EXPECT_NEAR(fonts.textHeight, base.textHeight * dpi / kBaseDpi, 2);
        EXPECT_NEAR(fonts.titleHeight, base.titleHeight * dpi / kBaseDpi, 3);

        const RECT client{0, 0, layout.client.cx, layout.client.cy};
        EXPECT_EQ(layout.client.cx, ScaleToDpi(91 + 260, dpi));
        EXPECT_GE(layout.client.cy, ScaleToDpi(433, dpi));
        const RECT banner{0, 0, ScaleToDpi(91, dpi), ScaleToDpi(433, dpi)};
        EXPECT_TRUE(EqualRect(&layout.banner, &banner));

        ASSERT_EQ(layout.controls.size(), 9u);
        // What each control covers: a drop-down list's rectangle is that of its open list;
        // closed it is a line tall.
        std::vector<RECT> covered;
        for (const Win32DialogControl& control : layout.controls)
        {
            covered.push_back(control.rect);
            if (std::wstring(control.type) == L"COMBOBOX")
                covered.back().bottom = control.rect.top + fonts.textHeight + ScaleToDpi(8, dpi);
        }
        for (size_t i = 0; i < layout.controls.size(); ++i)
        {
            const Win32DialogControl& control = layout.controls[i];
            const std::string name = "control " + std::to_string(control.id);
            const RECT& shown = covered[i];
            EXPECT_TRUE(Inside(shown, client)) << name << " leaves the dialog";
            EXPECT_GE(shown.left, banner.right) << name << " lies over the banner";
            for (size_t j = 0; j < i; ++j)
            {
                RECT overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &shown, &covered[j]))
                    << name << " overlaps control " << layout.controls[j].id;
            }
            // Check boxes draw their box and a gap before the text.
            const int boxAllowance = std::wstring(control.type) == L"BUTTON" && (control.style & BS_AUTOCHECKBOX)
                                         ? ScaleToDpi(20, dpi)
                                         : 0;
            const SIZE text = TextSize(control.titleFont ? fonts.title : fonts.text, control.text);
            EXPECT_LE(text.cx + boxAllowance, control.rect.right - control.rect.left) << name << " cuts its text";
            EXPECT_LE(text.cy, shown.bottom - shown.top) << name << " is shorter than its text";
        }
        // The resolutions fit beside the list's arrow button.
        const RECT& listRect = layout.controls[3].rect;
        for (const DialogResolution& resolution : model.resolutions)
        {
            const std::wstring label(resolution.label.begin(), resolution.label.end());
            EXPECT_LE(TextSize(fonts.text, label).cx + ScaleToDpi(24, dpi), listRect.right - listRect.left);
        }
    }
}

// The dark box the overlay draws over a white frame: its width and height in pixels, and how
// many of its pixels are lit (the letters).
struct DrawnBox
{
    int width = 0;
    int height = 0;
    int lit = 0;
};

DrawnBox DrawOverlayAt(int dpi)
{
    constexpr int kWidth = 640;
    constexpr int kHeight = 480;
    DrawnBox box;
    if (!GlTestContext::Create(kWidth, kHeight))
        return box;
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    Win32Overlay overlay;
    overlay.Draw(wglGetCurrentDC(), {"44.0 fps  22.72 ms", "time 0:45.515 / 3:09.296", "", "layer 0: CLEAR"}, kWidth,
                 kHeight, dpi);
    overlay.Release();
    const std::vector<uint8_t> rgba = GlTestContext::ReadRgba();
    int left = kWidth, right = -1, bottom = kHeight, top = -1;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            const uint8_t* pixel = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
            if (pixel[0] > 200)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            bottom = std::min(bottom, y);
            top = std::max(top, y);
        }
    if (right < left)
        return box;
    box.width = right - left + 1;
    box.height = top - bottom + 1;
    for (int y = bottom; y <= top; ++y)
        for (int x = left; x <= right; ++x)
            box.lit += rgba[(static_cast<size_t>(y) * kWidth + x) * 4] > 200 ? 1 : 0;
    return box;
}

TEST(DpiScaling, OverlayIsAsLargeOnScreenAtEveryScale)
{
    const DrawnBox base = DrawOverlayAt(kBaseDpi);
    ASSERT_GT(base.width, 0) << "no overlay drawn at 96 DPI";
    EXPECT_GT(base.lit, 0) << "the box holds no text";
    for (const int dpi : kScales)
    {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        const DrawnBox box = DrawOverlayAt(dpi);
        const double scale = static_cast<double>(dpi) / kBaseDpi;
        EXPECT_NEAR(box.width, base.width * scale, base.width * scale * 0.1);
        EXPECT_NEAR(box.height, base.height * scale, base.height * scale * 0.1);
        // Letters with strokes as wide and as long as the scale makes them.
        EXPECT_GT(box.lit, base.lit * scale * scale * 0.6);
    }
}

} // namespace

// Text for the pictures, rendered with FreeType from the DejaVu fonts the system ships
// (Debian's fonts-dejavu-core). A Font is used by one thread at a time.
#pragma once

#include <memory>
#include <string>

#include "Canvas.h"

enum class FontFace
{
    Sans,
    SansBold,
    SansCondensedBold,
    SerifBoldItalic,
    Mono,
    MonoBold,
};

enum class TextAlign
{
    Left,
    Centre,
    Right,
};

class Font
{
public:
    // Throws std::runtime_error when the font file cannot be opened.
    explicit Font(FontFace face);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Width in pixels of the text at the given pixel size (glyph advances, kerning and
    // the extra `tracking` between letters).
    float Measure(const std::string& text, float pixelSize, float tracking = 0.0f) const;

    // Adds the text's coverage into `plane` (max with what is there), with its baseline at y and
    // anchored at x as `align` says. `scaleX` stretches or squeezes the letters horizontally.
    void Draw(Plane* plane, const std::string& text, float x, float baseline, float pixelSize,
              TextAlign align = TextAlign::Centre, float tracking = 0.0f, float scaleX = 1.0f) const;

    // Scales the size so the text fits `maxWidth`, never above `pixelSize`.
    float FitSize(const std::string& text, float pixelSize, float maxWidth, float tracking = 0.0f) const;

    // The directory the DejaVu fonts are read from.
    static std::string FontDirectory();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

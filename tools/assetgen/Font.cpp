#include "Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace
{

const char* FaceFile(FontFace face)
{
    switch (face)
    {
    case FontFace::Sans: return "DejaVuSans.ttf";
    case FontFace::SansBold: return "DejaVuSans-Bold.ttf";
    case FontFace::SansCondensedBold: return "DejaVuSansCondensed-Bold.ttf";
    case FontFace::SerifBoldItalic: return "DejaVuSerif-BoldItalic.ttf";
    case FontFace::Mono: return "DejaVuSansMono.ttf";
    case FontFace::MonoBold: return "DejaVuSansMono-Bold.ttf";
    }
    return "DejaVuSans.ttf";
}

// FreeType sizes are whole pixels here; sub-pixel sizes come from drawing at an integer size and
// scaling the coverage while it is placed.
constexpr int kRenderSize = 128;

}  // namespace

struct Font::Impl
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

std::string Font::FontDirectory()
{
    if (const char* overrideDir = std::getenv("ZARNOVELT_FONT_DIR"))
        return overrideDir;
    return "/usr/share/fonts/truetype/dejavu";
}

Font::Font(FontFace face) : m_impl(std::make_unique<Impl>())
{
    if (FT_Init_FreeType(&m_impl->library) != 0)
        throw std::runtime_error("cannot start FreeType");
    const std::string path = FontDirectory() + "/" + FaceFile(face);
    if (FT_New_Face(m_impl->library, path.c_str(), 0, &m_impl->face) != 0)
    {
        FT_Done_FreeType(m_impl->library);
        throw std::runtime_error("cannot open font " + path + " (install fonts-dejavu-core)");
    }
    FT_Set_Pixel_Sizes(m_impl->face, 0, kRenderSize);
}

Font::~Font()
{
    FT_Done_Face(m_impl->face);
    FT_Done_FreeType(m_impl->library);
}

float Font::Measure(const std::string& text, float pixelSize, float tracking) const
{
    const float scale = pixelSize / kRenderSize;
    FT_Face face = m_impl->face;
    float width = 0.0f;
    FT_UInt previous = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
        if (previous != 0 && FT_HAS_KERNING(face))
        {
            FT_Vector kerning;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
            width += kerning.x / 64.0f * scale;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0)
            width += face->glyph->advance.x / 64.0f * scale;
        if (i + 1 < text.size())
            width += tracking;
        previous = glyph;
    }
    return width;
}

float Font::FitSize(const std::string& text, float pixelSize, float maxWidth, float tracking) const
{
    const float width = Measure(text, pixelSize, tracking);
    return width > maxWidth ? pixelSize * maxWidth / width : pixelSize;
}

void Font::Draw(Plane* plane, const std::string& text, float x, float baseline, float pixelSize, TextAlign align,
                float tracking, float scaleX) const
{
    FT_Face face = m_impl->face;
    const float scale = pixelSize / kRenderSize;
    const float width = Measure(text, pixelSize, tracking) * scaleX;
    float penX = x;
    if (align == TextAlign::Centre)
        penX -= width * 0.5f;
    else if (align == TextAlign::Right)
        penX -= width;

    FT_UInt previous = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
        if (previous != 0 && FT_HAS_KERNING(face))
        {
            FT_Vector kerning;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
            penX += kerning.x / 64.0f * scale * scaleX;
        }
        previous = glyph;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        // Glyph box in the target plane; each target pixel samples the glyph bitmap
        // bilinearly (area-averaging when the text is small).
        const float left = penX + slot->bitmap_left * scale * scaleX;
        const float top = baseline - slot->bitmap_top * scale;
        const float boxWidth = bitmap.width * scale * scaleX;
        const float boxHeight = bitmap.rows * scale;
        const int x0 = std::max(0, static_cast<int>(std::floor(left)));
        const int y0 = std::max(0, static_cast<int>(std::floor(top)));
        const int x1 = std::min(plane->Width() - 1, static_cast<int>(std::ceil(left + boxWidth)));
        const int y1 = std::min(plane->Height() - 1, static_cast<int>(std::ceil(top + boxHeight)));
        const float stepX = 1.0f / (scale * scaleX);
        const float stepY = 1.0f / scale;
        // Samples per target pixel along each axis, so small text averages its glyph pixels.
        const int samplesX = std::clamp(static_cast<int>(std::ceil(stepX)), 1, 8);
        const int samplesY = std::clamp(static_cast<int>(std::ceil(stepY)), 1, 8);
        auto texel = [&](int ix, int iy) {
            if (ix < 0 || iy < 0 || ix >= static_cast<int>(bitmap.width) || iy >= static_cast<int>(bitmap.rows))
                return 0.0f;
            return bitmap.buffer[iy * bitmap.pitch + ix] / 255.0f;
        };
        // Bilinear, so letters drawn larger than the render size keep smooth edges.
        auto glyphAt = [&](float gx, float gy) {
            const float fx = gx - 0.5f;
            const float fy = gy - 0.5f;
            const int ix = static_cast<int>(std::floor(fx));
            const int iy = static_cast<int>(std::floor(fy));
            const float tx = fx - ix;
            const float ty = fy - iy;
            const float top = texel(ix, iy) + (texel(ix + 1, iy) - texel(ix, iy)) * tx;
            const float bottom = texel(ix, iy + 1) + (texel(ix + 1, iy + 1) - texel(ix, iy + 1)) * tx;
            return top + (bottom - top) * ty;
        };
        for (int py = y0; py <= y1; ++py)
            for (int px = x0; px <= x1; ++px)
            {
                float sum = 0.0f;
                for (int sy = 0; sy < samplesY; ++sy)
                    for (int sx = 0; sx < samplesX; ++sx)
                    {
                        const float tx = (px + (sx + 0.5f) / samplesX - left) * stepX;
                        const float ty = (py + (sy + 0.5f) / samplesY - top) * stepY;
                        sum += glyphAt(tx, ty);
                    }
                const float coverage = sum / (samplesX * samplesY);
                float& target = plane->At(px, py);
                target = std::max(target, coverage);
            }
        penX += (slot->advance.x / 64.0f * scale + tracking) * scaleX;
    }
}

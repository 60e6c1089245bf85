// The program's icon: a neon Z on the night sky, drawn at each size the .ico holds. A stand-in
// until the icon picture shared with the Linux desktop entry is generated here too.
#include "Resources.h"

#include "Art.h"
#include "Font.h"

namespace
{

Image8 IconPicture(int size)
{
    const int work = size * 8;
    Canvas c(work, work);
    const Shape ground = RoundedBox(Vec2{work * 0.5f, work * 0.5f}, work * 0.48f, work * 0.48f, work * 0.14f);
    const Plane inside = Fill(ground, work, work, 4.0f);
    AddVerticalGradient(&c, inside, palette::kNight, Rgb{0.16f, 0.04f, 0.26f}, 0.0f, static_cast<float>(work));
    Font font(FontFace::SansBold);
    Plane letter(work, work);
    font.Draw(&letter, "Z", work * 0.5f, work * 0.80f, work * 0.86f, TextAlign::Centre);
    c.Add(letter.Blurred(work * 0.05f), palette::kMagenta * 1.4f);
    AddVerticalGradient(&c, letter, palette::kCyan, palette::kWhite, work * 0.15f, work * 0.85f);
    c.ToneMap();
    Image8 image = c.Resampled(size, size).ToImage8();
    return image;
}

// Coverage of the rounded ground at the icon's size, as alpha.
std::vector<uint8_t> IconAlpha(int size)
{
    const int work = size * 8;
    const Shape ground = RoundedBox(Vec2{work * 0.5f, work * 0.5f}, work * 0.48f, work * 0.48f, work * 0.14f);
    const Plane alpha = Fill(ground, work, work, 4.0f).Resampled(size, size);
    std::vector<uint8_t> values(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            values[static_cast<size_t>(y) * size + x] =
                static_cast<uint8_t>(std::clamp(alpha.At(x, y), 0.0f, 1.0f) * 255.0f + 0.5f);
    return values;
}

}  // namespace

Bytes MakeProgramIcon()
{
    const int sizes[] = {16, 32, 48};
    std::vector<Bytes> entries;
    for (int size : sizes)
    {
        const Image8 picture = IconPicture(size);
        const std::vector<uint8_t> alpha = IconAlpha(size);
        // A 32-bit DIB: the info header says twice the height (colour rows, then the mask rows).
        Bytes entry;
        PutU32(&entry, 40);
        PutU32(&entry, static_cast<uint32_t>(size));
        PutU32(&entry, static_cast<uint32_t>(size * 2));
        PutU16(&entry, 1);
        PutU16(&entry, 32);
        for (int i = 0; i < 6; ++i)
            PutU32(&entry, 0);
        for (int y = size - 1; y >= 0; --y)
            for (int x = 0; x < size; ++x)
            {
                const uint8_t* rgb = &picture.rgb[(static_cast<size_t>(y) * size + x) * 3];
                entry.insert(entry.end(), {rgb[2], rgb[1], rgb[0], alpha[static_cast<size_t>(y) * size + x]});
            }
        // The AND mask: one bit a pixel, rows padded to four bytes; all zero, alpha decides.
        const size_t maskRow = ((static_cast<size_t>(size) + 31) / 32) * 4;
        entry.insert(entry.end(), maskRow * size, 0);
        entries.push_back(std::move(entry));
    }
    Bytes file;
    PutU16(&file, 0);
    PutU16(&file, 1);   // an icon
    PutU16(&file, static_cast<uint32_t>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
    {
        PutU8(&file, static_cast<uint32_t>(sizes[i]));
        PutU8(&file, static_cast<uint32_t>(sizes[i]));
        PutU8(&file, 0);   // no palette
        PutU8(&file, 0);
        PutU16(&file, 1);
        PutU16(&file, 32);
        PutU32(&file, static_cast<uint32_t>(entries[i].size()));
        PutU32(&file, offset);
        offset += static_cast<uint32_t>(entries[i].size());
    }
    for (const Bytes& entry : entries)
        file.insert(file.end(), entry.begin(), entry.end());
    return file;
}

bool WriteProgramResources(const std::string& directory, std::string* error)
{
    const Image8 banner = MakeDialogBanner();
    return WriteFileBytes(directory + "/banner.bmp", EncodeBmp24(banner), error) &&
           WriteFileBytes(directory + "/banner.png", EncodePng(banner), error) &&
           WriteFileBytes(directory + "/zarnovelt.ico", MakeProgramIcon(), error);
}

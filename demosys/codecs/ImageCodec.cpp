// Image codecs: TGA decoding (our own reader) and the PNG writer's plain form. JPEG decoding and
// PNG writing and reading are the platform's behind the same functions of ImageCodec.h:
// codecs/linux: libjpeg and libpng; Windows: stb_image (codecs/stb) and our writer over zlib
// (codecs/win32); the browser: stb_image (codecs/stb) and stb_image_write (codecs/web).
//
// Sections:
//   TGA                   our own reader: header, colour map, raw and RLE pixel data
//   PNG                   the plain writer over WritePngBgraRows
#include "codecs/ImageCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "codecs/CodecCommon.h"

namespace {

// ---------------------------------------------------------------------------------------------
// TGA
// ---------------------------------------------------------------------------------------------

constexpr size_t kTgaHeaderSize = 18;

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// 0 stays 0 and 31 becomes 255.
uint8_t Expand5(unsigned value)
{
    return static_cast<uint8_t>((value << 3) | (value >> 2));
}

// How one stored value (a pixel, or a colour-map entry) becomes RGBA.
struct TgaValueFormat
{
    int bits = 0;        // 8, 15, 16, 24 or 32
    bool grey = false;   // 8-bit grey or 16-bit grey + alpha
    bool alpha = false;  // the value's attribute bits are alpha
};

// p holds (bits + 7) / 8 bytes in file order: little-endian 5-5-5 words, B G R (A) triples
// and quads, grey (alpha) pairs.
void ConvertTgaValue(const uint8_t* p, const TgaValueFormat& format, uint8_t rgba[4])
{
    if (format.grey)
    {
        rgba[0] = rgba[1] = rgba[2] = p[0];
        rgba[3] = format.bits == 16 && format.alpha ? p[1] : 255;
        return;
    }
    switch (format.bits)
    {
    case 15:
    case 16:
    {
        const unsigned word = ReadLe16(p);
        rgba[0] = Expand5((word >> 10) & 0x1F);
        rgba[1] = Expand5((word >> 5) & 0x1F);
        rgba[2] = Expand5(word & 0x1F);
        // The attribute bit only exists in 16-bit values.
        rgba[3] = format.bits == 16 && format.alpha ? ((word & 0x8000) ? 255 : 0) : 255;
        return;
    }
    case 24:
    case 32:
        rgba[0] = p[2];
        rgba[1] = p[1];
        rgba[2] = p[0];
        rgba[3] = format.bits == 32 && format.alpha ? p[3] : 255;
        return;
    default:
        // Grey 8-bit is handled above; the header check admits no other depth.
        rgba[0] = rgba[1] = rgba[2] = p[0];
        rgba[3] = 255;
        return;
    }
}

// Writes converted pixels, counted in file order, to their place in the bottom-up output.
class TgaPixelSink
{
public:
    TgaPixelSink(DecodedImage* image, bool topDown, bool rightToLeft)
        : m_image(image), m_topDown(topDown), m_rightToLeft(rightToLeft)
    {
    }

    void Put(size_t index, const uint8_t rgba[4])
    {
        const size_t width = static_cast<size_t>(m_image->width);
        const size_t fileRow = index / width;
        const size_t fileColumn = index % width;
        const size_t row = m_topDown ? static_cast<size_t>(m_image->height) - 1 - fileRow : fileRow;
        const size_t column = m_rightToLeft ? width - 1 - fileColumn : fileColumn;
        const size_t channels = static_cast<size_t>(m_image->channels);
        std::memcpy(&m_image->pixels[(row * width + column) * channels], rgba, channels);
    }

private:
    DecodedImage* m_image;
    bool m_topDown;
    bool m_rightToLeft;
};

// Turns stored pixel values into RGBA, through the colour map for mapped images.
class TgaPixelConverter
{
public:
    TgaPixelConverter(const TgaValueFormat& format, const std::vector<uint8_t>* map, int mapFirst)
        : m_format(format), m_map(map), m_mapFirst(mapFirst)
    {
    }

    // False (with the reason) when a mapped pixel names an entry the map does not have.
    bool Convert(const uint8_t* p, uint8_t rgba[4], std::string* error) const
    {
        if (m_map == nullptr)
        {
            ConvertTgaValue(p, m_format, rgba);
            return true;
        }
        const int entry = static_cast<int>(p[0]) - m_mapFirst;
        if (entry < 0 || static_cast<size_t>(entry) * 4 >= m_map->size())
            return CodecFail(error, "colour-map index " + std::to_string(p[0]) + " is outside the map");
        std::memcpy(rgba, m_map->data() + static_cast<size_t>(entry) * 4, 4);
        return true;
    }

private:
    TgaValueFormat m_format;
    const std::vector<uint8_t>* m_map;
    int m_mapFirst;
};

bool DecodeTgaInto(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error)
{
    if (bytes == nullptr || size < kTgaHeaderSize)
        return CodecFail(error, "file too short for a TGA header");
    const size_t idLength = bytes[0];
    const int mapType = bytes[1];
    const int imageType = bytes[2];
    const int mapFirst = ReadLe16(bytes + 3);
    const int mapLength = ReadLe16(bytes + 5);
    const int mapEntryBits = bytes[7];
    const int width = ReadLe16(bytes + 12);
    const int height = ReadLe16(bytes + 14);
    const int depth = bytes[16];
    const int descriptor = bytes[17];
    const int alphaBits = descriptor & 0x0F;
    const bool rightToLeft = (descriptor & 0x10) != 0;
    const bool topDown = (descriptor & 0x20) != 0;

    const bool rle = imageType >= 9;
    const int baseType = rle ? imageType - 8 : imageType;
    if (imageType != 1 && imageType != 2 && imageType != 3 && imageType != 9 &&
        imageType != 10 && imageType != 11)
        return CodecFail(error, "unsupported TGA image type " + std::to_string(imageType));
    if (mapType > 1)
        return CodecFail(error, "unknown TGA colour-map type " + std::to_string(mapType));
    const bool mapped = baseType == 1;
    if (mapped && mapType != 1)
        return CodecFail(error, "colour-mapped TGA without a colour map");
    if (width == 0 || height == 0)
        return CodecFail(error, "TGA picture has no pixels (" + std::to_string(width) + "x" +
                               std::to_string(height) + ")");
    if (width > kMaxImageSide || height > kMaxImageSide)
        return CodecFail(error, "TGA picture size " + std::to_string(width) + "x" +
                               std::to_string(height) + " is over " + std::to_string(kMaxImageSide) +
                               " per side");
    const bool depthOk = mapped ? depth == 8
                         : baseType == 2 ? (depth == 15 || depth == 16 || depth == 24 || depth == 32)
                                         : (depth == 8 || depth == 16);
    if (!depthOk)
        return CodecFail(error, "unsupported pixel depth " + std::to_string(depth) + " for TGA type " +
                               std::to_string(imageType));

    size_t offset = kTgaHeaderSize;
    // The image ID is free text we have no use for.
    if (size - offset < idLength)
        return CodecFail(error, "TGA image ID runs past the end of the file");
    offset += idLength;

    // A map is read only for mapped pictures; a true-colour or grey picture may still carry
    // one, which is skipped.
    std::vector<uint8_t> map;
    if (mapType == 1)
    {
        const size_t entryBytes = (static_cast<size_t>(mapEntryBits) + 7) / 8;
        const size_t mapBytes = entryBytes * static_cast<size_t>(mapLength);
        if (size - offset < mapBytes)
            return CodecFail(error, "TGA colour map runs past the end of the file");
        if (mapped)
        {
            if (mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 &&
                mapEntryBits != 32)
                return CodecFail(error, "unsupported colour-map entry size " +
                                       std::to_string(mapEntryBits));
            if (mapLength == 0)
                return CodecFail(error, "colour-mapped TGA with an empty colour map");
            TgaValueFormat entryFormat;
            entryFormat.bits = mapEntryBits;
            entryFormat.alpha = alphaBits != 0;
            map.resize(static_cast<size_t>(mapLength) * 4);
            for (int i = 0; i < mapLength; ++i)
                ConvertTgaValue(bytes + offset + i * entryBytes, entryFormat, &map[i * 4]);
        }
        offset += mapBytes;
    }

    // Alpha is kept when the descriptor declares alpha bits and the stored values have room
    // for them; a 32-bit picture declaring none has padding in its fourth byte, not alpha.
    TgaValueFormat format;
    format.bits = depth;
    format.grey = baseType == 3;
    format.alpha = alphaBits != 0;
    const int valueBits = mapped ? mapEntryBits : depth;
    const bool hasAlpha = alphaBits != 0 && (valueBits == 16 || valueBits == 32);

    const size_t pixelBytes = (static_cast<size_t>(depth) + 7) / 8;
    const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
    const size_t remaining = size - offset;
    // Refuse before allocating: raw data needs every pixel stored, and an RLE packet of
    // 1 + pixelBytes bytes describes at most 128 pixels.
    const size_t describable = rle ? remaining / (1 + pixelBytes) * 128 : remaining / pixelBytes;
    if (pixelCount > describable)
        return CodecFail(error, "TGA pixel data truncated: " + std::to_string(width) + "x" +
                               std::to_string(height) + " pixels cannot fit in " +
                               std::to_string(remaining) + " bytes");

    image->width = width;
    image->height = height;
    image->channels = hasAlpha ? 4 : 3;
    image->pixels.assign(pixelCount * static_cast<size_t>(image->channels), 0);

    TgaPixelSink sink(image, topDown, rightToLeft);
    const TgaPixelConverter converter(format, mapped ? &map : nullptr, mapFirst);
    const uint8_t* data = bytes + offset;
    uint8_t rgba[4];
    if (!rle)
    {
        for (size_t i = 0; i < pixelCount; ++i)
        {
            if (!converter.Convert(data + i * pixelBytes, rgba, error))
                return false;
            sink.Put(i, rgba);
        }
        return true;
    }

    // Packets may run from one row into the next, but never past the last pixel.
    size_t position = 0;
    size_t done = 0;
    while (done < pixelCount)
    {
        if (position >= remaining)
            return CodecFail(error, "TGA RLE data truncated after " + std::to_string(done) + " of " +
                                   std::to_string(pixelCount) + " pixels");
        const uint8_t packet = data[position++];
        const size_t count = static_cast<size_t>(packet & 0x7F) + 1;
        if (count > pixelCount - done)
            return CodecFail(error, "TGA RLE packet runs past the end of the picture");
        const bool run = (packet & 0x80) != 0;
        const size_t packetBytes = run ? pixelBytes : count * pixelBytes;
        if (remaining - position < packetBytes)
            return CodecFail(error, "TGA RLE data truncated inside a packet");
        if (run && !converter.Convert(data + position, rgba, error))
            return false;
        for (size_t i = 0; i < count; ++i)
        {
            if (!run && !converter.Convert(data + position + i * pixelBytes, rgba, error))
                return false;
            sink.Put(done + i, rgba);
        }
        position += packetBytes;
        done += count;
    }
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error)
{
    if (image == nullptr)
        return CodecFail(error, "no image to decode into");
    *image = DecodedImage();
    if (bytes == nullptr || size == 0)
        return CodecFail(error, "empty file");
    return DecodeJpegWithPlatformLibrary(bytes, size, image, error);
}

bool DecodeTga(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error)
{
    if (image == nullptr)
        return CodecFail(error, "no image to decode into");
    // A refused file leaves no half-filled picture behind.
    bool decoded = false;
    try
    {
        decoded = DecodeTgaInto(bytes, size, image, error);
    }
    catch (const std::bad_alloc&)
    {
        CodecFail(error, "out of memory");
    }
    if (!decoded)
    {
        *image = DecodedImage();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// PNG
// ---------------------------------------------------------------------------------------------

int SinglePngFilter(int filters)
{
    static const int kBits[5] = {kPngFilterNone, kPngFilterSub, kPngFilterUp, kPngFilterAverage, kPngFilterPaeth};
    int single = -1;
    for (int type = 0; type < 5; ++type)
        if ((filters & kBits[type]) != 0)
        {
            if (single >= 0)
                return -1;
            single = type;
        }
    return single;
}

bool WritePngBgra(const std::string& path, int width, int height, const uint8_t* bgra,
                  std::string* error, int compressionLevel)
{
    PngCompression compression;
    compression.level = compressionLevel;
    return WritePngBgraRows(path, width, height, bgra, false, compression, error);
}

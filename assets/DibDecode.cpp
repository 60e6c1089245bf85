// The DIB decoder: a whole .bmp file held in memory becomes packed 24-bit RGB rows, bottom
// row first. Pure byte work (no GL, no files), so it runs in tests and fuzz targets alone.
//
// What it reads: the optional 14-byte "BM" file header; the 12-byte core header or the 40-byte
// info header; 1-, 4- and 8-bit palettes; 16-bit (5-5-5 or bit fields); 24-bit; 32-bit (plain
// or bit fields); RLE8 and RLE4 with their end-of-line, end-of-bitmap and delta escapes;
// bottom-up and (uncompressed) top-down row order. Every offset, size, palette index and run
// is checked against the buffer and the image, and absurd dimensions are refused before any
// allocation, so no input reads outside the buffer or asks for a giant block.
#include "DibTexture.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

// Larger pictures are refused as "Out of memory." before anything is allocated. A side of
// 32768 and 64 Mi pixels (192 MiB of output) are far beyond any texture the demo uses, yet
// small enough that a hostile header cannot ask for gigabytes.
constexpr int64_t kMaxDimension = 32768;
constexpr int64_t kMaxPixels = int64_t{1} << 26;

uint16_t ReadU16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t ReadI32(const unsigned char* p)
{
    return static_cast<int32_t>(ReadU32(p));
}

// One colour channel of a 16- or 32-bit pixel: where its bits are and how to widen them to
// 0..255 with rounding (so 5-bit 31 and 6-bit 63 both become 255).
struct ChannelMask
{
    uint32_t mask = 0;
    int shift = 0;
    uint64_t maximum = 0;   // the largest value the channel can hold; 0 for an empty mask

    explicit ChannelMask(uint32_t bits) : mask(bits)
    {
        if (mask == 0)
            return;
        while (((mask >> shift) & 1u) == 0)
            ++shift;
        // A mask with holes is taken as the span from its lowest to its highest set bit.
        maximum = (uint64_t{1} << (32 - __builtin_clz(mask) - shift)) - 1;
    }

    unsigned char Expand(uint32_t pixel) const
    {
        if (maximum == 0)
            return 0;
        const uint64_t value = (pixel & mask) >> shift;
        return static_cast<unsigned char>((value * 255 + maximum / 2) / maximum);
    }
};

// Everything the pixel decoding needs, gathered from the headers.
struct DibLayout
{
    int64_t width = 0;
    int64_t height = 0;             // number of rows, positive
    bool topDown = false;           // the file stores its top row first
    uint16_t bitCount = 0;
    uint32_t compression = kBiRgb;
    size_t paletteOffset = 0;       // first palette entry, from the start of the buffer
    size_t paletteEntrySize = 4;    // 3 for the core header, 4 for the info header
    uint32_t paletteCount = 0;      // DibColorCount of the header
    size_t pixelOffset = 0;         // first pixel byte, from the start of the buffer
    uint64_t stride = 0;            // bytes per stored row of an uncompressed picture
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue, for 16- and 32-bit pixels
};

// The 256 colours a palette index can name. Entries the file does not give stay black, so an
// index beyond the file's palette reads black instead of bytes that are not a colour.
struct Palette
{
    unsigned char rgb[256][3];
};

bool ValidCombination(const DibLayout& layout)
{
    switch (layout.compression)
    {
    case kBiRgb:
        return layout.bitCount == 1 || layout.bitCount == 4 || layout.bitCount == 8 || layout.bitCount == 16 ||
               layout.bitCount == 24 || layout.bitCount == 32;
    case kBiRle8:
        return layout.bitCount == 8;
    case kBiRle4:
        return layout.bitCount == 4;
    case kBiBitfields:
        return layout.bitCount == 16 || layout.bitCount == 32;
    default:
        return false;
    }
}

// Reads the headers at info (already known to hold headerSize bytes) into layout.
DibStatus ReadLayout(const unsigned char* bytes, size_t size, size_t info, uint32_t headerSize, bool fileHeader,
                     DibLayout* layout)
{
    const unsigned char* header = bytes + info;
    layout->paletteCount = DibColorCount(header);
    size_t afterHeader = info + headerSize;
    int64_t storedHeight = 0;
    uint16_t planes = 0;
    if (headerSize == kCoreHeaderSize)
    {
        layout->width = ReadU16(header + 4);
        storedHeight = ReadU16(header + 6);
        planes = ReadU16(header + 8);
        layout->bitCount = ReadU16(header + 10);
        layout->compression = kBiRgb;
        layout->paletteEntrySize = 3;
    }
    else
    {
        layout->width = ReadI32(header + 4);
        storedHeight = ReadI32(header + 8);
        planes = ReadU16(header + 12);
        layout->bitCount = ReadU16(header + 14);
        layout->compression = ReadU32(header + 16);
        layout->paletteEntrySize = 4;
    }
    layout->topDown = storedHeight < 0;
    layout->height = storedHeight < 0 ? -storedHeight : storedHeight;

    // A picture with no pixels, a plane count other than 1 or a format we cannot decode
    // converts no rows.
    if (planes != 1 || layout->width <= 0 || layout->height == 0 || !ValidCombination(*layout))
        return DibStatus::ConversionError;
    // Compressed pictures are always stored bottom-up; a negative height there is malformed.
    if (layout->topDown && (layout->compression == kBiRle8 || layout->compression == kBiRle4))
        return DibStatus::ConversionError;
    if (layout->width > kMaxDimension || layout->height > kMaxDimension ||
        layout->width * layout->height > kMaxPixels)
        return DibStatus::OutOfMemory;

    if (layout->bitCount == 16)
    {
        layout->masks[0] = 0x7C00;
        layout->masks[1] = 0x03E0;
        layout->masks[2] = 0x001F;
    }
    else if (layout->bitCount == 32)
    {
        layout->masks[0] = 0x00FF0000;
        layout->masks[1] = 0x0000FF00;
        layout->masks[2] = 0x000000FF;
    }
    if (layout->compression == kBiBitfields)
    {
        // The three masks (red, green, blue) follow the info header, before any palette.
        if (size - afterHeader < 12)
            return DibStatus::ConversionError;
        for (int channel = 0; channel < 3; ++channel)
            layout->masks[channel] = ReadU32(bytes + afterHeader + 4 * channel);
        afterHeader += 12;
    }

    layout->paletteOffset = afterHeader;
    if (layout->bitCount <= 8)
    {
        // Only the entries an index of this bit count can reach are read; they must be there.
        const uint64_t usable = layout->paletteCount < (1u << layout->bitCount) ? layout->paletteCount
                                                                                 : (1u << layout->bitCount);
        if (usable * layout->paletteEntrySize > size - afterHeader)
            return DibStatus::ConversionError;
    }

    // The file header says where the pixels are; a bare DIB has them right after its palette.
    const uint64_t pixelOffset =
        fileHeader ? ReadU32(bytes + 10)
                   : afterHeader + static_cast<uint64_t>(layout->paletteCount) * layout->paletteEntrySize;
    if (pixelOffset >= size)
        return DibStatus::ConversionError;
    layout->pixelOffset = static_cast<size_t>(pixelOffset);

    // Uncompressed rows are padded to a multiple of 4 bytes; every row the header promises
    // must be in the buffer (the last one may lack its padding).
    if (layout->compression == kBiRgb || layout->compression == kBiBitfields)
    {
        const uint64_t rowBits = static_cast<uint64_t>(layout->width) * layout->bitCount;
        layout->stride = (rowBits + 31) / 32 * 4;
        const uint64_t needed = layout->stride * static_cast<uint64_t>(layout->height - 1) + (rowBits + 7) / 8;
        if (needed > size - layout->pixelOffset)
            return DibStatus::ConversionError;
    }
    return DibStatus::Ok;
}

void ReadPalette(const unsigned char* bytes, const DibLayout& layout, Palette* palette)
{
    std::memset(palette, 0, sizeof(*palette));
    if (layout.bitCount > 8)
        return;
    const uint32_t reachable = 1u << layout.bitCount;
    const uint32_t count = layout.paletteCount < reachable ? layout.paletteCount : reachable;
    for (uint32_t index = 0; index < count; ++index)
    {
        const unsigned char* entry = bytes + layout.paletteOffset + index * layout.paletteEntrySize;
        palette->rgb[index][0] = entry[2];
        palette->rgb[index][1] = entry[1];
        palette->rgb[index][2] = entry[0];
    }
}

void PutIndex(unsigned char* out, const Palette& palette, unsigned index)
{
    out[0] = palette.rgb[index][0];
    out[1] = palette.rgb[index][1];
    out[2] = palette.rgb[index][2];
}

// Uncompressed rows, already checked by ReadLayout to lie in the buffer.
void DecodeRows(const unsigned char* bytes, const DibLayout& layout, const Palette& palette, unsigned char* out)
{
    const ChannelMask red(layout.masks[0]);
    const ChannelMask green(layout.masks[1]);
    const ChannelMask blue(layout.masks[2]);
    const size_t width = static_cast<size_t>(layout.width);
    for (int64_t fileRow = 0; fileRow < layout.height; ++fileRow)
    {
        const unsigned char* src = bytes + layout.pixelOffset + static_cast<size_t>(fileRow * layout.stride);
        // Output rows run bottom-up: a top-down file's first row is the picture's top.
        const int64_t outRow = layout.topDown ? layout.height - 1 - fileRow : fileRow;
        unsigned char* dst = out + static_cast<size_t>(outRow) * width * 3;
        for (size_t x = 0; x < width; ++x, dst += 3)
        {
            switch (layout.bitCount)
            {
            case 1:
                PutIndex(dst, palette, (src[x >> 3] >> (7 - (x & 7))) & 1u);
                break;
            case 4:
                PutIndex(dst, palette, (x & 1) ? (src[x >> 1] & 0x0Fu) : (src[x >> 1] >> 4));
                break;
            case 8:
                PutIndex(dst, palette, src[x]);
                break;
            case 24:
                dst[0] = src[3 * x + 2];
                dst[1] = src[3 * x + 1];
                dst[2] = src[3 * x + 0];
                break;
            case 16:
            case 32:
            {
                const uint32_t pixel = layout.bitCount == 16 ? ReadU16(src + 2 * x) : ReadU32(src + 4 * x);
                dst[0] = red.Expand(pixel);
                dst[1] = green.Expand(pixel);
                dst[2] = blue.Expand(pixel);
                break;
            }
            default:
                break;
            }
        }
    }
}

// RLE8 and RLE4, always bottom-up. Pixels the stream skips (delta, early end of line or of
// bitmap) stay black. Runs that overshoot the row are clipped; a stream that ends without its
// end-of-bitmap mark keeps what it decoded.
void DecodeRle(const unsigned char* bytes, size_t size, const DibLayout& layout, const Palette& palette,
               unsigned char* out)
{
    const bool rle4 = layout.compression == kBiRle4;
    const unsigned char* data = bytes + layout.pixelOffset;
    const size_t length = size - layout.pixelOffset;
    const int64_t width = layout.width;
    const int64_t height = layout.height;
    int64_t x = 0;
    int64_t y = 0;
    size_t pos = 0;

    auto put = [&](unsigned index) {
        if (x < width)
            PutIndex(out + static_cast<size_t>((y * width + x) * 3), palette, index);
        ++x;
    };

    while (y < height && length - pos >= 2)
    {
        const unsigned count = data[pos];
        const unsigned value = data[pos + 1];
        pos += 2;
        if (count > 0)
        {
            // An encoded run: count pixels of one index (RLE4: two indices taking turns).
            for (unsigned i = 0; i < count && x < width; ++i)
                put(rle4 ? ((i & 1) ? (value & 0x0Fu) : (value >> 4)) : value);
            continue;
        }
        if (value == 0)
        {
            x = 0;
            ++y;
        }
        else if (value == 1)
        {
            break;
        }
        else if (value == 2)
        {
            if (length - pos < 2)
                break;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        }
        else
        {
            // An absolute run of value pixels, padded to a 16-bit boundary.
            const size_t runBytes = rle4 ? (value + 1) / 2 : value;
            if (length - pos < runBytes)
                break;
            for (unsigned i = 0; i < value && x < width; ++i)
            {
                const unsigned byte = data[pos + (rle4 ? i / 2 : i)];
                put(rle4 ? ((i & 1) ? (byte & 0x0Fu) : (byte >> 4)) : byte);
            }
            pos += runBytes + (runBytes & 1);
            if (pos > length)
                break;
        }
    }
}

} // namespace

uint16_t DibColorCount(const unsigned char* infoHeader)
{
    uint16_t bitCount = 0;
    if (ReadU32(infoHeader) == kCoreHeaderSize)
    {
        bitCount = ReadU16(infoHeader + 10);
    }
    else
    {
        const uint32_t coloursUsed = ReadU32(infoHeader + 32);
        if (coloursUsed != 0)
            return static_cast<uint16_t>(coloursUsed);
        bitCount = ReadU16(infoHeader + 14);
    }
    switch (bitCount)
    {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

DibStatus DecodeDib(const unsigned char* bytes, size_t size, RgbImage** image)
{
    *image = nullptr;
    if (bytes == nullptr)
        return DibStatus::UnknownFormat;

    const bool fileHeader = size >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    const size_t info = fileHeader ? kFileHeaderSize : 0;
    // Without the four bytes of its size the header is of no known kind.
    if (size < info + 4)
        return DibStatus::UnknownFormat;
    const uint32_t headerSize = ReadU32(bytes + info);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize)
        return DibStatus::UnknownFormat;
    if (size - info < headerSize)
        return DibStatus::ConversionError;

    DibLayout layout;
    const DibStatus status = ReadLayout(bytes, size, info, headerSize, fileHeader, &layout);
    if (status != DibStatus::Ok)
        return status;

    Palette palette;
    ReadPalette(bytes, layout, &palette);

    // Within kMaxPixels, so the product fits comfortably.
    const size_t outputSize = static_cast<size_t>(layout.width * layout.height * 3);
    auto* data = static_cast<unsigned char*>(std::calloc(outputSize, 1));
    auto* record = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    if (data == nullptr || record == nullptr)
    {
        std::free(data);
        std::free(record);
        return DibStatus::OutOfMemory;
    }

    if (layout.compression == kBiRle8 || layout.compression == kBiRle4)
        DecodeRle(bytes, size, layout, palette, data);
    else
        DecodeRows(bytes, layout, palette, data);

    record->width = static_cast<int32_t>(layout.width);
    record->height = static_cast<int32_t>(layout.height);
    record->data = data;
    *image = record;
    return DibStatus::Ok;
}

const char* DibStatusMessage(DibStatus status)
{
    switch (status)
    {
    case DibStatus::Ok:
        return "";
    case DibStatus::UnknownFormat:
        return "Unknown DIB file format.";
    case DibStatus::ConversionError:
        return "Image file conversion error.";
    case DibStatus::OutOfMemory:
        return "Out of memory.";
    }
    return "";
}

void FreeRgbImage(RgbImage* image)
{
    if (image == nullptr)
        return;
    std::free(image->data);
    std::free(image);
}

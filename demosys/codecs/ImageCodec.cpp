// Image codecs: JPEG and TGA decoding for textures, PNG writing and reading for captured frames.
//
// Sections:
//   Shared helpers        error reporting, size limits
//   JPEG                  libjpeg from memory; errors and corrupt-data warnings end the decode
//   TGA                   our own reader: header, colour map, raw and RLE pixel data
//   PNG                   libpng writing (BGRA -> RGB) and reading (any PNG -> RGBA)
//
// libjpeg and libpng report fatal errors through a callback that must not return; ours longjmp
// back to the function that set the jump. A longjmp must not skip a C++ destructor, so the
// code that runs between setjmp and the library calls lives in helpers that hold only plain
// data; every vector they fill belongs to the caller and was created before the setjmp.
#include "codecs/ImageCodec.h"

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// ---------------------------------------------------------------------------------------------
// Shared helpers
// ---------------------------------------------------------------------------------------------

// No texture or frame of ours comes near this; a header claiming more is damaged or hostile,
// and is refused before anything is allocated for it.
constexpr int kMaxSide = 16384;

bool Fail(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return false;
}

// ---------------------------------------------------------------------------------------------
// JPEG
// ---------------------------------------------------------------------------------------------

struct JpegErrorManager
{
    // First member: libjpeg only knows the pointer to this part.
    jpeg_error_mgr base;
    jmp_buf jump;
    // Set once every scanline has been read: a warning after that point (stray bytes before
    // the end marker) cannot change a single pixel.
    bool pixelsComplete;
    char message[JMSG_LENGTH_MAX + 64];
};

[[noreturn]] void JpegErrorExit(j_common_ptr info)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// libjpeg classes a level -1 message as "recoverable corrupt-data warning": it goes on with
// made-up data (a truncated file gets a fake end marker, a bad Huffman code grey blocks).
// A texture decoded that way is not the picture in the file, so such a warning ends the decode
// like an error. The one exception is an unknown JFIF revision, which says nothing about the
// pixels. Trace and advisory messages (levels >= 0) are ignored.
void JpegEmitMessage(j_common_ptr info, int level)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    if (level >= 0 || manager->pixelsComplete || info->err->msg_code == JWRN_JFIF_MAJOR)
        return;
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    std::snprintf(manager->message, sizeof manager->message, "damaged JPEG data: %s", text);
    std::longjmp(manager->jump, 1);
}

// Nothing goes to standard error from here: the caller reports the reason once, with the path.
void JpegOutputMessage(j_common_ptr) {}

// The decode proper, after the caller has set the jump. Holds only plain data (see the top of
// the file). False with the reason in `reason` for pictures we refuse ourselves.
bool DecodeJpegBody(jpeg_decompress_struct* info, JpegErrorManager* errors, const uint8_t* bytes,
                    size_t size, DecodedImage* image, char* reason, size_t reasonSize)
{
    jpeg_create_decompress(info);
    jpeg_mem_src(info, bytes, static_cast<unsigned long>(size));
    // With require_image TRUE a file without a picture is an error (longjmp), never a return.
    jpeg_read_header(info, TRUE);
    if (info->image_width == 0 || info->image_height == 0 || info->image_width > kMaxSide ||
        info->image_height > kMaxSide)
    {
        std::snprintf(reason, reasonSize, "picture size %ux%u is outside 1..%d per side",
                      static_cast<unsigned>(info->image_width),
                      static_cast<unsigned>(info->image_height), kMaxSide);
        return false;
    }
    switch (info->jpeg_color_space)
    {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        std::snprintf(reason, reasonSize, "CMYK JPEG pictures are not supported");
        return false;
    default:
        std::snprintf(reason, reasonSize, "unsupported JPEG colour space %d",
                      static_cast<int>(info->jpeg_color_space));
        return false;
    }
    // Greyscale expands to RGB inside libjpeg.
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    if (info->output_components != 3)
    {
        std::snprintf(reason, reasonSize, "decoder produced %d channels instead of 3",
                      info->output_components);
        return false;
    }
    image->width = static_cast<int>(info->output_width);
    image->height = static_cast<int>(info->output_height);
    image->channels = 3;
    const size_t stride = static_cast<size_t>(image->width) * 3;
    image->pixels.resize(stride * static_cast<size_t>(image->height));
    // libjpeg delivers the top row first; ours is the bottom row first.
    while (info->output_scanline < info->output_height)
    {
        const size_t row = static_cast<size_t>(image->height) - 1 - info->output_scanline;
        JSAMPROW target = image->pixels.data() + row * stride;
        jpeg_read_scanlines(info, &target, 1);
    }
    errors->pixelsComplete = true;
    jpeg_finish_decompress(info);
    return true;
}

// True when the picture was decoded; false with the reason in errors->message when libjpeg
// reported an error or we refused the picture. The jump is set here, where no local changes
// after it.
bool RunJpegDecode(jpeg_decompress_struct* info, JpegErrorManager* errors, const uint8_t* bytes,
                   size_t size, DecodedImage* image)
{
    if (setjmp(errors->jump) != 0)
        return false;
    return DecodeJpegBody(info, errors, bytes, size, image, errors->message,
                          sizeof errors->message);
}

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
            return Fail(error, "colour-map index " + std::to_string(p[0]) + " is outside the map");
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
        return Fail(error, "file too short for a TGA header");
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
        return Fail(error, "unsupported TGA image type " + std::to_string(imageType));
    if (mapType > 1)
        return Fail(error, "unknown TGA colour-map type " + std::to_string(mapType));
    const bool mapped = baseType == 1;
    if (mapped && mapType != 1)
        return Fail(error, "colour-mapped TGA without a colour map");
    if (width == 0 || height == 0)
        return Fail(error, "TGA picture has no pixels (" + std::to_string(width) + "x" +
                               std::to_string(height) + ")");
    if (width > kMaxSide || height > kMaxSide)
        return Fail(error, "TGA picture size " + std::to_string(width) + "x" +
                               std::to_string(height) + " is over " + std::to_string(kMaxSide) +
                               " per side");
    const bool depthOk = mapped ? depth == 8
                         : baseType == 2 ? (depth == 15 || depth == 16 || depth == 24 || depth == 32)
                                         : (depth == 8 || depth == 16);
    if (!depthOk)
        return Fail(error, "unsupported pixel depth " + std::to_string(depth) + " for TGA type " +
                               std::to_string(imageType));

    size_t offset = kTgaHeaderSize;
    // The image ID is free text we have no use for.
    if (size - offset < idLength)
        return Fail(error, "TGA image ID runs past the end of the file");
    offset += idLength;

    // A map is read only for mapped pictures; a true-colour or grey picture may still carry
    // one, which is skipped.
    std::vector<uint8_t> map;
    if (mapType == 1)
    {
        const size_t entryBytes = (static_cast<size_t>(mapEntryBits) + 7) / 8;
        const size_t mapBytes = entryBytes * static_cast<size_t>(mapLength);
        if (size - offset < mapBytes)
            return Fail(error, "TGA colour map runs past the end of the file");
        if (mapped)
        {
            if (mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 &&
                mapEntryBits != 32)
                return Fail(error, "unsupported colour-map entry size " +
                                       std::to_string(mapEntryBits));
            if (mapLength == 0)
                return Fail(error, "colour-mapped TGA with an empty colour map");
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
        return Fail(error, "TGA pixel data truncated: " + std::to_string(width) + "x" +
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
            return Fail(error, "TGA RLE data truncated after " + std::to_string(done) + " of " +
                                   std::to_string(pixelCount) + " pixels");
        const uint8_t packet = data[position++];
        const size_t count = static_cast<size_t>(packet & 0x7F) + 1;
        if (count > pixelCount - done)
            return Fail(error, "TGA RLE packet runs past the end of the picture");
        const bool run = (packet & 0x80) != 0;
        const size_t packetBytes = run ? pixelBytes : count * pixelBytes;
        if (remaining - position < packetBytes)
            return Fail(error, "TGA RLE data truncated inside a packet");
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

// ---------------------------------------------------------------------------------------------
// PNG
// ---------------------------------------------------------------------------------------------

static_assert(kPngFilterNone == PNG_FILTER_NONE && kPngFilterSub == PNG_FILTER_SUB && kPngFilterUp == PNG_FILTER_UP &&
                  kPngFilterAverage == PNG_FILTER_AVG && kPngFilterPaeth == PNG_FILTER_PAETH,
              "the filter bits are libpng's");

struct PngErrorState
{
    jmp_buf jump;
    char message[256];
};

[[noreturn]] void PngError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    std::longjmp(state->jump, 1);
}

// Warnings (unknown chunks, odd colour profiles) do not change the pixels we read or write.
void PngWarning(png_structp, png_const_charp) {}

// After the caller's setjmp; plain data only. row has room for width * 3 bytes.
void WritePngBody(png_structp png, png_infop info, FILE* file, int width, int height,
                  const uint8_t* bgra, bool bottomRowFirst, uint8_t* row, const PngCompression* compression)
{
    png_init_io(png, file);
    png_set_compression_level(png, compression->level);
    if (compression->strategy >= 0)
        png_set_compression_strategy(png, compression->strategy);
    if (compression->filters != 0)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, compression->filters);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
    {
        const int sourceRow = bottomRowFirst ? height - 1 - y : y;
        const uint8_t* source = bgra + static_cast<size_t>(sourceRow) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < width; ++x)
        {
            row[x * 3 + 0] = source[x * 4 + 2];
            row[x * 3 + 1] = source[x * 4 + 1];
            row[x * 3 + 2] = source[x * 4 + 0];
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
}

// True when the whole picture went through libpng, false when it reported an error. The jump
// is set here, where no local changes after it.
bool RunPngWrite(PngErrorState* state, png_structp png, png_infop info, FILE* file, int width,
                 int height, const uint8_t* bgra, bool bottomRowFirst, uint8_t* row,
                 const PngCompression* compression)
{
    if (setjmp(state->jump) != 0)
        return false;
    WritePngBody(png, info, file, width, height, bgra, bottomRowFirst, row, compression);
    return true;
}

struct PngReadResult
{
    png_uint_32 width;
    png_uint_32 height;
};

// After the caller's setjmp; plain data only. The signature has already been read.
void ReadPngBody(png_structp png, png_infop info, FILE* file, std::vector<uint8_t>* pixels,
                 std::vector<png_bytep>* rows, PngReadResult* result)
{
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    // Palette to RGB, grey below 8 bits to 8 bits, a transparency chunk to an alpha channel.
    png_set_expand(png);
    if (bitDepth == 16)
        png_set_scale_16(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && !hasTransparency)
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    result->width = png_get_image_width(png, info);
    result->height = png_get_image_height(png, info);
    const size_t stride = static_cast<size_t>(result->width) * 4;
    if (png_get_rowbytes(png, info) != stride)
        png_error(png, "PNG rows did not convert to 8-bit RGBA");
    pixels->resize(stride * result->height);
    rows->resize(result->height);
    for (png_uint_32 y = 0; y < result->height; ++y)
        (*rows)[y] = pixels->data() + y * stride;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
}

// True when the picture was read, false when libpng reported an error (see RunPngWrite).
bool RunPngRead(PngErrorState* state, png_structp png, png_infop info, FILE* file,
                std::vector<uint8_t>* pixels, std::vector<png_bytep>* rows, PngReadResult* result)
{
    if (setjmp(state->jump) != 0)
        return false;
    ReadPngBody(png, info, file, pixels, rows, result);
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error)
{
    if (image == nullptr)
        return Fail(error, "no image to decode into");
    *image = DecodedImage();
    if (bytes == nullptr || size == 0)
        return Fail(error, "empty file");
    if (size > ULONG_MAX)
        return Fail(error, "file too large");

    // Zeroed so that destroying it is safe even if creating it failed half-way. Both live in
    // this frame, outside the function that sets the jump, so nothing libjpeg changed in them
    // is lost by the jump.
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    JpegErrorManager errors;
    std::memset(&errors, 0, sizeof errors);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JpegErrorExit;
    errors.base.emit_message = JpegEmitMessage;
    errors.base.output_message = JpegOutputMessage;
    bool decoded = false;
    try
    {
        decoded = RunJpegDecode(&info, &errors, bytes, size, image);
    }
    catch (const std::bad_alloc&)
    {
        std::snprintf(errors.message, sizeof errors.message, "out of memory");
    }
    jpeg_destroy_decompress(&info);
    if (!decoded)
    {
        *image = DecodedImage();
        return Fail(error, errors.message);
    }
    return true;
}

bool DecodeTga(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error)
{
    if (image == nullptr)
        return Fail(error, "no image to decode into");
    // A refused file leaves no half-filled picture behind.
    bool decoded = false;
    try
    {
        decoded = DecodeTgaInto(bytes, size, image, error);
    }
    catch (const std::bad_alloc&)
    {
        Fail(error, "out of memory");
    }
    if (!decoded)
    {
        *image = DecodedImage();
        return false;
    }
    return true;
}

bool WritePngBgra(const std::string& path, int width, int height, const uint8_t* bgra,
                  std::string* error, int compressionLevel)
{
    PngCompression compression;
    compression.level = compressionLevel;
    return WritePngBgraRows(path, width, height, bgra, false, compression, error);
}

bool WritePngBgraRows(const std::string& path, int width, int height, const uint8_t* bgra, bool bottomRowFirst,
                      const PngCompression& requested, std::string* error)
{
    if (width <= 0 || height <= 0 || bgra == nullptr)
        return Fail(error, "no picture to write to " + path);
    PngCompression compression = requested;
    compression.level = std::max(0, std::min(9, compression.level));
    // Only the five filter bits mean anything to libpng.
    compression.filters &= PNG_ALL_FILTERS;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return Fail(error, "cannot create " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    PngErrorState state;
    std::memset(&state, 0, sizeof state);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info != nullptr)
        written = RunPngWrite(&state, png, info, file, width, height, bgra, bottomRowFirst, row.data(),
                              &compression);
    else
        std::snprintf(state.message, sizeof state.message, "out of memory");
    png_destroy_write_struct(&png, &info);
    // A full disk may only show when the buffered tail is flushed.
    const bool closed = std::fclose(file) == 0;
    if (written && !closed)
        std::snprintf(state.message, sizeof state.message, "%s", std::strerror(errno));
    if (!written || !closed)
    {
        // No half-written picture is left where a finished one is expected.
        std::remove(path.c_str());
        return Fail(error, "cannot write " + path + ": " + state.message);
    }
    return true;
}

bool ReadPngRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba,
                 std::string* error)
{
    if (width == nullptr || height == nullptr || rgba == nullptr)
        return Fail(error, "nowhere to put the picture");
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return Fail(error, "cannot open " + path + ": " + std::strerror(errno));
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
    {
        std::fclose(file);
        return Fail(error, path + " is not a PNG file");
    }
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    PngReadResult result = {0, 0};
    PngErrorState state;
    std::memset(&state, 0, sizeof state);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool read = false;
    if (info != nullptr)
        read = RunPngRead(&state, png, info, file, &pixels, &rows, &result);
    else
        std::snprintf(state.message, sizeof state.message, "out of memory");
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    if (!read)
        return Fail(error, "cannot read " + path + ": " + state.message);
    *width = static_cast<int>(result.width);
    *height = static_cast<int>(result.height);
    *rgba = std::move(pixels);
    return true;
}

// PNG writing (BGRA -> RGB, the compression chosen) and reading (any PNG -> RGBA) through libpng.
//
// libpng reports fatal errors through a callback that must not return; ours longjmps back to
// the function that set the jump. A longjmp must not skip a C++ destructor, so the code that
// runs between setjmp and the library calls lives in helpers that hold only plain data; every
// vector they fill belongs to the caller and was created before the setjmp.
#include "codecs/ImageCodec.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "codecs/CodecCommon.h"

static_assert(kPngStrategyRle == Z_RLE, "kPngStrategyRle names zlib's Z_RLE");

namespace {

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
        BgraRowToRgb(bgra, width, height, y, bottomRowFirst, row);
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
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
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

bool WritePngBgraRows(const std::string& path, int width, int height, const uint8_t* bgra, bool bottomRowFirst,
                      const PngCompression& requested, std::string* error)
{
    if (width <= 0 || height <= 0 || bgra == nullptr)
        return CodecFail(error, "no picture to write to " + path);
    PngCompression compression = requested;
    compression.level = std::max(0, std::min(9, compression.level));
    // Only the five filter bits mean anything to libpng.
    compression.filters &= PNG_ALL_FILTERS;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return CodecFail(error, "cannot create " + path + ": " + std::strerror(errno));
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
        return CodecFail(error, "cannot write " + path + ": " + state.message);
    }
    return true;
}

bool ReadPngRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba,
                 std::string* error)
{
    if (width == nullptr || height == nullptr || rgba == nullptr)
        return CodecFail(error, "nowhere to put the picture");
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return CodecFail(error, "cannot open " + path + ": " + std::strerror(errno));
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
    {
        std::fclose(file);
        return CodecFail(error, path + " is not a PNG file");
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
        return CodecFail(error, "cannot read " + path + ": " + state.message);
    *width = static_cast<int>(result.width);
    *height = static_cast<int>(result.height);
    *rgba = std::move(pixels);
    return true;
}

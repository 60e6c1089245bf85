#include "Writers.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

void PutU8(Bytes* out, uint32_t value) { out->push_back(static_cast<uint8_t>(value)); }

void PutU16(Bytes* out, uint32_t value)
{
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(Bytes* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutF32(Bytes* out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    PutU32(out, bits);
}

void PutFixedString(Bytes* out, const std::string& text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        out->push_back(i < text.size() && i + 1 < size ? static_cast<uint8_t>(text[i]) : 0);
}

Bytes EncodeJpeg(const Image8& image, int quality, bool fullChroma)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    info.dct_method = JDCT_ISLOW;
    if (fullChroma)
    {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(&image.rgb[static_cast<size_t>(info.next_scanline) * image.width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

Bytes EncodeTga(const Image8& image)
{
    Bytes out;
    PutU8(&out, 0);   // no image id
    PutU8(&out, 0);   // no colour map
    PutU8(&out, 2);   // uncompressed true colour
    PutU16(&out, 0);  // colour map: first entry, length, entry size (5 bytes)
    PutU16(&out, 0);
    PutU8(&out, 0);
    PutU16(&out, 0);  // x origin
    PutU16(&out, 0);  // y origin
    PutU16(&out, static_cast<uint32_t>(image.width));
    PutU16(&out, static_cast<uint32_t>(image.height));
    PutU8(&out, 24);
    PutU8(&out, 0);   // bottom-left origin, no alpha bits
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x)
        {
            const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
            out.push_back(image.rgb[i + 2]);
            out.push_back(image.rgb[i + 1]);
            out.push_back(image.rgb[i + 0]);
        }
    return out;
}

namespace
{

void PutBmpHeaders(Bytes* out, int width, int height, int bitCount, int paletteEntries, uint32_t pixelBytes)
{
    const uint32_t offset = 14 + 40 + static_cast<uint32_t>(paletteEntries) * 4;
    PutU8(out, 'B');
    PutU8(out, 'M');
    PutU32(out, offset + pixelBytes);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, offset);
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(width));
    PutU32(out, static_cast<uint32_t>(height));
    PutU16(out, 1);
    PutU16(out, static_cast<uint32_t>(bitCount));
    PutU32(out, 0);  // no compression
    PutU32(out, pixelBytes);
    PutU32(out, 2835);  // 72 dpi
    PutU32(out, 2835);
    PutU32(out, static_cast<uint32_t>(paletteEntries));
    PutU32(out, 0);
}

}  // namespace

Bytes EncodeBmp24(const Image8& image)
{
    const int stride = (image.width * 3 + 3) & ~3;
    Bytes out;
    PutBmpHeaders(&out, image.width, image.height, 24, 0, static_cast<uint32_t>(stride) * image.height);
    for (int y = image.height - 1; y >= 0; --y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
            out.push_back(image.rgb[i + 2]);
            out.push_back(image.rgb[i + 1]);
            out.push_back(image.rgb[i + 0]);
        }
        for (int pad = image.width * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

Bytes EncodeBmp8(int width, int height, const std::vector<uint8_t>& indices,
                 const std::vector<std::array<uint8_t, 3>>& palette)
{
    const int stride = (width + 3) & ~3;
    Bytes out;
    PutBmpHeaders(&out, width, height, 8, static_cast<int>(palette.size()), static_cast<uint32_t>(stride) * height);
    for (const auto& entry : palette)
    {
        out.push_back(entry[2]);
        out.push_back(entry[1]);
        out.push_back(entry[0]);
        out.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y)
    {
        for (int x = 0; x < width; ++x)
            out.push_back(indices[static_cast<size_t>(y) * width + x]);
        for (int pad = width; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

namespace
{

void PngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

}  // namespace

Bytes EncodePng(const Image8& image, int compressionLevel)
{
    return EncodePngPixels(image.rgb.data(), image.width, image.height, 3, compressionLevel);
}

Bytes EncodePngPixels(const uint8_t* pixels, int width, int height, int channels, int compressionLevel)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_compression_level(png, compressionLevel);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(&pixels[static_cast<size_t>(y) * width * channels]));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes, std::string* error)
{
    std::error_code ec;
    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ec);
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (!file)
    {
        *error = "cannot create " + path;
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
    {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

// PNG in the browser: written through stb_image_write, which carries its own deflate (there is
// no zlib in this build); read through stb_image (codecs/stb). stb_image_write has no strategy
// setting: PngCompression's level becomes its compression level and a single allowed filter is
// forced, any other choice leaves the filter to stb. The pixels are the same either way.
#include "codecs/ImageCodec.h"

#include <algorithm>

#include "codecs/CodecCommon.h"
#include "support/WholeFile.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

void Append(void* context, void* data, int size)
{
    auto* file = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    file->insert(file->end(), bytes, bytes + size);
}

} // namespace

bool WritePngBgraRows(const std::string& path, int width, int height, const uint8_t* bgra, bool bottomRowFirst,
                      const PngCompression& compression, std::string* error)
{
    if (width <= 0 || height <= 0 || bgra == nullptr)
        return CodecFail(error, "no picture to write to " + path);
    // Upright RGB rows, as stb_image_write takes them.
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> rgb(rowBytes * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        BgraRowToRgb(bgra, width, height, y, bottomRowFirst, rgb.data() + static_cast<size_t>(y) * rowBytes);
    // stb's deflate needs a level of at least 1 to find any match.
    stbi_write_png_compression_level = std::clamp(compression.level, 1, 9);
    // stb's filter numbers are PNG's; -1 lets stb choose.
    stbi_write_force_png_filter = SinglePngFilter(compression.filters);
    std::vector<uint8_t> file;
    if (stbi_write_png_to_func(Append, &file, width, height, 3, rgb.data(), static_cast<int>(rowBytes)) == 0)
        return CodecFail(error, "cannot write " + path + ": the PNG encoder failed");
    std::string reason;
    return WriteWholeFile(path, file, &reason) || CodecFail(error, reason);
}

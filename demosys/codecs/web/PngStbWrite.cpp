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

// stb's filter number for a single kPngFilter* bit; -1 (stb chooses) for none or several.
int ForcedFilter(int filters)
{
    static const int kBits[5] = {kPngFilterNone, kPngFilterSub, kPngFilterUp, kPngFilterAverage, kPngFilterPaeth};
    int forced = -1;
    for (int type = 0; type < 5; ++type)
        if ((filters & kBits[type]) != 0)
        {
            if (forced >= 0)
                return -1;
            forced = type;
        }
    return forced;
}

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
    {
        const int sourceRow = bottomRowFirst ? height - 1 - y : y;
        const uint8_t* source = bgra + static_cast<size_t>(sourceRow) * static_cast<size_t>(width) * 4;
        uint8_t* target = rgb.data() + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x)
        {
            target[x * 3 + 0] = source[x * 4 + 2];
            target[x * 3 + 1] = source[x * 4 + 1];
            target[x * 3 + 2] = source[x * 4 + 0];
        }
    }
    // stb's deflate needs a level of at least 1 to find any match.
    stbi_write_png_compression_level = std::clamp(compression.level, 1, 9);
    stbi_write_force_png_filter = ForcedFilter(compression.filters);
    std::vector<uint8_t> file;
    if (stbi_write_png_to_func(Append, &file, width, height, 3, rgb.data(), static_cast<int>(rowBytes)) == 0)
        return CodecFail(error, "cannot write " + path + ": the PNG encoder failed");
    std::string reason;
    return WriteWholeFile(path, file, &reason) || CodecFail(error, reason);
}

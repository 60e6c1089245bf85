// Reading PNG files through stb_image (any PNG -> upright 8-bit RGBA), on the platforms whose
// codecs are stb's: Windows and the browser.
#include "codecs/ImageCodec.h"

#include <stb_image.h>

#include <cstring>

#include "codecs/CodecCommon.h"
#include "support/WholeFile.h"

bool ReadPngRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba, std::string* error)
{
    if (width == nullptr || height == nullptr || rgba == nullptr)
        return CodecFail(error, "nowhere to put the picture");
    std::vector<uint8_t> bytes;
    const WholeFileResult read = ReadWholeFile(path, &bytes);
    if (!read.ok)
        return CodecFail(error, "cannot open " + path + ": " + read.Reason(kMaxDataFileBytes));
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0)
        return CodecFail(error, path + " is not a PNG file");
    int w = 0;
    int h = 0;
    int components = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &components, 4);
    if (pixels == nullptr)
    {
        const char* reason = stbi_failure_reason();
        return CodecFail(error, "cannot read " + path + ": " + (reason != nullptr ? reason : "damaged PNG data"));
    }
    rgba->assign(pixels, pixels + static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    stbi_image_free(pixels);
    *width = w;
    *height = h;
    return true;
}

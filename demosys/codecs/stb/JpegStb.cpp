// JPEG decoding through stb_image (Windows and the browser), with the same refusals as the libjpeg decoder of
// the Linux build: before stb_image sees the bytes, their marker structure is walked, so a file
// cut anywhere (also one that only lacks its end marker), a CMYK picture and a size outside the
// limit are refused with a reason, never decoded into made-up pixels. Stray bytes between the
// last scan and the end marker pass, as they do on Linux.
//
// The two decoders round differently (inverse DCT and chroma upsampling): a picture may differ
// by a few steps per channel between the two builds, never in its layout.
#include "codecs/ImageCodec.h"

#include <stb_image.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "codecs/CodecCommon.h"

namespace {

struct JpegLayout
{
    unsigned width = 0;
    unsigned height = 0;
    int components = 0;
};

bool IsStartOfFrame(uint8_t marker)
{
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the markers from SOI to EOI, over the entropy-coded data of every scan. False with the
// reason when the structure is broken or the picture is one we refuse.
bool ReadJpegLayout(const uint8_t* bytes, size_t size, JpegLayout* layout, std::string* error)
{
    if (size < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
    {
        char reason[64];
        std::snprintf(reason, sizeof reason, "Not a JPEG file: starts with 0x%02x 0x%02x", size > 0 ? bytes[0] : 0,
                      size > 1 ? bytes[1] : 0);
        return CodecFail(error, reason);
    }
    const std::string truncated = "damaged JPEG data: Premature end of JPEG file";
    bool haveFrame = false;
    bool haveScan = false;
    size_t position = 2;
    for (;;)
    {
        // A marker: 0xFF, any number of fill bytes 0xFF, then the code.
        if (position >= size)
            return CodecFail(error, truncated);
        if (bytes[position] != 0xFF)
            return CodecFail(error, "damaged JPEG data: a marker was expected");
        while (position < size && bytes[position] == 0xFF)
            ++position;
        if (position >= size)
            return CodecFail(error, truncated);
        const uint8_t marker = bytes[position++];
        if (marker == 0xD9)
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;   // no length follows
        if (position + 2 > size)
            return CodecFail(error, truncated);
        const size_t length = (static_cast<size_t>(bytes[position]) << 8) | bytes[position + 1];
        if (length < 2)
            return CodecFail(error, "damaged JPEG data: a segment is shorter than its length field");
        if (position + length > size)
            return CodecFail(error, truncated);
        const uint8_t* segment = bytes + position + 2;
        if (IsStartOfFrame(marker))
        {
            if (length < 8)
                return CodecFail(error, "damaged JPEG data: a frame header is too short");
            if (marker >= 0xC9)
                return CodecFail(error, "arithmetic-coded JPEG pictures are not supported");
            if (marker == 0xC3 || marker == 0xC7 || marker == 0xCB || marker == 0xCF)
                return CodecFail(error, "lossless JPEG pictures are not supported");
            layout->height = (static_cast<unsigned>(segment[1]) << 8) | segment[2];
            layout->width = (static_cast<unsigned>(segment[3]) << 8) | segment[4];
            layout->components = segment[5];
            haveFrame = true;
        }
        position += length;
        if (marker == 0xDA)
        {
            if (!haveFrame)
                return CodecFail(error, "damaged JPEG data: a scan before the frame header");
            haveScan = true;
            // Entropy-coded data up to the next marker that is not a stuffed 0xFF or a restart.
            while (position + 1 < size)
            {
                if (bytes[position] == 0xFF && bytes[position + 1] != 0x00 &&
                    !(bytes[position + 1] >= 0xD0 && bytes[position + 1] <= 0xD7) && bytes[position + 1] != 0xFF)
                    break;
                ++position;
            }
            if (position + 1 >= size)
                return CodecFail(error, truncated);
        }
    }
    if (!haveFrame || !haveScan)
        return CodecFail(error, "damaged JPEG data: no picture in the file");
    if (layout->width == 0 || layout->height == 0 || layout->width > kMaxImageSide || layout->height > kMaxImageSide)
    {
        char reason[96];
        std::snprintf(reason, sizeof reason, "picture size %ux%u is outside 1..%d per side", layout->width,
                      layout->height, kMaxImageSide);
        return CodecFail(error, reason);
    }
    if (layout->components == 4)
        return CodecFail(error, "CMYK JPEG pictures are not supported");
    if (layout->components != 1 && layout->components != 3)
        return CodecFail(error, "unsupported JPEG colour space with " + std::to_string(layout->components) +
                                    " components");
    return true;
}

} // namespace

bool DecodeJpegWithPlatformLibrary(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error)
{
    if (size > 0x7FFFFFFF)
        return CodecFail(error, "file too large");
    JpegLayout layout;
    if (!ReadJpegLayout(bytes, size, &layout, error))
        return false;

    int width = 0;
    int height = 0;
    int components = 0;
    // Greyscale expands to RGB inside stb_image.
    stbi_uc* decoded = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &components, 3);
    if (decoded == nullptr)
    {
        const char* reason = stbi_failure_reason();
        return CodecFail(error, std::string("damaged JPEG data: ") + (reason != nullptr ? reason : "cannot decode"));
    }
    try
    {
        image->width = width;
        image->height = height;
        image->channels = 3;
        const size_t stride = static_cast<size_t>(width) * 3;
        image->pixels.resize(stride * static_cast<size_t>(height));
        // stb_image delivers the top row first; ours is the bottom row first.
        for (int row = 0; row < height; ++row)
            std::memcpy(image->pixels.data() + static_cast<size_t>(height - 1 - row) * stride,
                        decoded + static_cast<size_t>(row) * stride, stride);
    }
    catch (const std::bad_alloc&)
    {
        stbi_image_free(decoded);
        *image = DecodedImage();
        return CodecFail(error, "out of memory");
    }
    stbi_image_free(decoded);
    return true;
}

// What the image codecs share: the size limit and the way a decoder reports a refusal.
// Internal to demosys/codecs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct DecodedImage;

// No texture or frame of ours comes near this; a header claiming more is damaged or hostile,
// and is refused before anything is allocated for it.
constexpr int kMaxImageSide = 16384;

// Row y (counted from the top) of a width x height BGRA picture as RGB bytes, the order PNG
// files keep; the picture's rows run bottom first when bottomRowFirst (as GL reads them back).
inline void BgraRowToRgb(const uint8_t* bgra, int width, int height, int y, bool bottomRowFirst, uint8_t* rgb)
{
    const int sourceRow = bottomRowFirst ? height - 1 - y : y;
    const uint8_t* source = bgra + static_cast<size_t>(sourceRow) * static_cast<size_t>(width) * 4;
    for (int x = 0; x < width; ++x)
    {
        rgb[x * 3 + 0] = source[x * 4 + 2];
        rgb[x * 3 + 1] = source[x * 4 + 1];
        rgb[x * 3 + 2] = source[x * 4 + 0];
    }
}

// The PNG filter type (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth) when `filters` (kPngFilter*
// bits) allows exactly one; -1 for none or several.
int SinglePngFilter(int filters);

// Puts the reason in *error (when error is not null) and returns false.
inline bool CodecFail(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return false;
}

// The platform's JPEG decoder (codecs/linux: libjpeg; codecs/stb: stb_image, on Windows and in
// the browser), called by DecodeJpeg once it has checked that there are bytes and a picture to
// fill, and emptied the picture. Its own limits (the length the library takes) and refusals are its own.
bool DecodeJpegWithPlatformLibrary(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error);

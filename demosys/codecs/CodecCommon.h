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

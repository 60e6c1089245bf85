// Decoding of the texture files the library loads (JPEG, TGA) and encoding of captured frames
// (PNG). Decoders work on bytes in memory and never read outside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded picture in GL's row order: the first row is the BOTTOM of the picture, so that
// texture coordinate t = 0 is the picture's lower edge. channels is 3 (RGB) or 4 (RGBA).
struct DecodedImage
{
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;   // width * height * channels bytes, rows packed
};

// Baseline and progressive JPEG, greyscale or colour, through libjpeg(-turbo). Greyscale
// becomes RGB. False with a reason (e.g. "not a JPEG file", "truncated image data").
bool DecodeJpeg(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error);

// TGA: uncompressed and RLE; true-colour 16/24/32-bit, colour-mapped 8-bit, greyscale 8-bit
// (and 16-bit grey+alpha); bottom-left and top-left origins. Alpha is kept (channels 4) when
// the file has alpha bits; otherwise channels 3.
bool DecodeTga(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error);

// Writes an upright picture (first row = top) given as BGRA to a PNG file (RGB, alpha dropped).
// compressionLevel is zlib's 0..9.
bool WritePngBgra(const std::string& path, int width, int height, const uint8_t* bgra,
                  std::string* error, int compressionLevel = 3);

// Reads a PNG file into upright RGBA (first row = top). For tests and tools.
bool ReadPngRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba,
                 std::string* error);

// Reads a whole file into memory. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes);

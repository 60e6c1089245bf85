// Encoders for the file formats the demo reads (JPEG, TGA, BMP) and the review sheet (PNG).
// All work in memory and are deterministic: the same picture gives the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"

using Bytes = std::vector<uint8_t>;

// Baseline JPEG, 4:4:4 when `fullChroma` (masks and sharp text keep clean edges), else 4:2:0.
Bytes EncodeJpeg(const Image8& image, int quality, bool fullChroma);

// Uncompressed 24-bit TGA (image type 2) with the bottom-left origin.
Bytes EncodeTga(const Image8& image);

// 24-bit BMP with the 14-byte file header and a 40-byte info header, bottom-up rows padded to
// four bytes.
Bytes EncodeBmp24(const Image8& image);

// 8-bit palette BMP: `indices` (top row first) into `palette` (RGB entries; up to 256).
Bytes EncodeBmp8(int width, int height, const std::vector<uint8_t>& indices,
                 const std::vector<std::array<uint8_t, 3>>& palette);

// PNG (8-bit RGB) for review pictures; zlib level 0..9.
Bytes EncodePng(const Image8& image, int compressionLevel = 6);
// PNG of 8-bit pixels, `channels` 3 (RGB) or 4 (RGBA), top row first, rows packed.
Bytes EncodePngPixels(const uint8_t* pixels, int width, int height, int channels, int compressionLevel);

// Writes bytes to a file, creating parent directories. False with a reason on failure.
bool WriteFileBytes(const std::string& path, const Bytes& bytes, std::string* error);

// Little-endian appenders shared by the binary writers.
void PutU8(Bytes* out, uint32_t value);
void PutU16(Bytes* out, uint32_t value);
void PutU32(Bytes* out, uint32_t value);
void PutF32(Bytes* out, float value);
// A text field of exactly `size` bytes, NUL-padded (and NUL-terminated when it fits).
void PutFixedString(Bytes* out, const std::string& text, size_t size);

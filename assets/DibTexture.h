// Windows device-independent bitmaps (.bmp) as GL textures, for the model materials.
// ReadDibFile reads the file and decodes it with DecodeDib, a function over a byte buffer
// that turns 1/4/8-bit palettes, 16/24/32-bit pixels, bit fields and RLE4/RLE8 into packed
// 24-bit RGB rows, bottom row first. Failures are shown with MessageBoxA, one per failed read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A decoded image: width x |height| x 3 bytes, R G B, rows packed (no padding), bottom row
// first. The record and its data are malloc'ed; the receiver frees both with free().
struct RgbImage
{
    int32_t width;
    int32_t height;
    unsigned char* data;
};

// The outcome of decoding a DIB held in memory.
enum class DibStatus
{
    Ok,
    UnknownFormat,      // header size neither 12 nor 40: "Unknown DIB file format."
    ConversionError,    // the pixels could not be converted: "Image file conversion error."
    OutOfMemory,        // sizes too large or allocation failed: "Out of memory."
};

// Decodes a whole .bmp file (with or without the 14-byte "BM" header) held in memory.
// On Ok, *image is a new RgbImage (free with FreeRgbImage); otherwise *image is null.
DibStatus DecodeDib(const unsigned char* bytes, size_t size, RgbImage** image);

// The message a status is reported with ("" for Ok).
const char* DibStatusMessage(DibStatus status);

// Number of palette entries that follow an info header (12- or 40-byte header at infoHeader).
uint16_t DibColorCount(const unsigned char* infoHeader);

// Reads and decodes the file; shows one message and returns null on failure.
RgbImage* ReadDibFile(const char* pszFileName);

// Null for a null name or a file that cannot be opened (no message); otherwise ReadDibFile.
RgbImage* LoadDibImage(const char* pszFileName);

// A new GL texture holding the bitmap (linear filters, stays bound), or 0. Needs a GL context.
unsigned int LoadBitmapTexture(const char* pszFileName);

// Frees a record made by the functions above (null is fine).
void FreeRgbImage(RgbImage* image);

// Windows device-independent bitmaps (.bmp) as GL textures, for the model materials.
// ReadDibFile reads the file and decodes it with DecodeDib (DibDecode.cpp, pure, no GL), a
// function over a byte buffer that turns 1/4/8-bit palettes, 16/24/32-bit pixels, bit fields
// and RLE4/RLE8 into packed 24-bit RGB rows, bottom row first. Failures are shown with
// MessageBoxA, one per failed read.
#pragma once

#include <cstddef>
#include <cstdint>

// A decoded image: width x height x 3 bytes, R G B, rows packed (no padding), bottom row
// first, which is GL's texture row order. A top-down file (negative height in its header) is
// delivered the same way, its rows reversed and its height positive, so every record uploads
// as it is. The record and its data are malloc'ed; the receiver frees both with free().
struct RgbImage
{
    int32_t width;      // pixels per row, > 0
    int32_t height;     // rows, > 0
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

// Decodes a whole .bmp file (with or without the 14-byte "BM" header) held in memory. Never
// reads outside [bytes, bytes + size); pictures over 32768 pixels a side or 64 Mi pixels are
// refused (OutOfMemory) before anything is allocated. On Ok, *image is a new RgbImage (free
// with FreeRgbImage); otherwise *image is null.
DibStatus DecodeDib(const unsigned char* bytes, size_t size, RgbImage** image);

// The message a status is reported with ("" for Ok).
const char* DibStatusMessage(DibStatus status);

// Number of palette entries that follow an info header: from the bit count of a 12-byte core
// header; from the colours-used field (truncated to 16 bits) of any other, or its bit count
// when that field is 0. 1 bit gives 2, 4 bits 16, 8 bits 256, any other 0. The caller
// guarantees the header's bytes are readable (12 for a core header, 36 otherwise).
uint16_t DibColorCount(const unsigned char* infoHeader);

// Reads and decodes the file; shows one message and returns null on failure.
RgbImage* ReadDibFile(const char* pszFileName);

// Null for a null name or a file that cannot be opened (no message); otherwise ReadDibFile.
RgbImage* LoadDibImage(const char* pszFileName);

// A new GL texture holding the bitmap (linear filters, stays bound), or 0. The pixel-store
// state is set for packed rows during the upload and restored after. Needs a GL context.
unsigned int LoadBitmapTexture(const char* pszFileName);

// Frees a record made by the functions above (null is fine).
void FreeRgbImage(RgbImage* image);

// Decoding of the texture files the library loads (JPEG, TGA) and encoding of captured frames
// (PNG). Decoders work on bytes in memory and never read outside them. A picture larger than
// 16384 pixels on a side is refused before anything is allocated for it. On failure the
// decoders leave *image empty and put a one-line reason in *error (when error is not null).
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
// becomes RGB; CMYK is refused. False with a reason (e.g. "Not a JPEG file: ...",
// "damaged JPEG data: Premature end of JPEG file"). A corrupt-data warning from libjpeg (a
// truncated file, a bad Huffman code, a damaged marker) fails the decode like an error, because
// libjpeg would fill the gap with made-up pixels. Only warnings that cannot change a pixel pass:
// an unknown JFIF revision, and stray bytes met after the last scanline was decoded. A file
// that merely lacks its end marker is refused too: the decoder reads ahead while decoding the
// last rows and cannot tell that from a file cut inside its data.
bool DecodeJpeg(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error);

// TGA: types 1, 2, 3 and their RLE forms 9, 10, 11; true-colour 15/16/24/32-bit, colour-mapped
// 8-bit (map entries of 15/16/24/32 bits, numbered from the header's first-entry index),
// greyscale 8-bit and 16-bit grey+alpha; any of the four origins. Alpha is kept (channels 4)
// when the descriptor declares alpha bits and the stored values have room for them (16-bit:
// the attribute bit, 0 transparent; 32-bit and grey+alpha: the alpha byte); otherwise the
// fourth byte or the attribute bit is padding and the result is opaque RGB (channels 3).
// Raw data shorter than the picture, RLE data that ends early, an RLE packet reaching past the
// last pixel and a colour-map index outside the map are all refused.
bool DecodeTga(const uint8_t* bytes, size_t size, DecodedImage* image, std::string* error);

// Writes an upright picture (first row = top) given as BGRA to a PNG file (RGB, alpha dropped).
// compressionLevel is zlib's 0..9 (clamped). On failure no partial file is left at path.
bool WritePngBgra(const std::string& path, int width, int height, const uint8_t* bgra,
                  std::string* error, int compressionLevel = 3);

// How a PNG is compressed: zlib's level (0..9, clamped) and strategy (zlib's Z_* value; -1
// leaves it to libpng), and the row filters the encoder may choose from (kPngFilter* bits; 0
// leaves the choice to libpng, which tries all five on every row). The pixels are the same
// whatever is chosen.
constexpr int kPngFilterNone = 0x08;
constexpr int kPngFilterSub = 0x10;
constexpr int kPngFilterUp = 0x20;
constexpr int kPngFilterAverage = 0x40;
constexpr int kPngFilterPaeth = 0x80;
// zlib's Z_RLE, named here so that code choosing it needs no zlib header (the browser build has
// no zlib; its encoder ignores the strategy).
constexpr int kPngStrategyRle = 3;
struct PngCompression
{
    int level = 3;
    int strategy = -1;
    int filters = 0;
};

// As WritePngBgra, with the compression chosen, and the rows given bottom row first (GL's
// order, so a read-back frame needs no flipping) when bottomRowFirst is true.
bool WritePngBgraRows(const std::string& path, int width, int height, const uint8_t* bgra, bool bottomRowFirst,
                      const PngCompression& compression, std::string* error);

// Reads any PNG file (palette, grey, 1..16-bit, with or without alpha or a transparency chunk,
// interlaced or not) into upright 8-bit RGBA (first row = top); 16-bit samples are rounded.
// For tests and tools.
bool ReadPngRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba,
                 std::string* error);

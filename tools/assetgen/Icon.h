// The demo's icon: one picture, a bright "Z" over a tunnel of rings in a dark rounded square,
// drawn at every size from the same shapes. Written as PNG files for the desktop and as a
// Windows .ico file holding the same picture. Not data the demo reads: it goes beside data/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Writers.h"

// An 8-bit RGBA picture, top row first, rows packed; alpha 0 is transparent.
struct IconImage
{
    int size = 0;
    std::vector<uint8_t> rgba;
};

// The sizes the icon is drawn at (pixels, square).
const std::vector<int>& IconSizes();

// The icon at `size` x `size` pixels.
IconImage PaintIcon(int size);

// PNG with an alpha channel.
Bytes EncodeIconPng(const IconImage& image);

// A Windows icon file: the ICONDIR header, one 16-byte entry per image, then the images. A
// 256-pixel image is stored as PNG; smaller ones as 32-bit bitmaps (height doubled in the
// header for the AND mask that follows the colours, both bottom row first).
Bytes EncodeIco(const std::vector<IconImage>& images);

// Writes icons/zarnovelt-<size>.png for every size and zarnovelt.ico into `dir`. False with a
// reason on failure.
bool WriteIcons(const std::string& dir, std::string* error);

// The captured frames as the video encoders take them: planar 4:2:0 YCbCr, BT.601, limited
// range (Y 16..235, Cb and Cr 16..240), made on the capture's writer thread instead of inside
// ffmpeg, so the pipe carries 1.5 bytes a pixel instead of 4 and the encoder's process spends
// nothing on it. The result is ffmpeg's own conversion of the same BGRA frame (its scaler with
// the default bicubic filter), within one step of 255 in every sample: luma from each pixel,
// chroma from each pair of pixels side by side, filtered down to every second row with the
// same eight-row bicubic filter and the chroma sample halfway between the two rows.
//
// Frames arrive bottom row first (GL's order) and leave top row first. 4:2:0 needs even sides:
// an odd width or height gets one black column on the right or one black row at the bottom,
// as ffmpeg's pad filter gave it before.
#pragma once

#include <cstddef>
#include <cstdint>

// The even sides a frame of width x height is encoded at.
int Yuv420Side(int side);

// The bytes of one converted frame: the Y plane (even width x even height), then Cb, then Cr
// (each half the width and half the height).
size_t Yuv420FrameBytes(int width, int height);

// Converts one BGRA frame of width x height, bottom row first, into `yuv` (Yuv420FrameBytes
// bytes), top row first. Alpha is ignored.
void ConvertBgraToYuv420(const uint8_t* bgra, int width, int height, uint8_t* yuv);

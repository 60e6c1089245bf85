// The start-up dialog's side banner, compiled into the Linux build: the same 91 x 433 picture
// the Windows executable carries as bitmap 140, made by assetgen.
#pragma once

constexpr int kDialogBannerWidth = 91;
constexpr int kDialogBannerHeight = 433;

// RGB, top row first, kDialogBannerWidth x kDialogBannerHeight pixels.
const unsigned char* DialogBannerRgb();

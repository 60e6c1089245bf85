// The start-up dialog's side banner of the Windows executable (bitmap 140, 91 x 433, 24-bit):
// the release's name read upwards in neon over a night sky, shown beside the dialog's controls on
// both platforms. Not a data file of the show: `assetgen --banner DIR` writes it to DIR with the
// executable's other pictures.
#pragma once

#include <string>

#include "Writers.h"

// The banner, 91 x 433.
Image8 MakeDialogBanner();

// Writes DIR/banner.bmp (bitmap 140 of the Windows executable), DIR/banner_rgb.inc (the same
// picture for the Linux dialog to compile in) and banner.png to look at. False with a reason.
bool WriteDialogBanner(const std::string& directory, std::string* error);

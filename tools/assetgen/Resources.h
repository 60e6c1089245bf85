// The pictures the Windows executable carries as resources: the start-up dialog's side banner
// (bitmap 140, 91 x 433, 24-bit) and the program's icon (icon group 110). They are not data
// files of the show; `assetgen --resources DIR` writes them to DIR.
#pragma once

#include "Writers.h"

// The dialog's banner, 91 x 433: the release's name read upwards in neon over a night sky.
Image8 MakeDialogBanner();

// The program's icon as an .ico file (16, 32 and 48 pixels, 32-bit).
Bytes MakeProgramIcon();

// Writes banner.bmp and zarnovelt.ico (and PNG review copies) into `directory`. False with a
// reason.
bool WriteProgramResources(const std::string& directory, std::string* error);

#include "platform/sdl/SdlBanner.h"

namespace {

// banner_rgb.inc is written by assetgen into the build's resources folder.
const unsigned char kBannerRgb[] = {
#include "banner_rgb.inc"
};

static_assert(sizeof(kBannerRgb) == kDialogBannerWidth * kDialogBannerHeight * 3,
              "the generated banner is 91 x 433 RGB");

} // namespace

const unsigned char* DialogBannerRgb() { return kBannerRgb; }

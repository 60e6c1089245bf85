// The one translation unit that holds stb_image's implementation: JPEG and PNG only, from
// memory only, and nothing larger than the codecs' own limit.
#include "codecs/CodecCommon.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS kMaxImageSide
#include <stb_image.h>

// The library's side of its textures, beyond the DEMOGL_Texture* functions.
#pragma once

#include <cstddef>

// Deletes every texture name the library reserved and forgets the images (at AppEnd).
void ReleaseAllTextures();

// Number of textures loaded and not released.
size_t LoadedTextureCount();

// True when the id is known and currently uploaded.
bool TextureIsUploaded(unsigned int uId);

// The fifteen pictures KAOS loads, in the order of its textures, for the tests that write them.
#pragma once

#include "Kaos.h"

inline const char* const kKaosPictureFiles[kKaosTextureCount] = {
    "kaos/k_loudspeaker_l_image.jpg", "kaos/k_loudspeaker_l_mask.jpg", "kaos/k_loudspeaker_r_image.jpg",
    "kaos/k_loudspeaker_r_mask.jpg",  "kaos/k_quillmarsh_glow_02_image.jpg",
    "kaos/k_quillmarsh_glow_02_mask.jpg", "kaos/k_fuckhouse_image.jpg", "kaos/k_fuckhouse_mask.jpg",
    "kaos/k_fuckhouse_outershape.jpg", "kaos/k_bitch_image.jpg", "kaos/k_bitch_mask.jpg",
    "kaos/k_tcube_image.jpg",         "kaos/k_tcube_env.jpg", "kaos/k_head_image.jpg",
    "kaos/k_head_mask.jpg",
};

// What the image codecs share: the size limit and the way a decoder reports a refusal.
// Internal to demosys/codecs.
#pragma once

#include <string>

// No texture or frame of ours comes near this; a header claiming more is damaged or hostile,
// and is refused before anything is allocated for it.
constexpr int kMaxImageSide = 16384;

// Puts the reason in *error (when error is not null) and returns false.
inline bool CodecFail(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return false;
}

// Tracker modules on Windows and in the browser: there is no module player in these builds. A file that looks like a
// module is told apart from one that is no music at all, so the one message says which it is;
// the show then runs silent, as with any music that cannot be played.
#include "audio/MusicDecoders.h"

#include <cstring>

namespace {

bool HasTag(const std::vector<uint8_t>& bytes, size_t offset, const char* tag)
{
    const size_t length = std::strlen(tag);
    return bytes.size() >= offset + length && std::memcmp(bytes.data() + offset, tag, length) == 0;
}

// XM, IT and S3M name themselves near the start; a 31-sample MOD has a four-byte tag at 1080.
bool LooksLikeModule(const std::vector<uint8_t>& bytes)
{
    if (HasTag(bytes, 0, "Extended Module: ") || HasTag(bytes, 0, "IMPM") || HasTag(bytes, 44, "SCRM"))
        return true;
    static const char* const kModTags[] = {"M.K.", "M!K!", "FLT4", "FLT8", "4CHN", "6CHN", "8CHN", "CD81", "OKTA"};
    for (const char* tag : kModTags)
        if (HasTag(bytes, 1080, tag))
            return true;
    // "2CHN" .. "9CHN", "10CH" .. "32CH".
    return HasTag(bytes, 1081, "CHN") || HasTag(bytes, 1082, "CH");
}

} // namespace

std::unique_ptr<MusicDecoder> OpenModuleMusic(const std::vector<uint8_t>& bytes, std::string* error)
{
    if (LooksLikeModule(bytes))
        *error = "cannot decode: a tracker module; the Windows build plays Ogg Vorbis music only";
    else
        *error = "cannot decode: not Ogg Vorbis and not a tracker module";
    return nullptr;
}

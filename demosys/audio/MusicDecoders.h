// The decoders behind OpenMusicBytes, one set per platform: audio/linux (libvorbisfile,
// libopenmpt) and audio/stb (stb_vorbis, no tracker modules: Windows and the browser). Internal
// to demosys/audio.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Music.h"

// Ogg Vorbis from bytes in memory. Null with a one-line reason when they cannot be played.
std::unique_ptr<MusicDecoder> OpenVorbisMusic(std::vector<uint8_t> bytes, std::string* error);

// A tracker module (MOD, XM, S3M, IT) from bytes in memory. Null with a one-line reason.
std::unique_ptr<MusicDecoder> OpenModuleMusic(const std::vector<uint8_t>& bytes, std::string* error);

// Every decoder decodes to float and converts with this one rounding, so the PCM is the same
// on every run (no dithering, no random source).
inline int16_t ToPcm16(float value)
{
    const float scaled = std::floor(value * 32767.0f + 0.5f);
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    return static_cast<int16_t>(scaled);
}

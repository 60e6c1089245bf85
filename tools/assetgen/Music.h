// The soundtrack: an original piece at 142 beats per minute, as long as the show, synthesised
// (drums, bass, chord pads, arpeggio, lead) and encoded as Ogg Vorbis, 44.1 kHz stereo.
#pragma once

#include <cstdint>
#include <vector>

#include "Writers.h"

// The mixed piece as interleaved 16-bit stereo samples.
std::vector<int16_t> RenderSoundtrack();

// Encodes interleaved 16-bit stereo at 44.1 kHz as Ogg Vorbis (quality 0..1).
Bytes EncodeOggVorbis(const std::vector<int16_t>& interleaved, float quality);

// RenderSoundtrack, encoded.
Bytes MakeSoundtrack();

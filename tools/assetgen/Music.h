// The soundtrack: an original piece at 142 beats per minute, as long as the show, synthesised
// (drums, bass, chord pads, arpeggio, lead) and encoded as Ogg Vorbis, 44.1 kHz stereo.
#pragma once

#include <cstdint>
#include <vector>

#include "Synth.h"
#include "Writers.h"

// The instrument buses of the piece, rendered in two independent halves (so two threads can
// share the work) and then mixed.
struct SoundtrackParts
{
    StereoBus drums{0};
    StereoBus bass{0};
    StereoBus pads{0};
    StereoBus arp{0};
    StereoBus lead{0};
    std::vector<double> kicks;  // start of every kick drum, seconds
};
void RenderRhythm(SoundtrackParts* parts);   // drums (with their timing) and bass
void RenderHarmony(SoundtrackParts* parts);  // pads, arpeggio and lead
// Sends, ducking and the master: interleaved 16-bit stereo samples.
std::vector<int16_t> MixSoundtrack(const SoundtrackParts& parts);

// The mixed piece, all steps on the calling thread.
std::vector<int16_t> RenderSoundtrack();
// The encoding the data file uses.
Bytes EncodeSoundtrack(const std::vector<int16_t>& interleaved);

// Encodes interleaved 16-bit stereo at 44.1 kHz as Ogg Vorbis (quality 0..1).
Bytes EncodeOggVorbis(const std::vector<int16_t>& interleaved, float quality);

// RenderSoundtrack, encoded.
Bytes MakeSoundtrack();

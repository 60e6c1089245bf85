// The show's grid, shared by the soundtrack and the timeline script so that picture and sound
// change together: 142 beats per minute, four beats to the bar, and the sections below.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

constexpr double kBeatsPerMinute = 142.0;
constexpr int kBeatsPerBar = 4;

// Milliseconds of beat k (rounded to whole milliseconds, as the script writes times).
inline int64_t BeatMs(double beat) { return std::llround(beat * 60000.0 / kBeatsPerMinute); }
inline int64_t BarMs(double bar) { return BeatMs(bar * kBeatsPerBar); }
// Seconds of a beat, unrounded (the synthesiser places notes with it).
inline double BeatSeconds(double beat) { return beat * 60.0 / kBeatsPerMinute; }

enum class SectionKind
{
    Intro,       // pads and arpeggio, no drums
    Drive,       // full beat, bass, chord stabs
    Lead,        // full beat with the lead melody
    Breakdown,   // pads, soft arpeggio, lead phrases, no kick
    Build,       // half-time drums rising into a roll
    Chill,       // light drums, pads, bass
    Finale,      // everything
    Outro,       // pads and arpeggio fading out
};

struct Section
{
    std::string name;    // the scene it carries (for the script's comments)
    int firstBar;
    int bars;
    SectionKind kind;
};

// The show in order; the last section ends the show.
const std::vector<Section>& ShowSections();
// Length of the show in bars and in milliseconds.
int ShowBars();
int64_t ShowLengthMs();

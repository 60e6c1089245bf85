// The arrangement: which instruments play what in each section of the show (Show.h), then
// the mix. A minor, chords Am F C G one per bar; the kick ducks bass, pads and arpeggio.
#include <algorithm>
#include <cmath>

#include "Music.h"
#include "Show.h"
#include "Synth.h"

namespace
{

struct Chord
{
    int bassNote;               // MIDI, octave 2
    std::vector<int> padNotes;  // MIDI, around octave 3-4
};

const Chord kChords[4] = {
    {45, {57, 60, 64, 69}},  // A minor
    {41, {53, 57, 60, 65}},  // F major
    {48, {52, 55, 60, 64}},  // C major
    {43, {50, 55, 59, 62}},  // G major
};

struct Note
{
    double beat;    // from the start of the phrase
    double length;  // beats
    int pitch;      // MIDI
};

// Two four-bar phrases over Am F C G.
const std::vector<Note> kPhraseA = {
    {0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 72},   {3, 1, 76},    {4, 1.5, 81}, {5.5, 0.5, 79},
    {6, 1, 77},   {7, 1, 76},     {8, 1.5, 79}, {9.5, 0.5, 76}, {10, 1, 72},  {11, 1, 74},
    {12, 1.5, 71}, {13.5, 0.5, 74}, {14, 2, 79},
};
const std::vector<Note> kPhraseB = {
    {0, 1, 81},  {1, 0.5, 79}, {1.5, 0.5, 76}, {2, 1, 81},  {3, 1, 84},      {4, 2, 81},
    {6, 1, 77},  {7, 1, 79},   {8, 1, 76},     {9, 1, 79},  {10, 1.5, 84},   {11.5, 0.5, 83},
    {12, 1, 86}, {13, 1, 83},  {14, 2, 79},
};

class Arranger
{
public:
    // Buses made with zero frames are skipped: every instrument clips its note to its bus, so
    // the arrangement can be rendered in parts (rhythm, harmony) on different threads with
    // exactly the same result.
    Arranger(StereoBus* drumsBus, StereoBus* bassBus, StereoBus* padsBus, StereoBus* arpBus, StereoBus* leadBus)
        : drums(*drumsBus), bass(*bassBus), pads(*padsBus), arp(*arpBus), lead(*leadBus), m_noise(0x51ABu)
    {
    }

    void Section(const ::Section& section)
    {
        for (int b = 0; b < section.bars; ++b)
            Bar(section, b);
    }

    StereoBus& drums;
    StereoBus& bass;
    StereoBus& pads;
    StereoBus& arp;
    StereoBus& lead;
    std::vector<double> kicks;  // seconds, for the ducking

private:
    static double At(double beat) { return BeatSeconds(beat); }

    void Kick(double beat, float velocity)
    {
        Instruments::Kick(&drums, At(beat), velocity);
        kicks.push_back(At(beat));
    }

    void Bar(const ::Section& section, int barInSection)
    {
        const int bar = section.firstBar + barInSection;
        const double first = bar * static_cast<double>(kBeatsPerBar);
        const Chord& chord = kChords[bar % 4];
        const double barSeconds = BeatSeconds(kBeatsPerBar);
        const bool lastBars = barInSection >= section.bars - 2;

        switch (section.kind)
        {
        case SectionKind::Intro:
        {
            const float swell = 0.4f + 0.6f * barInSection / section.bars;
            Instruments::Pad(&pads, At(first), barSeconds, chord.padNotes, 0.8f * swell, 0.2f + 0.5f * swell);
            Instruments::Bass(&bass, At(first), barSeconds * 0.95, chord.bassNote, 0.35f * swell);
            if (barInSection >= 2)
                Arpeggio(first, chord, 0.5f * swell);
            if (barInSection == section.bars - 4)
                Instruments::Riser(&drums, At(first), barSeconds * 4, 1.0f, &m_noise);
            if (barInSection >= section.bars - 2)
                SnareRoll(first, barInSection == section.bars - 1 ? 0.25 : 0.5, 0.35f, 0.8f);
            break;
        }
        case SectionKind::Drive:
        case SectionKind::Lead:
        case SectionKind::Finale:
        {
            if (barInSection == 0 || (section.kind == SectionKind::Finale && barInSection % 4 == 0))
                Instruments::Crash(&drums, At(first), 0.9f, &m_noise);
            for (int beat = 0; beat < 4; ++beat)
            {
                Kick(first + beat, beat == 0 ? 1.0f : 0.9f);
                Instruments::HiHat(&drums, At(first + beat + 0.5), 0.8f, false, 0.3f, &m_noise);
                if (section.kind != SectionKind::Drive)
                {
                    Instruments::HiHat(&drums, At(first + beat + 0.25), 0.35f, false, -0.4f, &m_noise);
                    Instruments::HiHat(&drums, At(first + beat + 0.75), 0.4f, false, -0.4f, &m_noise);
                }
            }
            Instruments::Clap(&drums, At(first + 1), 0.85f, &m_noise);
            Instruments::Clap(&drums, At(first + 3), 0.9f, &m_noise);
            if (section.kind == SectionKind::Finale)
            {
                Instruments::Snare(&drums, At(first + 1), 0.6f, &m_noise);
                Instruments::Snare(&drums, At(first + 3), 0.7f, &m_noise);
            }
            if (bar % 2 == 1)
                Instruments::HiHat(&drums, At(first + 3.5), 0.6f, true, 0.1f, &m_noise);
            DrivingBass(first, chord, 0.9f);
            Instruments::Pad(&pads, At(first), barSeconds, chord.padNotes, 0.55f, 0.55f);
            if (section.kind != SectionKind::Drive)
            {
                Arpeggio(first, chord, 0.55f);
                Melody(first, barInSection, 1.0f, 0);
            }
            else
            {
                // Chord stabs on the off-beats instead of the lead.
                for (double offbeat : {0.5, 1.5, 2.5, 3.5})
                    for (int note : chord.padNotes)
                        Instruments::Pluck(&arp, At(first + offbeat), 0.12, note + 12.0f, 0.45f, 0.0f);
            }
            break;
        }
        case SectionKind::Breakdown:
        {
            const bool secondHalf = barInSection >= section.bars / 2;
            Instruments::Pad(&pads, At(first), barSeconds, chord.padNotes, 0.9f, 0.35f + 0.3f * barInSection / section.bars);
            Instruments::Bass(&bass, At(first), barSeconds * 0.9, chord.bassNote, 0.4f);
            Arpeggio(first, chord, 0.45f);
            if (barInSection >= 4)
                Melody(first, barInSection - 4, secondHalf ? 0.8f : 0.55f, secondHalf ? 0 : -12);
            if (secondHalf)
            {
                Kick(first, 0.6f);
                for (int beat = 0; beat < 4; ++beat)
                    Instruments::HiHat(&drums, At(first + beat + 0.5), 0.45f, false, 0.3f, &m_noise);
            }
            break;
        }
        case SectionKind::Build:
        {
            const float rise = static_cast<float>(barInSection) / section.bars;
            Instruments::Pad(&pads, At(first), barSeconds, chord.padNotes, 0.7f, 0.5f + 0.5f * rise);
            Arpeggio(first, chord, 0.5f + 0.3f * rise);
            if (barInSection < section.bars - 4)
            {
                Kick(first, 0.9f);
                Kick(first + 2, 0.8f);
                Instruments::Clap(&drums, At(first + 3), 0.7f, &m_noise);
                DrivingBass(first, chord, 0.6f);
            }
            else
            {
                for (int beat = 0; beat < 4; ++beat)
                    Kick(first + beat, 0.85f);
                DrivingBass(first, chord, 0.7f + 0.3f * rise);
            }
            if (barInSection == section.bars - 4)
                Instruments::Riser(&drums, At(first), barSeconds * 4, 1.0f, &m_noise);
            if (lastBars)
                SnareRoll(first, barInSection == section.bars - 1 ? 0.25 : 0.5, 0.4f + 0.4f * rise, 0.9f);
            break;
        }
        case SectionKind::Chill:
        {
            Kick(first, 0.75f);
            Kick(first + 2.5, 0.6f);
            Instruments::Snare(&drums, At(first + 1), 0.4f, &m_noise);
            Instruments::Snare(&drums, At(first + 3), 0.45f, &m_noise);
            for (int eighth = 0; eighth < 8; ++eighth)
                Instruments::HiHat(&drums, At(first + eighth * 0.5), eighth % 2 ? 0.55f : 0.3f, false, 0.25f, &m_noise);
            Instruments::Bass(&bass, At(first), BeatSeconds(1.5), chord.bassNote, 0.7f);
            Instruments::Bass(&bass, At(first + 2.5), BeatSeconds(1.0), chord.bassNote + 12.0f, 0.55f);
            std::vector<int> high = chord.padNotes;
            for (int& note : high)
                note += 12;
            Instruments::Pad(&pads, At(first), barSeconds, high, 0.6f, 0.4f);
            Melody(first, barInSection + 4, 0.6f, -12);
            break;
        }
        case SectionKind::Outro:
        {
            const float fade = 1.0f - static_cast<float>(barInSection) / section.bars;
            if (barInSection == 0)
                Instruments::Crash(&drums, At(first), 1.0f, &m_noise);
            const bool last = barInSection == section.bars - 1;
            // The final chord is held to the end and fades out with the master.
            Instruments::Pad(&pads, At(first), last ? barSeconds * 0.9 : barSeconds, last ? kChords[0].padNotes : chord.padNotes,
                             0.9f, 0.3f + 0.3f * fade);
            Instruments::Bass(&bass, At(first), barSeconds * 0.9, last ? kChords[0].bassNote : chord.bassNote, 0.4f * fade);
            Arpeggio(first, chord, 0.5f * fade);
            break;
        }
        }
    }

    // Off-beat eighths with octave jumps, pumping against the kick.
    void DrivingBass(double first, const Chord& chord, float velocity)
    {
        for (int eighth = 0; eighth < 8; ++eighth)
        {
            const bool offbeat = eighth % 2 == 1;
            const float pitch = chord.bassNote + (eighth == 3 || eighth == 7 ? 12.0f : 0.0f);
            Instruments::Bass(&bass, At(first + eighth * 0.5), BeatSeconds(0.42), pitch, velocity * (offbeat ? 1.0f : 0.7f));
        }
    }

    // Sixteenths up and down the chord over two octaves, alternating sides.
    void Arpeggio(double first, const Chord& chord, float velocity)
    {
        static const int kPattern[16] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 2, 4, 5, 4, 2, 1, 3};
        std::vector<int> notes = chord.padNotes;
        for (int note : chord.padNotes)
            notes.push_back(note + 12);
        for (int step = 0; step < 16; ++step)
        {
            const int note = notes[kPattern[step] % notes.size()] + 12;
            const float accent = step % 4 == 0 ? 1.0f : 0.75f;
            Instruments::Pluck(&arp, At(first + step * 0.25), BeatSeconds(0.2), static_cast<float>(note), velocity * accent,
                               step % 2 ? 0.5f : -0.5f);
        }
    }

    // The bar of the lead melody that falls into this bar of the section: phrase A on the
    // first four bars of each eight, phrase B on the next four.
    void Melody(double first, int barInSection, float velocity, int transpose)
    {
        const int barInPhrase = ((barInSection % 8) + 8) % 8;
        const std::vector<Note>& phrase = barInPhrase < 4 ? kPhraseA : kPhraseB;
        const double from = (barInPhrase % 4) * 4.0;
        for (const Note& note : phrase)
            if (note.beat >= from && note.beat < from + 4.0)
                Instruments::Lead(&lead, At(first + note.beat - from), BeatSeconds(note.length * 0.92),
                                  static_cast<float>(note.pitch + transpose), velocity);
    }

    void SnareRoll(double first, double step, float from, float to)
    {
        const int hits = static_cast<int>(4.0 / step);
        for (int i = 0; i < hits; ++i)
            Instruments::Snare(&drums, At(first + i * step), from + (to - from) * i / hits, &m_noise);
    }

    Noise m_noise;
};

}  // namespace

size_t SoundtrackFrames() { return static_cast<size_t>(std::ceil(ShowLengthMs() / 1000.0 * kSampleRate)); }

void RenderRhythm(SoundtrackParts* parts)
{
    const size_t frames = SoundtrackFrames();
    parts->drums = StereoBus(frames);
    parts->bass = StereoBus(frames);
    StereoBus none(0), none2(0), none3(0);
    Arranger arranger(&parts->drums, &parts->bass, &none, &none2, &none3);
    for (const Section& section : ShowSections())
        arranger.Section(section);
    parts->kicks = arranger.kicks;
}

void RenderHarmony(SoundtrackParts* parts)
{
    const size_t frames = SoundtrackFrames();
    parts->pads = StereoBus(frames);
    parts->arp = StereoBus(frames);
    parts->lead = StereoBus(frames);
    StereoBus none(0), none2(0);
    Arranger arranger(&none, &none2, &parts->pads, &parts->arp, &parts->lead);
    for (const Section& section : ShowSections())
        arranger.Section(section);
}

std::vector<int16_t> MixSoundtrack(const SoundtrackParts& parts)
{
    const size_t frames = SoundtrackFrames();
    const SoundtrackParts& arranger = parts;
    // Sends: echoes on the arpeggio and the lead, a room on pads and lead.
    StereoBus echoes(frames);
    {
        StereoBus send(frames);
        for (size_t i = 0; i < frames; ++i)
        {
            send.left[i] = arranger.arp.left[i] * 0.5f + arranger.lead.left[i] * 0.35f;
            send.right[i] = arranger.arp.right[i] * 0.5f + arranger.lead.right[i] * 0.35f;
        }
        AddPingPongDelay(send, &echoes, BeatSeconds(0.75), 0.45f, 0.35f);
        for (size_t i = 0; i < frames; ++i)
        {
            send.left[i] = arranger.pads.left[i] * 0.6f + arranger.lead.left[i] * 0.5f + arranger.drums.left[i] * 0.1f;
            send.right[i] = arranger.pads.right[i] * 0.6f + arranger.lead.right[i] * 0.5f + arranger.drums.right[i] * 0.1f;
        }
        AddReverb(send, &echoes, 0.7f, 0.35f, 1.0f);
    }

    // The kick ducks bass, pads and arpeggio for a moment: the pumping of the beat.
    std::vector<float> duck(frames, 1.0f);
    for (double kick : parts.kicks)
    {
        const size_t first = static_cast<size_t>(kick * kSampleRate);
        for (size_t i = first; i < std::min(frames, first + static_cast<size_t>(0.3 * kSampleRate)); ++i)
        {
            const float t = static_cast<float>(i - first) / kSampleRate;
            duck[i] = std::min(duck[i], 1.0f - 0.6f * std::exp(-t / 0.09f));
        }
    }

    std::vector<float> left(frames);
    std::vector<float> right(frames);
    float peak = 1e-6f;
    for (size_t i = 0; i < frames; ++i)
    {
        const float ducked = duck[i];
        left[i] = arranger.drums.left[i] + (arranger.bass.left[i] + arranger.pads.left[i] + arranger.arp.left[i]) * ducked +
                  arranger.lead.left[i] + echoes.left[i];
        right[i] = arranger.drums.right[i] +
                   (arranger.bass.right[i] + arranger.pads.right[i] + arranger.arp.right[i]) * ducked +
                   arranger.lead.right[i] + echoes.right[i];
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    }

    // Master: normalise, a gentle soft clip, a short fade in and the last two bars faded out.
    const float gain = 1.1f / peak;
    const size_t fadeIn = kSampleRate / 20;
    const size_t fadeOut = static_cast<size_t>(BeatSeconds(2 * kBeatsPerBar) * kSampleRate);
    std::vector<int16_t> interleaved(frames * 2);
    for (size_t i = 0; i < frames; ++i)
    {
        float level = 1.0f;
        if (i < fadeIn)
            level = static_cast<float>(i) / fadeIn;
        if (i + fadeOut > frames)
            level *= static_cast<float>(frames - i) / fadeOut;
        const float l = SoftClip(left[i] * gain) * 0.88f * level;
        const float r = SoftClip(right[i] * gain) * 0.88f * level;
        interleaved[i * 2] = static_cast<int16_t>(std::lround(l * 32767.0f));
        interleaved[i * 2 + 1] = static_cast<int16_t>(std::lround(r * 32767.0f));
    }
    return interleaved;
}

std::vector<int16_t> RenderSoundtrack()
{
    SoundtrackParts parts;
    RenderRhythm(&parts);
    RenderHarmony(&parts);
    return MixSoundtrack(parts);
}

Bytes EncodeSoundtrack(const std::vector<int16_t>& interleaved) { return EncodeOggVorbis(interleaved, 0.35f); }

Bytes MakeSoundtrack() { return EncodeSoundtrack(RenderSoundtrack()); }

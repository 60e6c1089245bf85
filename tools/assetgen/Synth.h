// A small synthesiser for the soundtrack: band-limited oscillators, a state-variable filter,
// envelopes, and one renderer per instrument. Instruments add their notes into float buses
// at 44.1 kHz; everything is plain arithmetic on our own noise source, so it is deterministic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;

// A stereo bus of float samples.
struct StereoBus
{
    explicit StereoBus(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t Frames() const { return left.size(); }
    std::vector<float> left;
    std::vector<float> right;
};

// A soft saturation close to tanh (a Pade approximant, exact at 0 and reaching +-1 at +-3),
// several times cheaper; used on every sample of the kick, the bass and the master.
inline float SoftClip(float x)
{
    if (x >= 3.0f)
        return 1.0f;
    if (x <= -3.0f)
        return -1.0f;
    const float x2 = x * x;
    return x * (27.0f + x2) / (27.0f + 9.0f * x2);
}

// Frequency of a MIDI note number (69 = A 440 Hz).
float NoteFrequency(float midiNote);

// Zavalishin's trapezoidal state-variable filter (stable under fast cutoff changes).
class StateVariableFilter
{
public:
    // cutoff in Hz, resonance 0..~0.95.
    void Set(float cutoff, float resonance);
    float LowPass(float input);
    float BandPass(float input);
    float HighPass(float input);

private:
    void Step(float input);
    float m_g = 0.1f;
    float m_k = 1.4f;
    float m_ic1 = 0.0f;
    float m_ic2 = 0.0f;
    float m_low = 0.0f;
    float m_band = 0.0f;
    float m_high = 0.0f;
};

// A deterministic white-noise source in [-1, 1).
class Noise
{
public:
    explicit Noise(uint32_t seed) : m_state(seed ? seed : 1u) {}
    float Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<float>(m_state) * (2.0f / 4294967296.0f) - 1.0f;
    }

private:
    uint32_t m_state;
};

// The instruments. `start` is in seconds; `velocity` 0..1; `pan` -1 (left) .. 1 (right).
struct Instruments
{
    static void Kick(StereoBus* bus, double start, float velocity);
    static void Snare(StereoBus* bus, double start, float velocity, Noise* noise);
    static void Clap(StereoBus* bus, double start, float velocity, Noise* noise);
    static void HiHat(StereoBus* bus, double start, float velocity, bool open, float pan, Noise* noise);
    static void Crash(StereoBus* bus, double start, float velocity, Noise* noise);
    static void Bass(StereoBus* bus, double start, double length, float midiNote, float velocity);
    // One chord of a detuned saw pad with a slow attack; notes are MIDI numbers.
    static void Pad(StereoBus* bus, double start, double length, const std::vector<int>& notes, float velocity,
                    float brightness);
    static void Pluck(StereoBus* bus, double start, double length, float midiNote, float velocity, float pan);
    static void Lead(StereoBus* bus, double start, double length, float midiNote, float velocity);
    // A filtered noise sweep rising over `length` seconds into `start + length`.
    static void Riser(StereoBus* bus, double start, double length, float velocity, Noise* noise);
};

// Effects over whole buses.
// A stereo feedback delay (ping-pong), added into `out`.
void AddPingPongDelay(const StereoBus& send, StereoBus* out, double delaySeconds, float feedback, float damping);
// A Schroeder-style reverb (comb and all-pass filters), added into `out`.
void AddReverb(const StereoBus& send, StereoBus* out, float roomSize, float damping, float wet);

#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.28318531f;

// Correction that removes the aliasing step of a naive saw or square at its discontinuity.
float PolyBlep(float phase, float increment)
{
    if (phase < increment)
    {
        const float t = phase / increment;
        return t + t - t * t - 1.0f;
    }
    if (phase > 1.0f - increment)
    {
        const float t = (phase - 1.0f) / increment;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

class SawOscillator
{
public:
    explicit SawOscillator(float startPhase = 0.0f) : m_phase(startPhase) {}
    float Next(float frequency)
    {
        const float increment = frequency / kSampleRate;
        const float value = 2.0f * m_phase - 1.0f - PolyBlep(m_phase, increment);
        m_phase += increment;
        if (m_phase >= 1.0f)
            m_phase -= 1.0f;
        return value;
    }

private:
    float m_phase;
};

class PulseOscillator
{
public:
    float Next(float frequency, float width)
    {
        const float increment = frequency / kSampleRate;
        float value = m_phase < width ? 1.0f : -1.0f;
        value += PolyBlep(m_phase, increment);
        float shifted = m_phase + (1.0f - width);
        if (shifted >= 1.0f)
            shifted -= 1.0f;
        value -= PolyBlep(shifted, increment);
        m_phase += increment;
        if (m_phase >= 1.0f)
            m_phase -= 1.0f;
        return value;
    }

private:
    float m_phase = 0.0f;
};

size_t FrameOf(double seconds) { return static_cast<size_t>(std::max(0.0, seconds) * kSampleRate); }

// Equal-power pan gains.
void PanGains(float pan, float* left, float* right)
{
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * kPi;
    *left = std::cos(angle);
    *right = std::sin(angle);
}

// Attack-decay-sustain-release level at time t of a note held for `length` seconds.
float Adsr(float t, float length, float attack, float decay, float sustain, float release)
{
    float level;
    if (t < attack)
        level = t / attack;
    else if (t < attack + decay)
        level = 1.0f - (1.0f - sustain) * (t - attack) / decay;
    else
        level = sustain;
    if (t > length)
    {
        // Release from the level the note had when it was let go.
        const float held = Adsr(length, length + 1.0f, attack, decay, sustain, release);
        level = held * std::max(0.0f, 1.0f - (t - length) / release);
    }
    return level;
}

}  // namespace

float NoteFrequency(float midiNote) { return 440.0f * std::pow(2.0f, (midiNote - 69.0f) / 12.0f); }

void StateVariableFilter::Set(float cutoff, float resonance)
{
    const float limited = std::clamp(cutoff, 20.0f, kSampleRate * 0.45f);
    m_g = std::tan(kPi * limited / kSampleRate);
    m_k = 2.0f - 2.0f * std::clamp(resonance, 0.0f, 0.98f);
}

void StateVariableFilter::Step(float input)
{
    const float a1 = 1.0f / (1.0f + m_g * (m_g + m_k));
    const float a2 = m_g * a1;
    const float a3 = m_g * a2;
    const float v3 = input - m_ic2;
    const float v1 = a1 * m_ic1 + a2 * v3;
    const float v2 = m_ic2 + a2 * m_ic1 + a3 * v3;
    m_ic1 = 2.0f * v1 - m_ic1;
    m_ic2 = 2.0f * v2 - m_ic2;
    m_low = v2;
    m_band = v1;
    m_high = input - m_k * v1 - v2;
}

float StateVariableFilter::LowPass(float input)
{
    Step(input);
    return m_low;
}

float StateVariableFilter::BandPass(float input)
{
    Step(input);
    return m_band;
}

float StateVariableFilter::HighPass(float input)
{
    Step(input);
    return m_high;
}

void Instruments::Kick(StereoBus* bus, double start, float velocity)
{
    const size_t first = FrameOf(start);
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), static_cast<size_t>(0.45 * kSampleRate));
    float phase = 0.0f;
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        // Pitch falls from a click into a deep thump.
        const float frequency = 44.0f + 160.0f * std::exp(-t * 38.0f);
        phase += frequency / kSampleRate;
        const float body = std::sin(kTwoPi * phase) * std::exp(-t * 7.0f);
        const float click = std::exp(-t * 900.0f) * 0.6f;
        const float sample = SoftClip((body + click) * 1.6f) * velocity * 0.9f;
        bus->left[first + i] += sample;
        bus->right[first + i] += sample;
    }
}

void Instruments::Snare(StereoBus* bus, double start, float velocity, Noise* noise)
{
    const size_t first = FrameOf(start);
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), static_cast<size_t>(0.3 * kSampleRate));
    StateVariableFilter filter;
    filter.Set(3500.0f, 0.2f);
    float phase = 0.0f;
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        phase += (185.0f + 60.0f * std::exp(-t * 60.0f)) / kSampleRate;
        const float tone = std::sin(kTwoPi * phase) * std::exp(-t * 30.0f) * 0.5f;
        const float rattle = filter.BandPass(noise->Next()) * std::exp(-t * 16.0f) * 1.4f;
        const float sample = (tone + rattle) * velocity * 0.55f;
        bus->left[first + i] += sample;
        bus->right[first + i] += sample;
    }
}

void Instruments::Clap(StereoBus* bus, double start, float velocity, Noise* noise)
{
    const size_t first = FrameOf(start);
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), static_cast<size_t>(0.25 * kSampleRate));
    StateVariableFilter filter;
    filter.Set(1400.0f, 0.5f);
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        // Three quick bursts and a tail, like hands not quite together.
        float envelope = std::exp(-t * 22.0f);
        for (float burst : {0.0f, 0.011f, 0.022f})
            if (t >= burst)
                envelope += 0.8f * std::exp(-(t - burst) * 180.0f);
        const float sample = filter.BandPass(noise->Next()) * envelope * velocity * 0.7f;
        bus->left[first + i] += sample * 0.9f;
        bus->right[first + i] += sample;
    }
}

void Instruments::HiHat(StereoBus* bus, double start, float velocity, bool open, float pan, Noise* noise)
{
    const size_t first = FrameOf(start);
    const double length = open ? 0.35 : 0.06;
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), static_cast<size_t>(length * kSampleRate));
    StateVariableFilter filter;
    filter.Set(8500.0f, 0.3f);
    float left, right;
    PanGains(pan, &left, &right);
    const float decay = open ? 9.0f : 70.0f;
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        const float sample = filter.HighPass(noise->Next()) * std::exp(-t * decay) * velocity * 0.28f;
        bus->left[first + i] += sample * left;
        bus->right[first + i] += sample * right;
    }
}

void Instruments::Crash(StereoBus* bus, double start, float velocity, Noise* noise)
{
    const size_t first = FrameOf(start);
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), static_cast<size_t>(2.2 * kSampleRate));
    StateVariableFilter leftFilter;
    StateVariableFilter rightFilter;
    leftFilter.Set(5500.0f, 0.1f);
    rightFilter.Set(6200.0f, 0.1f);
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        const float envelope = std::exp(-t * 2.2f) * velocity * 0.22f;
        bus->left[first + i] += leftFilter.HighPass(noise->Next()) * envelope;
        bus->right[first + i] += rightFilter.HighPass(noise->Next()) * envelope;
    }
}

void Instruments::Bass(StereoBus* bus, double start, double length, float midiNote, float velocity)
{
    const size_t first = FrameOf(start);
    const double release = 0.05;
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), FrameOf(length + release));
    SawOscillator saw;
    SawOscillator sub(0.5f);
    StateVariableFilter filter;
    const float frequency = NoteFrequency(midiNote);
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        if (i % 16 == 0)
            filter.Set(180.0f + 1400.0f * std::exp(-t * 14.0f) * velocity, 0.55f);
        const float raw = saw.Next(frequency) * 0.7f + sub.Next(frequency * 0.5f) * 0.5f;
        const float envelope = Adsr(t, static_cast<float>(length), 0.004f, 0.12f, 0.7f, static_cast<float>(release));
        const float sample = SoftClip(filter.LowPass(raw) * 1.8f) * envelope * velocity * 0.5f;
        bus->left[first + i] += sample;
        bus->right[first + i] += sample;
    }
}

void Instruments::Pad(StereoBus* bus, double start, double length, const std::vector<int>& notes, float velocity,
                      float brightness)
{
    const size_t first = FrameOf(start);
    const double release = 0.8;
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), FrameOf(length + release));
    // Three detuned saws per note, the outer two panned apart.
    const float detune[3] = {-0.11f, 0.0f, 0.12f};
    std::vector<SawOscillator> oscillators;
    for (size_t n = 0; n < notes.size(); ++n)
        for (int d = 0; d < 3; ++d)
            oscillators.emplace_back(0.13f * static_cast<float>(n * 3 + d));
    std::vector<float> frequencies;
    for (int note : notes)
        for (float d : detune)
            frequencies.push_back(NoteFrequency(note + d));
    StateVariableFilter leftFilter;
    StateVariableFilter rightFilter;
    const float gain = velocity * 0.2f / std::sqrt(static_cast<float>(notes.size()));
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        if (i % 32 == 0)
        {
            const float cutoff = 500.0f + 2200.0f * brightness * (0.75f + 0.25f * std::sin(t * 1.3f));
            leftFilter.Set(cutoff, 0.2f);
            rightFilter.Set(cutoff * 1.05f, 0.2f);
        }
        float left = 0.0f;
        float right = 0.0f;
        for (size_t n = 0; n < notes.size(); ++n)
            for (int d = 0; d < 3; ++d)
            {
                const float value = oscillators[n * 3 + d].Next(frequencies[n * 3 + d]);
                left += value * (d == 2 ? 0.4f : 1.0f);
                right += value * (d == 0 ? 0.4f : 1.0f);
            }
        const float envelope = Adsr(t, static_cast<float>(length), 0.35f, 0.5f, 0.85f, static_cast<float>(release));
        bus->left[first + i] += leftFilter.LowPass(left) * envelope * gain;
        bus->right[first + i] += rightFilter.LowPass(right) * envelope * gain;
    }
}

void Instruments::Pluck(StereoBus* bus, double start, double length, float midiNote, float velocity, float pan)
{
    const size_t first = FrameOf(start);
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), FrameOf(length + 0.25));
    PulseOscillator pulse;
    StateVariableFilter filter;
    const float frequency = NoteFrequency(midiNote);
    float left, right;
    PanGains(pan, &left, &right);
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        if (i % 16 == 0)
            filter.Set(600.0f + 5000.0f * std::exp(-t * 25.0f), 0.35f);
        const float envelope = std::exp(-t * 9.0f) * std::min(1.0f, t * 400.0f);
        const float sample = filter.LowPass(pulse.Next(frequency, 0.3f)) * envelope * velocity * 0.16f;
        bus->left[first + i] += sample * left;
        bus->right[first + i] += sample * right;
    }
}

void Instruments::Lead(StereoBus* bus, double start, double length, float midiNote, float velocity)
{
    const size_t first = FrameOf(start);
    const double release = 0.18;
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), FrameOf(length + release));
    SawOscillator a;
    SawOscillator b(0.37f);
    PulseOscillator c;
    StateVariableFilter filter;
    const float frequency = NoteFrequency(midiNote);
    for (size_t i = 0; i < count; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        // Vibrato fades in after the attack.
        const float vibrato = 1.0f + 0.006f * std::sin(t * kTwoPi * 5.5f) * std::clamp((t - 0.15f) * 4.0f, 0.0f, 1.0f);
        if (i % 16 == 0)
            filter.Set(1200.0f + 3800.0f * std::exp(-t * 6.0f), 0.3f);
        const float f = frequency * vibrato;
        const float raw = a.Next(f * 0.997f) * 0.5f + b.Next(f * 1.003f) * 0.5f + c.Next(f * 0.5f, 0.5f) * 0.25f;
        const float envelope = Adsr(t, static_cast<float>(length), 0.01f, 0.25f, 0.75f, static_cast<float>(release));
        const float sample = filter.LowPass(raw) * envelope * velocity * 0.26f;
        bus->left[first + i] += sample;
        bus->right[first + i] += sample;
    }
}

void Instruments::Riser(StereoBus* bus, double start, double length, float velocity, Noise* noise)
{
    const size_t first = FrameOf(start);
    const size_t count = std::min(bus->Frames() - std::min(first, bus->Frames()), FrameOf(length));
    StateVariableFilter leftFilter;
    StateVariableFilter rightFilter;
    for (size_t i = 0; i < count; ++i)
    {
        const float progress = static_cast<float>(i) / count;
        if (i % 32 == 0)
        {
            leftFilter.Set(300.0f * std::pow(30.0f, progress), 0.6f);
            rightFilter.Set(320.0f * std::pow(30.0f, progress), 0.6f);
        }
        const float envelope = progress * progress * velocity * 0.35f;
        bus->left[first + i] += leftFilter.BandPass(noise->Next()) * envelope;
        bus->right[first + i] += rightFilter.BandPass(noise->Next()) * envelope;
    }
}

void AddPingPongDelay(const StereoBus& send, StereoBus* out, double delaySeconds, float feedback, float damping)
{
    const size_t delay = FrameOf(delaySeconds);
    std::vector<float> left(delay, 0.0f);
    std::vector<float> right(delay, 0.0f);
    float lowLeft = 0.0f;
    float lowRight = 0.0f;
    size_t position = 0;
    for (size_t i = 0; i < send.Frames(); ++i)
    {
        const float echoLeft = left[position];
        const float echoRight = right[position];
        out->left[i] += echoLeft;
        out->right[i] += echoRight;
        // Each echo crosses to the other side and loses some treble.
        lowLeft += (echoRight - lowLeft) * (1.0f - damping);
        lowRight += (echoLeft - lowRight) * (1.0f - damping);
        left[position] = (send.left[i] + send.right[i]) * 0.5f + lowLeft * feedback;
        right[position] = lowRight * feedback;
        if (++position == delay)
            position = 0;
    }
}

namespace
{

class Comb
{
public:
    explicit Comb(size_t length) : m_buffer(length, 0.0f) {}
    float Process(float input, float feedback, float damping)
    {
        const float output = m_buffer[m_position];
        m_store = output * (1.0f - damping) + m_store * damping;
        m_buffer[m_position] = input + m_store * feedback;
        if (++m_position == m_buffer.size())
            m_position = 0;
        return output;
    }

private:
    std::vector<float> m_buffer;
    size_t m_position = 0;
    float m_store = 0.0f;
};

class AllPass
{
public:
    explicit AllPass(size_t length) : m_buffer(length, 0.0f) {}
    float Process(float input)
    {
        const float buffered = m_buffer[m_position];
        const float output = buffered - input;
        m_buffer[m_position] = input + buffered * 0.5f;
        if (++m_position == m_buffer.size())
            m_position = 0;
        return output;
    }

private:
    std::vector<float> m_buffer;
    size_t m_position = 0;
};

}  // namespace

void AddReverb(const StereoBus& send, StereoBus* out, float roomSize, float damping, float wet)
{
    // Delay lengths in samples at 44.1 kHz; the right side is spread by a few samples.
    const size_t combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491};
    const size_t allPassLengths[] = {556, 441, 341};
    const size_t spread = 23;
    std::vector<Comb> leftCombs, rightCombs;
    for (size_t length : combLengths)
    {
        leftCombs.emplace_back(length);
        rightCombs.emplace_back(length + spread);
    }
    std::vector<AllPass> leftPasses, rightPasses;
    for (size_t length : allPassLengths)
    {
        leftPasses.emplace_back(length);
        rightPasses.emplace_back(length + spread);
    }
    const float feedback = 0.7f + 0.28f * roomSize;
    for (size_t i = 0; i < send.Frames(); ++i)
    {
        const float input = (send.left[i] + send.right[i]) * 0.015f;
        float left = 0.0f;
        float right = 0.0f;
        for (size_t c = 0; c < leftCombs.size(); ++c)
        {
            left += leftCombs[c].Process(input, feedback, damping);
            right += rightCombs[c].Process(input, feedback, damping);
        }
        for (size_t p = 0; p < leftPasses.size(); ++p)
        {
            left = leftPasses[p].Process(left);
            right = rightPasses[p].Process(right);
        }
        out->left[i] += left * wet;
        out->right[i] += right * wet;
    }
}

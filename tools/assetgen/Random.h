// Deterministic randomness for the generator: a small seeded generator and hash-based noise.
// Nothing here depends on the C library or the standard distributions, so every platform and
// every run draws the same numbers.
#pragma once

#include <cmath>
#include <cstdint>

// xorshift-multiply generator (splitmix64 step); one instance per picture or track, so the
// order in which pictures are made never changes their content.
class Rng
{
public:
    // The seed is scrambled first: stepping the state by the same constant that spaces the
    // seeds would make seed s + 1 replay seed s one draw later.
    explicit Rng(uint64_t seed) : m_state(Scramble(seed ^ 0x632BE59BD9B4E019ull)) {}

    uint64_t NextU64() { return Scramble(m_state += 0x9E3779B97F4A7C15ull); }

    // Uniform in [0, 1).
    float Uniform() { return static_cast<float>(NextU64() >> 40) * (1.0f / 16777216.0f); }

    // Uniform in [lo, hi).
    float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }

    // Uniform integer in [0, count).
    int Below(int count) { return static_cast<int>(NextU64() % static_cast<uint64_t>(count)); }

private:
    static uint64_t Scramble(uint64_t z)
    {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    uint64_t m_state;
};

// Integer hash of a lattice point to [0, 1).
inline float HashToUnit(int x, int y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFFu) * (1.0f / 16777216.0f);
}

// Smooth value noise in [0, 1) with lattice period `period` in both directions (period <= 0:
// no wrap), so tiles repeat without a seam.
inline float ValueNoise(float x, float y, uint32_t seed, int period = 0)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    int x0 = static_cast<int>(fx);
    int y0 = static_cast<int>(fy);
    const float tx = x - fx;
    const float ty = y - fy;
    int x1 = x0 + 1;
    int y1 = y0 + 1;
    if (period > 0)
    {
        x0 = ((x0 % period) + period) % period;
        y0 = ((y0 % period) + period) % period;
        x1 = ((x1 % period) + period) % period;
        y1 = ((y1 % period) + period) % period;
    }
    const float sx = tx * tx * (3.0f - 2.0f * tx);
    const float sy = ty * ty * (3.0f - 2.0f * ty);
    const float a = HashToUnit(x0, y0, seed);
    const float b = HashToUnit(x1, y0, seed);
    const float c = HashToUnit(x0, y1, seed);
    const float d = HashToUnit(x1, y1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Fractal sum of value noise, normalised to [0, 1). With period > 0 the base lattice repeats
// every `period` cells and each octave doubles it, so the sum tiles as well.
inline float FractalNoise(float x, float y, uint32_t seed, int octaves, float gain = 0.5f, int period = 0)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    float frequency = 1.0f;
    for (int i = 0; i < octaves; ++i)
    {
        const int octavePeriod = period > 0 ? period << i : 0;
        sum += amplitude * ValueNoise(x * frequency, y * frequency, seed + static_cast<uint32_t>(i) * 101u, octavePeriod);
        norm += amplitude;
        amplitude *= gain;
        frequency *= 2.0f;
    }
    return sum / norm;
}

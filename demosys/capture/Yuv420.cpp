// BGRA to planar 4:2:0 in integers, with the constants and roundings of ffmpeg's scaler, so
// the encoder sees the picture it saw when ffmpeg converted the frames itself. Each step is a
// loop over one row; on x86-64 (SSE2 is always there) the rows are done 4 to 16 samples at a
// time with the same integer arithmetic, so both ways give the same bytes.
#include "capture/Yuv420.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZARNOVELT_YUV_SSE2 1
#endif

namespace {

// BT.601 limited range in 15-bit fixed point: Y = 16 + (0.299 R + 0.587 G + 0.114 B) * 219/255,
// Cb = 128 + (-0.169 R - 0.331 G + 0.5 B) * 224/255, Cr = 128 + (0.5 R - 0.419 G - 0.081 B) * 224/255.
constexpr int kRy = 8414;
constexpr int kGy = 16519;
constexpr int kBy = 3208;
constexpr int kRu = -4865;
constexpr int kGu = -9528;
constexpr int kBu = 14392;
constexpr int kRv = 14392;
constexpr int kGv = -12061;
constexpr int kBv = -2332;

// Luma: the sum in 1/64 steps (rounded), then whole steps (rounded again), as the scaler does.
constexpr int kLumaRound = (16 << 15) + 256;
// Chroma of a pixel pair: the channel sums in the formula, to 1/64 steps; 128 is the middle.
constexpr int kChromaRound = (256 << 15) + 512;
constexpr int kChromaMiddle = 128 << 6;

// Chroma is filtered down to every second row by a bicubic kernel (B = 0, C = 0.6) two output
// rows wide: source rows 2j-3 .. 2j+4 for chroma row j, weights in 1/4096 (they add up to 4096).
// Rows beyond the picture repeat its first or last row.
constexpr int kTaps = 8;
constexpr int16_t kWeights[kTaps] = {-58, -173, 493, 1786, 1786, 493, -173, -58};
// Weights of 1/4096 on samples of 1/64: the sums are in 1/2^18 steps.
constexpr int kVerticalShift = 18;

inline uint8_t Luma(int r, int g, int b)
{
    const int fine = (kRy * r + kGy * g + kBy * b + kLumaRound) >> 9;
    return static_cast<uint8_t>((fine + 32) >> 6);
}

inline int16_t ChromaB(int r, int g, int b) { return static_cast<int16_t>((kRu * r + kGu * g + kBu * b + kChromaRound) >> 10); }
inline int16_t ChromaR(int r, int g, int b) { return static_cast<int16_t>((kRv * r + kGv * g + kBv * b + kChromaRound) >> 10); }

void LumaRow(const uint8_t* row, int width, uint8_t* out)
{
    int x = 0;
#ifdef ZARNOVELT_YUV_SSE2
    // Four pixels a register: each pixel's (B, G) and (R, A) products added in pairs by
    // pmaddwd, then the two halves of each pixel added.
    const __m128i zero = _mm_setzero_si128();
    const __m128i coefficients = _mm_setr_epi16(kBy, kGy, kRy, 0, kBy, kGy, kRy, 0);
    const __m128i round = _mm_set1_epi32(kLumaRound);
    const __m128i round2 = _mm_set1_epi32(32);
    auto four = [&](const uint8_t* p) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i low = _mm_madd_epi16(_mm_unpacklo_epi8(pixels, zero), coefficients);
        __m128i high = _mm_madd_epi16(_mm_unpackhi_epi8(pixels, zero), coefficients);
        low = _mm_add_epi32(low, _mm_srli_epi64(low, 32));
        high = _mm_add_epi32(high, _mm_srli_epi64(high, 32));
        __m128i sums = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(low), _mm_castsi128_ps(high), _MM_SHUFFLE(2, 0, 2, 0)));
        sums = _mm_srai_epi32(_mm_add_epi32(sums, round), 9);
        return _mm_srai_epi32(_mm_add_epi32(sums, round2), 6);
    };
    for (; x + 16 <= width; x += 16)
    {
        const uint8_t* p = row + 4 * x;
        const __m128i a = _mm_packs_epi32(four(p), four(p + 16));
        const __m128i b = _mm_packs_epi32(four(p + 32), four(p + 48));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(a, b));
    }
#endif
    for (; x < width; ++x)
        out[x] = Luma(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
}

// One row's chroma at half width, in 1/64 steps, from the pixels two at a time. A missing
// right pixel (odd width) is black.
void HalfRowChroma(const uint8_t* row, int width, int pairs, int16_t* cb, int16_t* cr)
{
    const int fullPairs = width / 2;
    int i = 0;
#ifdef ZARNOVELT_YUV_SSE2
    // Two pairs a register: the pair's channel sums, then pmaddwd as for luma.
    const __m128i zero = _mm_setzero_si128();
    const __m128i cbCoefficients = _mm_setr_epi16(kBu, kGu, kRu, 0, kBu, kGu, kRu, 0);
    const __m128i crCoefficients = _mm_setr_epi16(kBv, kGv, kRv, 0, kBv, kGv, kRv, 0);
    const __m128i round = _mm_set1_epi32(kChromaRound);
    auto pairSums = [&](const uint8_t* p) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i low = _mm_unpacklo_epi8(pixels, zero);
        const __m128i high = _mm_unpackhi_epi8(pixels, zero);
        return _mm_unpacklo_epi64(_mm_add_epi16(low, _mm_srli_si128(low, 8)),
                                  _mm_add_epi16(high, _mm_srli_si128(high, 8)));
    };
    auto two = [&](__m128i sums, __m128i coefficients) {
        __m128i products = _mm_madd_epi16(sums, coefficients);
        return _mm_add_epi32(products, _mm_srli_epi64(products, 32));
    };
    auto four = [&](__m128i first, __m128i second, __m128i coefficients) {
        const __m128i values = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(two(first, coefficients)),
                                                               _mm_castsi128_ps(two(second, coefficients)),
                                                               _MM_SHUFFLE(2, 0, 2, 0)));
        return _mm_srai_epi32(_mm_add_epi32(values, round), 10);
    };
    for (; i + 8 <= fullPairs; i += 8)
    {
        const uint8_t* p = row + static_cast<size_t>(i) * 8;
        const __m128i s0 = pairSums(p);
        const __m128i s1 = pairSums(p + 16);
        const __m128i s2 = pairSums(p + 32);
        const __m128i s3 = pairSums(p + 48);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + i),
                         _mm_packs_epi32(four(s0, s1, cbCoefficients), four(s2, s3, cbCoefficients)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + i),
                         _mm_packs_epi32(four(s0, s1, crCoefficients), four(s2, s3, crCoefficients)));
    }
#endif
    for (; i < fullPairs; ++i)
    {
        const uint8_t* p = row + static_cast<size_t>(i) * 8;
        const int b = p[0] + p[4];
        const int g = p[1] + p[5];
        const int r = p[2] + p[6];
        cb[i] = ChromaB(r, g, b);
        cr[i] = ChromaR(r, g, b);
    }
    if (fullPairs < pairs)
    {
        const uint8_t* p = row + static_cast<size_t>(fullPairs) * 8;
        cb[fullPairs] = ChromaB(p[2], p[1], p[0]);
        cr[fullPairs] = ChromaR(p[2], p[1], p[0]);
    }
}

// One chroma row from the half-width chroma of its eight source rows.
void FilterRows(const int16_t* const* rows, int count, uint8_t* out)
{
    int i = 0;
#ifdef ZARNOVELT_YUV_SSE2
    // Eight samples a pass: the rows taken two at a time, interleaved, against their two weights.
    __m128i weights[kTaps / 2];
    for (int k = 0; k < kTaps / 2; ++k)
    {
        const int16_t even = kWeights[2 * k];
        const int16_t odd = kWeights[2 * k + 1];
        weights[k] = _mm_setr_epi16(even, odd, even, odd, even, odd, even, odd);
    }
    const __m128i round = _mm_set1_epi32(1 << (kVerticalShift - 1));
    for (; i + 8 <= count; i += 8)
    {
        __m128i low = round;
        __m128i high = round;
        for (int k = 0; k < kTaps / 2; ++k)
        {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * k] + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * k + 1] + i));
            low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weights[k]));
            high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weights[k]));
        }
        const __m128i words = _mm_packs_epi32(_mm_srai_epi32(low, kVerticalShift), _mm_srai_epi32(high, kVerticalShift));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(words, words));
    }
#endif
    for (; i < count; ++i)
    {
        int sum = 1 << (kVerticalShift - 1);
        for (int k = 0; k < kTaps; ++k)
            sum += kWeights[k] * rows[k][i];
        out[i] = static_cast<uint8_t>(std::clamp(sum >> kVerticalShift, 0, 255));
    }
}

} // namespace

int Yuv420Side(int side) { return side + (side & 1); }

size_t Yuv420FrameBytes(int width, int height)
{
    const size_t w = static_cast<size_t>(Yuv420Side(width));
    const size_t h = static_cast<size_t>(Yuv420Side(height));
    return w * h + 2 * (w / 2) * (h / 2);
}

void ConvertBgraToYuv420(const uint8_t* bgra, int width, int height, uint8_t* yuv)
{
    const int evenWidth = Yuv420Side(width);
    const int evenHeight = Yuv420Side(height);
    const int chromaWidth = evenWidth / 2;
    const int chromaHeight = evenHeight / 2;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    // Top-down row y of the picture is GL row height-1-y; row `height` of an odd height is black.
    auto sourceRow = [&](int y) { return bgra + rowBytes * static_cast<size_t>(height - 1 - y); };

    uint8_t* yPlane = yuv;
    uint8_t* cbPlane = yPlane + static_cast<size_t>(evenWidth) * evenHeight;
    uint8_t* crPlane = cbPlane + static_cast<size_t>(chromaWidth) * chromaHeight;
    // The half-width chroma of the last kTaps rows, row r in slot r % kTaps: the eight rows one
    // chroma row needs are consecutive, so they never share a slot.
    std::vector<int16_t> halfRows(static_cast<size_t>(kTaps) * 2 * chromaWidth);
    auto slotCb = [&](int r) { return halfRows.data() + static_cast<size_t>(r % kTaps) * 2 * chromaWidth; };
    auto slotCr = [&](int r) { return slotCb(r) + chromaWidth; };
    int rowsDone = 0;
    for (int j = 0; j < chromaHeight; ++j)
    {
        // Each source row once, while it is in the cache: its luma and its half-width chroma.
        const int last = std::min(2 * j + kTaps / 2, evenHeight - 1);
        for (; rowsDone <= last; ++rowsDone)
        {
            uint8_t* luma = yPlane + static_cast<size_t>(rowsDone) * evenWidth;
            if (rowsDone == height)
            {
                std::fill(luma, luma + evenWidth, Luma(0, 0, 0));
                std::fill(slotCb(rowsDone), slotCb(rowsDone) + 2 * chromaWidth, static_cast<int16_t>(kChromaMiddle));
                continue;
            }
            LumaRow(sourceRow(rowsDone), width, luma);
            if (evenWidth != width)
                luma[width] = Luma(0, 0, 0);
            HalfRowChroma(sourceRow(rowsDone), width, chromaWidth, slotCb(rowsDone), slotCr(rowsDone));
        }
        const int16_t* cbRows[kTaps];
        const int16_t* crRows[kTaps];
        for (int k = 0; k < kTaps; ++k)
        {
            const int r = std::clamp(2 * j - kTaps / 2 + 1 + k, 0, evenHeight - 1);
            cbRows[k] = slotCb(r);
            crRows[k] = slotCr(r);
        }
        FilterRows(cbRows, chromaWidth, cbPlane + static_cast<size_t>(j) * chromaWidth);
        FilterRows(crRows, chromaWidth, crPlane + static_cast<size_t>(j) * chromaWidth);
    }
}

// A small four-channel MOD ("M.K.") written byte by byte, for tests of music decoding and of a
// capture's soundtrack: one looped square-wave sample played as a note on channel 1 at row 0 of
// a single 64-row pattern (speed 6, tempo 125: 64 * 6 * 20 ms = 7.68 s).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> SquareWaveModule(const std::string& title = "zarnovelt test")
{
    std::vector<uint8_t> bytes;
    auto put16 = [&](unsigned value) {
        bytes.push_back(static_cast<uint8_t>(value >> 8));
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    };
    // Title, 20 bytes.
    for (size_t i = 0; i < 20; ++i)
        bytes.push_back(i < title.size() ? static_cast<uint8_t>(title[i]) : 0);
    // 31 sample headers; only the first is used: 32 bytes (16 words), volume 64, looped whole.
    const unsigned sampleWords = 16;
    for (int sample = 0; sample < 31; ++sample)
    {
        const bool used = sample == 0;
        const char* name = used ? "square" : "";
        for (size_t i = 0; i < 22; ++i)
            bytes.push_back(i < std::char_traits<char>::length(name) ? static_cast<uint8_t>(name[i]) : 0);
        put16(used ? sampleWords : 0);
        bytes.push_back(0);                 // finetune
        bytes.push_back(used ? 64 : 0);     // volume
        put16(0);                           // loop start (words)
        put16(used ? sampleWords : 1);      // loop length (words); 1 means no loop
    }
    bytes.push_back(1);     // song length: one position
    bytes.push_back(127);   // restart byte
    for (int i = 0; i < 128; ++i)
        bytes.push_back(0); // every position plays pattern 0
    for (char c : std::string("M.K."))
        bytes.push_back(static_cast<uint8_t>(c));
    // Pattern 0: 64 rows x 4 channels x 4 bytes; row 0, channel 1 plays sample 1 at period 428.
    const unsigned period = 428;
    const unsigned sampleNumber = 1;
    for (int row = 0; row < 64; ++row)
        for (int channel = 0; channel < 4; ++channel)
        {
            if (row == 0 && channel == 0)
            {
                bytes.push_back(static_cast<uint8_t>((sampleNumber & 0xF0) | (period >> 8)));
                bytes.push_back(static_cast<uint8_t>(period & 0xFF));
                bytes.push_back(static_cast<uint8_t>((sampleNumber & 0x0F) << 4));
                bytes.push_back(0);
            }
            else
            {
                for (int i = 0; i < 4; ++i)
                    bytes.push_back(0);
            }
        }
    // The sample: a square wave, signed 8 bits.
    for (unsigned i = 0; i < sampleWords * 2; ++i)
        bytes.push_back(static_cast<uint8_t>(static_cast<int8_t>(i < sampleWords ? 64 : -64)));
    return bytes;
}

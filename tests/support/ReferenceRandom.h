// The runtime's classic generator that the effects share, computed here on its own:
// x = x * 214013 + 2531011, returning (x >> 16) & 0x7FFF, from the seed 1.
#pragma once

#include <cstdint>

class ReferenceRandom
{
public:
    int Next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

    void Skip(int count)
    {
        for (int i = 0; i < count; ++i)
            Next();
    }

private:
    uint32_t m_state = 1;
};

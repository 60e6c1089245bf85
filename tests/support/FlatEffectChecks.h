// Checks shared by the tests of the flat effects (backgrounds, overlays, flag, sprites): GL
// state read back with glGet, pixels compared with a tolerance, where a point of a 45-degree
// perspective view lands on screen, the shared random recurrence computed on its own, and
// frames saved for looking at.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "GlTestContext.h"

namespace FlatChecks
{

// Saves the current frame as <dir>/<name>.png when ZARNOVELT_TEST_FRAMES names a directory.
inline void SaveFrame(const std::string& name)
{
    const char* dir = std::getenv("ZARNOVELT_TEST_FRAMES");
    if (dir == nullptr || *dir == '\0')
        return;
    std::filesystem::create_directories(dir);
    GlTestContext::SavePng(std::string(dir) + "/" + name + ".png");
}

inline GLint GetInt(GLenum what)
{
    GLint value[4] = {0, 0, 0, 0};
    glGetIntegerv(what, value);
    return value[0];
}

inline bool IsOn(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

// Each channel of the pixel at (x, y) (GL window coordinates) within tolerance of expected.
inline ::testing::AssertionResult PixelNear(int x, int y, Rgba expected, int tolerance)
{
    const Rgba actual = GlTestContext::Pixel(x, y);
    const bool near = std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
                      std::abs(actual.b - expected.b) <= tolerance;
    if (near)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is (" << actual.r << ", " << actual.g
                                         << ", " << actual.b << "), expected (" << expected.r << ", " << expected.g
                                         << ", " << expected.b << ") +- " << tolerance;
}

// Half the height of a 45-degree view at a distance in front of the eye.
inline double HalfHeightAt(double distance) { return distance * std::tan(22.5 * M_PI / 180.0); }

// The window x (in pixels, fractional) of an eye-space x at a distance, for the current size.
inline double ScreenX(double eyeX, double distance)
{
    const double aspect = static_cast<double>(GlTestContext::Width()) / GlTestContext::Height();
    const double ndc = eyeX / (HalfHeightAt(distance) * aspect);
    return (ndc + 1.0) * 0.5 * GlTestContext::Width();
}

// The window y (in pixels from the bottom, fractional) of an eye-space y at a distance.
inline double ScreenY(double eyeY, double distance)
{
    const double ndc = eyeY / HalfHeightAt(distance);
    return (ndc + 1.0) * 0.5 * GlTestContext::Height();
}

// The runtime's classic generator, computed here on its own: x = x * 214013 + 2531011,
// returning (x >> 16) & 0x7FFF, from the seed 1.
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

} // namespace FlatChecks

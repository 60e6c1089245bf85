// Where an eye-space point lands under the 45-degree perspective the effects set up, and colour
// checks with a tolerance, for the cube and composition effect tests (KAOS, SPIRAL, SPACE,
// BALLS). Computed independently of the effects, in double precision.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "GlTestContext.h"

namespace EyeProbe
{

// tan(22.5 degrees): half the view's height at eye distance 1.
constexpr double kHalfFovTangent = 0.41421356237309503;

struct PixelPoint
{
    int x, y;
};

// The pixel an eye-space point (z < 0) projects to in a width x height view.
inline PixelPoint PixelOf(double x, double y, double z, int width, int height)
{
    const double aspect = static_cast<double>(width) / static_cast<double>(height);
    const double ndcX = x / (-z * kHalfFovTangent * aspect);
    const double ndcY = y / (-z * kHalfFovTangent);
    return {static_cast<int>(std::floor((ndcX + 1.0) * 0.5 * width)),
            static_cast<int>(std::floor((ndcY + 1.0) * 0.5 * height))};
}

// Pixels per eye unit at distance -z (the same horizontally and vertically).
inline double PixelsPerUnit(double z, int height)
{
    return 0.5 * height / (-z * kHalfFovTangent);
}

// The colour at (x, y) is within tolerance of (r, g, b) in every channel.
inline ::testing::AssertionResult ColourNear(Rgba actual, int r, int g, int b, int tolerance)
{
    if (std::abs(actual.r - r) <= tolerance && std::abs(actual.g - g) <= tolerance &&
        std::abs(actual.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << ") is not within " << tolerance << " of (" << r << ", " << g
                                         << ", " << b << ")";
}

inline ::testing::AssertionResult PixelNear(PixelPoint at, int r, int g, int b, int tolerance)
{
    const Rgba actual = GlTestContext::Pixel(at.x, at.y);
    ::testing::AssertionResult result = ColourNear(actual, r, g, b, tolerance);
    if (!result)
        result << " at pixel (" << at.x << ", " << at.y << ")";
    return result;
}

// Saves the current frame as <dir>/<name>.png when ZARNOVELT_TEST_FRAMES names a directory
// (the same switch as the other rendering tests), for looking at what a test drew.
inline void SaveFrame(const std::string& name)
{
    const char* dir = std::getenv("ZARNOVELT_TEST_FRAMES");
    if (dir == nullptr || *dir == '\0')
        return;
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    GlTestContext::SavePng(std::string(dir) + "/" + name + ".png");
}

} // namespace EyeProbe

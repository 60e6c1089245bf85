// framediff: compares two captures frame by frame (directories of frame_NNNNNN.png, as
// --capture DIR writes them), for checking that two builds draw the same show.
//
//   framediff [--channel N] [--max-share PERCENT] [--max-mean M] EXPECTED_DIR ACTUAL_DIR
//   framediff --lit FILE.png
//
// For each frame of EXPECTED_DIR: the largest difference of any channel of any pixel, the share
// of pixels where some channel differs by more than N (default 8), and the mean difference per
// channel. A frame fails when its share is above PERCENT (default 1) or its mean above M
// (default 1.0), when it is missing from ACTUAL_DIR or its size differs. Prints one line a
// frame and a summary; exit status 0 when every frame passes, 1 otherwise, 2 for bad usage.
// --lit prints how much of one picture is lit (share of pixels brighter than 24 in some channel,
// in percent) and how many different colours it has: "lit 37.5 colours 1234".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/ImageCodec.h"

namespace fs = std::filesystem;

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: framediff [--channel N] [--max-share PERCENT] [--max-mean M] EXPECTED_DIR ACTUAL_DIR\n");
    return 2;
}

bool ParseNumber(const char* text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && *value >= 0.0;
}

} // namespace

// Share of lit pixels and number of distinct colours of one picture.
int DescribeLit(const std::string& path)
{
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    std::string reason;
    if (!ReadPngRgba(path, &width, &height, &rgba, &reason))
    {
        std::fprintf(stderr, "framediff: %s\n", reason.c_str());
        return 1;
    }
    const size_t pixels = static_cast<size_t>(width) * height;
    size_t lit = 0;
    std::vector<uint32_t> colours;
    colours.reserve(pixels);
    for (size_t p = 0; p < pixels; ++p)
    {
        const uint8_t* c = &rgba[p * 4];
        if (std::max({c[0], c[1], c[2]}) > 24)
            ++lit;
        colours.push_back(uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]);
    }
    std::sort(colours.begin(), colours.end());
    const size_t distinct = static_cast<size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
    std::printf("lit %.1f colours %zu\n", pixels > 0 ? 100.0 * static_cast<double>(lit) / static_cast<double>(pixels) : 0.0,
                distinct);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--lit")
        return DescribeLit(argv[2]);
    double channel = 8.0;
    double maxShare = 1.0;
    double maxMean = 1.0;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        double* target = argument == "--channel" ? &channel : argument == "--max-share" ? &maxShare
                       : argument == "--max-mean" ? &maxMean : nullptr;
        if (target != nullptr)
        {
            if (i + 1 >= argc || !ParseNumber(argv[++i], target))
                return Usage();
        }
        else if (!argument.empty() && argument[0] != '-')
            folders.push_back(argument);
        else
            return Usage();
    }
    if (folders.size() != 2)
        return Usage();

    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folders[0], error))
        if (entry.path().extension() == ".png")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    if (error || names.empty())
    {
        std::fprintf(stderr, "framediff: no PNG frames in %s\n", folders[0].c_str());
        return 1;
    }

    int failed = 0;
    int worstChannel = 0;
    double worstShare = 0.0;
    double worstMean = 0.0;
    std::printf("%-20s %8s %10s %10s\n", "frame", "largest", "share %", "mean");
    for (const std::string& name : names)
    {
        int widthA = 0, heightA = 0, widthB = 0, heightB = 0;
        std::vector<uint8_t> a, b;
        std::string reason;
        if (!ReadPngRgba(folders[0] + "/" + name, &widthA, &heightA, &a, &reason) ||
            !ReadPngRgba(folders[1] + "/" + name, &widthB, &heightB, &b, &reason))
        {
            std::printf("%-20s FAIL: %s\n", name.c_str(), reason.c_str());
            ++failed;
            continue;
        }
        if (widthA != widthB || heightA != heightB)
        {
            std::printf("%-20s FAIL: %dx%d against %dx%d\n", name.c_str(), widthA, heightA, widthB, heightB);
            ++failed;
            continue;
        }
        int largest = 0;
        size_t over = 0;
        double sum = 0.0;
        const size_t pixels = static_cast<size_t>(widthA) * heightA;
        for (size_t p = 0; p < pixels; ++p)
        {
            int pixelLargest = 0;
            for (int c = 0; c < 3; ++c)
            {
                const int difference = std::abs(int(a[p * 4 + c]) - int(b[p * 4 + c]));
                pixelLargest = std::max(pixelLargest, difference);
                sum += difference;
            }
            largest = std::max(largest, pixelLargest);
            if (pixelLargest > channel)
                ++over;
        }
        const double share = 100.0 * static_cast<double>(over) / static_cast<double>(pixels);
        const double mean = sum / (3.0 * static_cast<double>(pixels));
        const bool pass = share <= maxShare && mean <= maxMean;
        std::printf("%-20s %8d %10.3f %10.3f%s\n", name.c_str(), largest, share, mean, pass ? "" : "  FAIL");
        failed += pass ? 0 : 1;
        worstChannel = std::max(worstChannel, largest);
        worstShare = std::max(worstShare, share);
        worstMean = std::max(worstMean, mean);
    }
    std::printf("framediff: %zu frames, %d failed; worst frame: largest difference %d, %.3f %% of pixels over %g, "
                "mean %.3f (limits: %g %%, mean %g)\n",
                names.size(), failed, worstChannel, worstShare, channel, worstMean, maxShare, maxMean);
    return failed == 0 ? 0 : 1;
}

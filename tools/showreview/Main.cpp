// showreview: looks at a captured show (directories of frame_NNNNNN.png, as --capture DIR
// writes them; with --capture-every N a picture every N frames).
//
//   showreview seams [--bright] [--min-length SHARE] FRAME_OR_DIR...
//       finds seams (SeamFinder.h) in every frame (--bright: lines brighter than their sides
//       too); one line for each, a summary at the end.
//       Exit status 0 when there are none, 1 when there are, 2 for bad usage or unreadable frames.
//   showreview sheet [--title T] [--fps N] [--columns C] [--rows R] [--thumb W] [--seams] [--bright]
//                    DIR PREFIX
//       pages PREFIX_01.png, ... of labelled thumbnails (the label is the frame's time at --fps,
//       default 60); --seams marks the seams found in red (--bright as for seams).
//   showreview compare [--title T] [--fps N] [--columns C] [--rows R] [--thumb W] [--changed]
//                      [--seams] BEFORE_DIR AFTER_DIR PREFIX
//       pages of before/after pairs of the frames both directories hold; --changed keeps only
//       the frames where some pixel differs by more than 8 in some channel; --seams marks the
//       seams on both sides.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ReviewSheet.h"
#include "SeamFinder.h"
#include "codecs/ImageCodec.h"

namespace fs = std::filesystem;

namespace
{

int Usage()
{
    std::fprintf(stderr,
                 "usage: showreview seams [--bright] [--min-length SHARE] FRAME_OR_DIR...\n"
                 "       showreview sheet [--title T] [--fps N] [--columns C] [--rows R] [--thumb W] [--seams] [--bright]\n"
                 "                        DIR PREFIX\n"
                 "       showreview compare [--title T] [--fps N] [--columns C] [--rows R] [--thumb W] [--changed] [--seams]\n"
                 "                          BEFORE_DIR AFTER_DIR PREFIX\n");
    return 2;
}

bool ParsePositive(const std::string& text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && *value > 0.0;
}

// The PNG frames of a directory (or the file itself), sorted by name.
std::vector<std::string> FramesIn(const std::string& path)
{
    std::vector<std::string> frames;
    std::error_code error;
    if (fs::is_directory(path, error))
    {
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
            if (entry.path().extension() == ".png")
                frames.push_back(entry.path().string());
        std::sort(frames.begin(), frames.end());
    }
    else if (fs::is_regular_file(path, error))
    {
        frames.push_back(path);
    }
    return frames;
}

// "frame_004020.png" at 60 frames a second: "1:07".
std::string TimeLabel(const std::string& path, double fps)
{
    const std::string name = fs::path(path).stem().string();
    const size_t digits = name.find_last_not_of("0123456789");
    if (digits == std::string::npos || digits + 1 >= name.size())
        return name;
    const double seconds = std::strtod(name.c_str() + digits + 1, nullptr) / fps;
    const int whole = static_cast<int>(seconds);
    char text[32];
    if (seconds - whole > 1e-6)
        std::snprintf(text, sizeof text, "%d:%05.2f", whole / 60, seconds - (whole / 60) * 60);
    else
        std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

struct Arguments
{
    std::vector<std::string> paths;
    SheetLayout layout;
    SeamSettings seamSettings;
    double fps = 60.0;
    bool markSeams = false;
    bool changedOnly = false;
};

bool Parse(int argc, char** argv, Arguments* a)
{
    for (int i = 2; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double number = 0.0;
        if (arg == "--title" && hasValue)
            a->layout.title = argv[++i];
        else if (arg == "--fps" && hasValue && ParsePositive(argv[i + 1], &number))
            a->fps = number, ++i;
        else if (arg == "--columns" && hasValue && ParsePositive(argv[i + 1], &number))
            a->layout.columns = static_cast<int>(number), ++i;
        else if (arg == "--rows" && hasValue && ParsePositive(argv[i + 1], &number))
            a->layout.rows = static_cast<int>(number), ++i;
        else if (arg == "--thumb" && hasValue && ParsePositive(argv[i + 1], &number) && number >= 16)
            a->layout.thumbWidth = static_cast<int>(number), ++i;
        else if (arg == "--min-length" && hasValue && ParsePositive(argv[i + 1], &number) && number <= 1.0)
            a->seamSettings.minLengthShare = static_cast<float>(number), ++i;
        else if (arg == "--bright")
            a->seamSettings.brightLines = true;
        else if (arg == "--seams")
            a->markSeams = true;
        else if (arg == "--changed")
            a->changedOnly = true;
        else if (!arg.empty() && arg[0] != '-')
            a->paths.push_back(arg);
        else
            return false;
    }
    return true;
}

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// False, with a message naming the file, when it cannot be read.
bool ReadPicture(const std::string& path, Picture* picture)
{
    std::string reason;
    if (ReadPngRgba(path, &picture->width, &picture->height, &picture->rgba, &reason))
        return true;
    std::fprintf(stderr, "showreview: cannot read %s: %s\n", path.c_str(), reason.c_str());
    return false;
}

std::vector<SeamLine> Seams(const Picture& picture, const SeamSettings& settings)
{
    return FindSeams(picture.rgba.data(), picture.width, picture.height, settings);
}

int SeamsCommand(const Arguments& a)
{
    if (a.paths.empty())
        return Usage();
    size_t frames = 0, flagged = 0, lines = 0;
    for (const std::string& path : a.paths)
    {
        const std::vector<std::string> found = FramesIn(path);
        if (found.empty())
        {
            std::fprintf(stderr, "showreview: no PNG frames in %s\n", path.c_str());
            return 2;
        }
        for (const std::string& frame : found)
        {
            Picture picture;
            if (!ReadPicture(frame, &picture))
                return 2;
            const std::vector<SeamLine> seams = Seams(picture, a.seamSettings);
            ++frames;
            flagged += seams.empty() ? 0 : 1;
            lines += seams.size();
            for (const SeamLine& line : seams)
                std::printf("%s: %s\n", frame.c_str(), line.Describe().c_str());
        }
    }
    std::printf("showreview: %zu frames, %zu with seams, %zu seams\n", frames, flagged, lines);
    return lines == 0 ? 0 : 1;
}

// Some pixel differs by more than 8 in some colour channel, or the sizes differ.
bool Differs(const Picture& before, const Picture& after)
{
    if (before.width != after.width || before.height != after.height)
        return true;
    for (size_t i = 0; i < before.rgba.size(); ++i)
        if (i % 4 != 3 && std::abs(int(before.rgba[i]) - int(after.rgba[i])) > 8)
            return true;
    return false;
}

int SheetCommand(const Arguments& a, bool compare)
{
    if (a.paths.size() != (compare ? 3u : 2u))
        return Usage();
    const std::vector<std::string> frames = FramesIn(a.paths[0]);
    if (frames.empty())
    {
        std::fprintf(stderr, "showreview: no PNG frames in %s\n", a.paths[0].c_str());
        return 2;
    }
    std::vector<ReviewFrame> items;
    for (const std::string& frame : frames)
    {
        ReviewFrame item;
        item.label = TimeLabel(frame, a.fps);
        item.path = frame;
        if (compare)
        {
            item.afterPath = (fs::path(a.paths[1]) / fs::path(frame).filename()).string();
            if (!fs::exists(item.afterPath))
                continue;
        }
        // Each frame is read once for what is asked of it (pages read them again, one at a time).
        if (a.markSeams || (compare && a.changedOnly))
        {
            Picture before;
            Picture after;
            if (!ReadPicture(frame, &before) || (compare && !ReadPicture(item.afterPath, &after)))
                return 2;
            if (compare && a.changedOnly && !Differs(before, after))
                continue;
            if (a.markSeams)
            {
                item.seams = Seams(compare ? after : before, a.seamSettings);
                if (compare)
                    item.beforeSeams = Seams(before, a.seamSettings);
            }
        }
        items.push_back(item);
    }
    if (items.empty())
    {
        std::printf("showreview: no frames differ; no pages written\n");
        return 0;
    }
    std::vector<std::string> written;
    std::string error;
    SheetLayout layout = a.layout;
    if (layout.title.empty())
        layout.title = a.paths[0];
    if (!WriteReviewPages(items, layout, a.paths.back(), &written, &error))
    {
        std::fprintf(stderr, "showreview: %s\n", error.c_str());
        return 2;
    }
    for (const std::string& page : written)
        std::printf("%s\n", page.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    Arguments arguments;
    if (!Parse(argc, argv, &arguments))
        return Usage();
    if (command == "seams")
        return SeamsCommand(arguments);
    if (command == "sheet" || command == "compare")
        return SheetCommand(arguments, command == "compare");
    return Usage();
}

// The command line: parsing and the usage text --help prints.
#include "api/Options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "capture/Capture.h"
#include "script/Timeline.h"

namespace {

bool ParseInt64(const std::string& text, int64_t* value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0')
        return false;
    *value = parsed;
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    int64_t w = 0;
    int64_t h = 0;
    if (!ParseInt64(text.substr(0, x), &w) || !ParseInt64(text.substr(x + 1), &h))
        return false;
    if (w < 16 || h < 16 || w > 8192 || h > 8192)
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

// "60", "30", "60000/1001".
bool ParseFps(const std::string& text, int* numerator, int* denominator)
{
    const size_t slash = text.find('/');
    int64_t num = 0;
    int64_t den = 1;
    if (slash == std::string::npos)
    {
        if (!ParseInt64(text, &num))
            return false;
    }
    else if (!ParseInt64(text.substr(0, slash), &num) || !ParseInt64(text.substr(slash + 1), &den))
    {
        return false;
    }
    if (num <= 0 || den <= 0 || num > 1000000 || den > 1000000 || num / den > 1000)
        return false;
    *numerator = static_cast<int>(num);
    *denominator = static_cast<int>(den);
    return true;
}

} // namespace

std::string UsageText()
{
    return "Usage: zarnovelt [options]\n"
           "\n"
           "  --data DIR         run in DIR: the timeline and every data file are read relative to it\n"
           "                     (default: see Data below)\n"
           "  --script FILE      timeline script, relative to the data directory (default: demoflow.txt)\n"
           "  --size WxH         render size in pixels, handed to every effect (default: 640x480)\n"
           "  --fullscreen       start in fullscreen\n"
           "  --windowed         start in a window (default)\n"
           "  --headless         no window: render offscreen (default when no display is available)\n"
           "  --capture PATH     write every frame of the show, headless. PATH ending in .mp4 (H.264 + AAC),\n"
           "                     .mkv (H.264 + FLAC) or .webm (VP9 + Opus) is a video with the soundtrack,\n"
           "                     made by ffmpeg; any other PATH is a directory of upright PNG files\n"
           "                     frame_000000.png, frame_000001.png, ...\n"
           "  --capture-every N  a PNG capture keeps only frames 0, N, 2N, ... under their own numbers (a\n"
           "                     picture a second with N = --fps); the show still runs frame by frame\n"
           "  --video-quality Q  the encoder's speed against the picture in a video capture: fast (quick\n"
           "                     previews, larger files), good (default: as good as or better than the\n"
           "                     captures always were) or best (slower, for keeping)\n"
           "  --fps N            frame rate of a capture or headless run, integer or fraction (60000/1001);\n"
           "                     frame k shows demo time k * 1000 / N ms exactly (default: 60)\n"
           "  --start TIME       begin the show at TIME (ms or m:ss.fff): every script event before TIME is\n"
           "                     applied in order, nothing is drawn before it (default: 0)\n"
           "  --frames N         end the show after N frames\n"
           "  --no-music         silent (also in a video); the clock runs on its own\n"
           "  --no-extensions    report every GL extension as missing, to run the fallback paths\n"
           "  --no-dialog        skip the start-up dialog (always skipped headless)\n"
           "  --check-gl         check glGetError after every effect call and name the effect and call\n"
           "  --strict-clamp     textures asked for with GL_CLAMP sample the black border colour at their\n"
           "                     edges, as the GL rules say (thin dark lines where such a layer's edge is\n"
           "                     in view); for comparisons. Default: they clamp to their edge texels\n"
           "  --version          print the release and group names, the build's version and the GL it\n"
           "                     draws with (the driver's OpenGL 1.1, or the fixed-function layer over\n"
           "                     OpenGL ES 3 in a build made with ZARNOVELT_GLES)\n"
           "  --help             print this text\n"
           "\n"
           "In the window: Escape ends, Space pauses and resumes, Left and Right seek 5 s, Home restarts,\n"
           "R reloads the script at the same time, F1 shows the frame-rate and timeline overlay, F11\n"
           "switches fullscreen. While music plays the show follows the sound device's clock.\n"
           "\n"
           "Data: without --data the first of these folders that holds the timeline script is used:\n"
           "  1. data/ beside the program (the build folder, an unpacked archive)\n"
           "  2. ../share/zarnovelt/data from the program's folder (an installed tree, e.g.\n"
           "     /usr/bin/zarnovelt reads /usr/share/zarnovelt/data)\n"
           "\n"
           "Exit status: 0 when the show ran; 1 with a reason on standard error for bad options, no data\n"
           "directory, an invalid script, no GL context, or a capture that could not be written (ffmpeg\n"
           "missing included).\n";
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* error)
{
    auto needValue = [&](int& i, const std::string& name, std::string* value) {
        if (i + 1 >= argc)
        {
            *error = name + " needs a value";
            return false;
        }
        *value = argv[++i];
        return true;
    };
    bool qualityGiven = false;
    bool everyGiven = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        std::string value;
        if (arg == "--help" || arg == "-h")
            options->showHelp = true;
        else if (arg == "--version")
            options->showVersion = true;
        else if (arg == "--data")
        {
            if (!needValue(i, arg, &options->dataDir))
                return false;
            if (options->dataDir.empty())
            {
                *error = "--data needs a directory";
                return false;
            }
        }
        else if (arg == "--script")
        {
            if (!needValue(i, arg, &options->scriptFile))
                return false;
            if (options->scriptFile.empty())
            {
                *error = "--script needs a file name";
                return false;
            }
        }
        else if (arg == "--size")
        {
            if (!needValue(i, arg, &value))
                return false;
            if (!ParseSize(value, &options->width, &options->height))
            {
                *error = "--size takes WxH with each side from 16 to 8192, e.g. 640x480 (got \"" + value + "\")";
                return false;
            }
            options->sizeGiven = true;
        }
        else if (arg == "--fullscreen")
            options->fullscreen = 1;
        else if (arg == "--windowed")
            options->fullscreen = 0;
        else if (arg == "--headless")
            options->headless = true;
        else if (arg == "--capture")
        {
            if (!needValue(i, arg, &options->capturePath))
                return false;
            if (options->capturePath.empty())
            {
                *error = "--capture needs a path";
                return false;
            }
        }
        else if (arg == "--capture-every")
        {
            int64_t every = 0;
            if (!needValue(i, arg, &value))
                return false;
            if (!ParseInt64(value, &every) || every < 1 || every > 1000000)
            {
                *error = "--capture-every takes a count from 1 to 1000000 (got \"" + value + "\")";
                return false;
            }
            options->captureEvery = static_cast<int>(every);
            everyGiven = true;
        }
        else if (arg == "--video-quality")
        {
            if (!needValue(i, arg, &value))
                return false;
            if (!ParseVideoQuality(value, &options->videoQuality))
            {
                *error = "--video-quality takes fast, good or best (got \"" + value + "\")";
                return false;
            }
            qualityGiven = true;
        }
        else if (arg == "--fps")
        {
            if (!needValue(i, arg, &value))
                return false;
            if (!ParseFps(value, &options->fpsNumerator, &options->fpsDenominator))
            {
                *error = "--fps takes a positive rate up to 1000, e.g. 60 or 60000/1001 (got \"" + value + "\")";
                return false;
            }
        }
        else if (arg == "--start")
        {
            if (!needValue(i, arg, &value))
                return false;
            if (!ParseTimelineTime(value, &options->startMs))
            {
                *error = "--start takes a time in ms or m:ss.fff (got \"" + value + "\")";
                return false;
            }
        }
        else if (arg == "--frames")
        {
            if (!needValue(i, arg, &value))
                return false;
            if (!ParseInt64(value, &options->frames) || options->frames < 0)
            {
                *error = "--frames takes a count of 0 or more (got \"" + value + "\")";
                return false;
            }
        }
        else if (arg == "--no-music")
            options->noMusic = true;
        else if (arg == "--no-extensions")
            options->noExtensions = true;
        else if (arg == "--no-dialog")
            options->noDialog = true;
        else if (arg == "--check-gl")
            options->checkGl = true;
        else if (arg == "--strict-clamp")
            options->strictClamp = true;
        else
        {
            *error = "unknown option \"" + arg + "\"";
            return false;
        }
    }
    if (qualityGiven && !IsVideoPath(options->capturePath))
    {
        *error = "--video-quality is for a video capture (--capture NAME.mp4, .mkv or .webm)";
        return false;
    }
    if (everyGiven && (options->capturePath.empty() || IsVideoPath(options->capturePath)))
    {
        *error = "--capture-every is for a capture into a directory of PNG files (--capture DIR)";
        return false;
    }
    return true;
}

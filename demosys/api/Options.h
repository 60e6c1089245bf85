// The command line of the demo: it settles what the start-up dialog would ask.
#pragma once

#include <cstdint>
#include <string>

#include "capture/VideoQuality.h"

struct Options
{
    std::string dataDir;            // empty: searched for (show/DataDirectory.h)
    std::string scriptFile;         // empty: start-up variable 5
    int width = 0;                  // 0: the start-up record's default resolution
    int height = 0;
    bool sizeGiven = false;
    int fullscreen = -1;            // -1: as variable 6; 0 windowed; 1 fullscreen
    bool headless = false;          // forced with --headless (also when no display exists)
    std::string capturePath;        // empty: no capture
    int captureEvery = 1;           // a PNG capture keeps frames 0, N, 2N, ...
    VideoQuality videoQuality = VideoQuality::Good;   // of a video capture
    int fpsNumerator = 60;          // capture / headless frame rate, a fraction
    int fpsDenominator = 1;
    int64_t startMs = 0;
    int64_t frames = -1;            // -1: no limit
    bool noMusic = false;
    bool noExtensions = false;
    bool noDialog = false;
    bool checkGl = false;
    bool strictClamp = false;       // GL_CLAMP textures keep the border colour at their edges
    bool showHelp = false;
    bool showVersion = false;
};

// Parses argv. False with a one-line reason for anything it does not understand.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

// The usage text --help prints.
std::string UsageText();

// The browser starts no programs: a video capture is refused before anything is encoded, with
// the reason, and the run reports it as any capture that could not start.
#include "capture/FfmpegProcess.h"
#include "capture/VideoCapture.h"

// There is no PATH to search: the name is handed on, and StartFfmpeg says why it cannot run.
std::string FindProgram(const std::string& program) { return program; }

std::unique_ptr<FfmpegProcess> StartFfmpeg(const std::string& program, const std::vector<std::string>& arguments,
                                           std::string* error)
{
    (void)arguments;
    *error = "cannot start " + program + ": a browser page runs no programs; capture to a folder of PNG files instead";
    return nullptr;
}

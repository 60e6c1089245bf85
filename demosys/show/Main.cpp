// The process entry point: reads the command line (it settles what the start-up dialog would
// ask), moves into the data directory and calls the demo's WinMain. The exit status tells
// scripts whether the show ran.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "api/Library.h"
#include "api/Options.h"
#include "platform/ExecutablePath.h"
#include "show/DataDirectory.h"
#include "support/Profiler.h"

int main(int argc, char** argv)
{
    Profiler::Mark("main");
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error))
    {
        std::fprintf(stderr, "zarnovelt: %s\n\n%s", error.c_str(), UsageText().c_str());
        return 1;
    }
    if (options.showHelp)
    {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    // A relative capture path means the directory the user started in, not the data directory.
    if (!options.capturePath.empty())
        options.capturePath = std::filesystem::absolute(options.capturePath).lexically_normal().string();
    // Without --data: beside the executable, then the installed tree (show/DataDirectory.h).
    const std::string marker = DataDirectoryMarker(options.scriptFile);
    const DataDirectorySearch search = FindDataDirectory(options.dataDir, ExecutablePath(), marker);
    if (!options.showVersion && search.directory.empty())
    {
        std::fprintf(stderr, "zarnovelt: %s", DataDirectoryNotFound(search, marker).c_str());
        return 1;
    }
    const std::string dataDir = search.directory.string();
    if (!options.showVersion && chdir(dataDir.c_str()) != 0)
    {
        std::fprintf(stderr, "zarnovelt: cannot enter the data directory \"%s\": %s\n", dataDir.c_str(),
                     std::strerror(errno));
        return 1;
    }
    Library().options = options;

    char commandLine[] = "";
    WinMain(nullptr, nullptr, commandLine, 0);
    // WinMain always returns 0; whether the show could run is the library's to tell.
    return Library().lastRunStatus;
}

// The process entry point: reads the command line (it settles what the start-up dialog would
// ask), moves into the data directory and calls the demo's WinMain, as the system's own start-up
// code calls it for a Windows program. The exit status tells scripts whether the show ran.
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "api/Library.h"
#include "platform/Process.h"
#include "show/Options.h"
#include "support/Profiler.h"

#ifndef ZARNOVELT_VERSION
#define ZARNOVELT_VERSION "unknown"
#endif

// Set by DEMOGL_AppRun: whether the show could run, and the texts --version prints.
int LastAppRunStatus();

namespace {

// The build's data directory when the build named one (a run from the build tree), otherwise
// the data folder beside the executable (the Windows release's layout).
std::string DefaultDataDirectory()
{
#ifdef ZARNOVELT_DEFAULT_DATA_DIR
    return ZARNOVELT_DEFAULT_DATA_DIR;
#else
    const std::string directory = ExecutableDirectory();
    return directory.empty() ? std::string("data") : directory + "/data";
#endif
}

} // namespace

int main(int argc, char** argv)
{
    Profiler::Mark("main");
    ProcessStart start = ReadProcessStart(argc, argv);
    std::vector<char*> arguments;
    for (std::string& argument : start.arguments)
        arguments.push_back(argument.data());
    arguments.push_back(nullptr);

    Options options;
    std::string error;
    if (!ParseOptions(static_cast<int>(start.arguments.size()), arguments.data(), &options, &error))
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
        options.capturePath =
            std::filesystem::absolute(std::filesystem::u8path(options.capturePath)).lexically_normal().u8string();
    const std::string dataDir = options.dataDir.empty() ? DefaultDataDirectory() : options.dataDir;
    std::error_code entered;
    if (!options.showVersion)
        std::filesystem::current_path(std::filesystem::u8path(dataDir), entered);
    if (entered)
    {
        std::fprintf(stderr, "zarnovelt: cannot enter the data directory \"%s\": %s\n", dataDir.c_str(),
                     entered.message().c_str());
        return 1;
    }
    Library().options = options;
    Library().optionsGiven = true;

    char commandLine[] = "";
    WinMain(start.instance, nullptr, commandLine, start.showMode);
    return LastAppRunStatus();
}

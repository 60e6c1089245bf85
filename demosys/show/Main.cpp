// The process entry point: reads the command line (it settles what the start-up dialog would
// ask), moves into the data directory and calls the demo's WinMain, as the system's start-up
// code calls it for any Windows program. The exit status tells scripts whether the show ran.
//
// On Windows this main is what the C runtime's start-up calls for the GUI program (in place of
// mingw-w64's own, which would only call WinMain): the arguments come from the process's wide
// command line, and --help and errors reach the console the program was started from.
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "api/Library.h"
#include "api/Options.h"
#include "platform/ExecutablePath.h"
#include "support/Process.h"
#include "show/DataDirectory.h"
#include "support/Profiler.h"

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
    // Without --data: beside the executable, then the installed tree (show/DataDirectory.h).
    const std::string marker = DataDirectoryMarker(options.scriptFile);
    const DataDirectorySearch search = FindDataDirectory(options.dataDir, ExecutablePath(), marker);
    if (!options.showVersion && search.directory.empty())
    {
        std::fprintf(stderr, "zarnovelt: %s", DataDirectoryNotFound(search, marker).c_str());
        return 1;
    }
    std::error_code entered;
    if (!options.showVersion)
        std::filesystem::current_path(search.directory, entered);
    if (entered)
    {
        std::fprintf(stderr, "zarnovelt: cannot enter the data directory \"%s\": %s\n",
                     search.directory.u8string().c_str(), entered.message().c_str());
        return 1;
    }
    Library().options = options;

    char commandLine[] = "";
    WinMain(start.instance, nullptr, commandLine, start.showMode);
    // WinMain always returns 0; whether the show could run is the library's to tell.
    return Library().lastRunStatus;
}

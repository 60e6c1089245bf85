// The process on Linux (and any POSIX system): arguments as given, /proc for the executable, getrusage for memory.
#include "platform/Process.h"

#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

ProcessStart ReadProcessStart(int argc, char** argv)
{
    ProcessStart start;
    for (int i = 0; i < argc; ++i)
        start.arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    return start;
}

std::string ExecutableDirectory()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.parent_path().string();
}

long PeakResidentKb()
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return usage.ru_maxrss;
}

void SetProcessEnvironment(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

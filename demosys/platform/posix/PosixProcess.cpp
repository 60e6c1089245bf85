// The process on Linux (and any POSIX system): arguments as given, getrusage for memory.
#include "support/Process.h"

#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

ProcessStart ReadProcessStart(int argc, char** argv)
{
    ProcessStart start;
    for (int i = 0; i < argc; ++i)
        start.arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    return start;
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

// What the library asks of the operating system besides a window: the process's start (its
// arguments, its instance handle), its memory, its environment, its standard error.
// One implementation per platform: platform/posix/PosixProcess.cpp, platform/win32/Win32Process.cpp,
// platform/web/WebProcess.cpp.
// It sits in support/ because everything may ask it, the profiler included.
#pragma once

#include <string>
#include <vector>

#include "Win32Shim.h"

struct ProcessStart
{
    std::vector<std::string> arguments;   // UTF-8, the program's name first
    HINSTANCE instance = nullptr;         // what WinMain receives
    int showMode = 0;                     // WinMain's last argument
};

// How the process was started. On Windows this also connects standard output and standard
// error of this GUI program to the console it was started from, when there is one and they
// do not already lead somewhere (a pipe or a file), so --help and errors are seen.
ProcessStart ReadProcessStart(int argc, char** argv);

// The process's peak resident memory in KiB; 0 when unknown.
long PeakResidentKb();

// Sets an environment variable of this process (seen by everything loaded after).
void SetProcessEnvironment(const char* name, const std::string& value);

// True when standard error is a terminal (a console on Windows): progress lines may then
// rewrite themselves.
bool StandardErrorIsTerminal();

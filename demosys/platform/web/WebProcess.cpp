// The process in the browser: the arguments the page made from its address, the WebAssembly
// memory for the peak (it only ever grows), emscripten's environment, and a console that is
// no terminal, so a progress line is printed whole and never redrawn.
#include "support/Process.h"

#include <emscripten/heap.h>

#include <cstdlib>

ProcessStart ReadProcessStart(int argc, char** argv)
{
    ProcessStart start;
    for (int i = 0; i < argc; ++i)
        start.arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    return start;
}

long PeakResidentKb() { return static_cast<long>(emscripten_get_heap_size() / 1024); }

void SetProcessEnvironment(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

bool StandardErrorIsTerminal() { return false; }

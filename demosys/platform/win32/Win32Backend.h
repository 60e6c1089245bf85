// The Win32 platform: a window with a WGL context (the show, the start-up dialog, the overlay,
// winmm sound) and a headless WGL context for captures and timing runs. BackendChoice.cpp names
// these for Windows.
#pragma once

#include <memory>

#include "platform/Backend.h"

std::unique_ptr<Backend> CreateWin32WindowBackend();
std::unique_ptr<Backend> CreateWin32HeadlessBackend();

// True when this process can show windows to a person (an interactive window station).
bool Win32WindowAvailable();

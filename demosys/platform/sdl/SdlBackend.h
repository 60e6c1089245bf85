// The Linux window: SDL2 (see SdlBackend.cpp).
#pragma once

#include <memory>

#include "platform/Backend.h"

std::unique_ptr<Backend> CreateSdlBackend();

// True when a display is available for a window (DISPLAY or WAYLAND_DISPLAY set).
bool SdlDisplayAvailable();

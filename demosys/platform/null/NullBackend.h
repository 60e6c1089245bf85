// No GL at all: the timeline and the scheduler run, effects are called, nothing is drawn. For
// tests of the script and the lifecycle, on every platform.
#pragma once

#include <memory>

#include "platform/Backend.h"

std::unique_ptr<Backend> CreateNullBackend();

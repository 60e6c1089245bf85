// Headless GL on Linux: EGL on Mesa's surfaceless platform (see EglBackend.cpp).
#pragma once

#include <memory>

#include "platform/Backend.h"

std::unique_ptr<Backend> CreateEglBackend();

// The running program's own file, for finding what was installed beside it. Each platform
// answers in its own way (Linux: /proc/self/exe).
#pragma once

#include <filesystem>

// The absolute path of the executable with symbolic links resolved; empty when the system
// cannot tell.
std::filesystem::path ExecutablePath();

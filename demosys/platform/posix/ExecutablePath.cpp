// Linux: the kernel's link to the running executable. Resolved, so a symbolic link in a
// folder on PATH leads to the real installed tree.
#include "platform/ExecutablePath.h"

#include <system_error>

std::filesystem::path ExecutablePath()
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return path;
}

#include "platform/UserFolders.h"

#include <cstdlib>

namespace {

// $variable when it holds an absolute path, else $HOME/fallback, else empty.
std::string XdgFolder(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
        return "";
    return std::string(home) + "/" + fallback;
}

} // namespace

std::string UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string UserStateFolder() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }

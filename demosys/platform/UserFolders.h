// Where the library keeps a person's files: the remembered dialog settings and the log file.
// Each platform answers in its own folder (posix/ for Linux).
#pragma once

#include <string>

// The folder for settings (Linux: $XDG_CONFIG_HOME or ~/.config); empty when there is none.
std::string UserConfigFolder();

// The folder for logs and other state (Linux: $XDG_STATE_HOME or ~/.local/state); empty when
// there is none.
std::string UserStateFolder();

#include "show/DialogSettings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/UserFolders.h"
#include "support/Report.h"

std::string ApplicationFileName(const std::string& applicationId)
{
    std::string name;
    for (char c : applicationId)
    {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '-' || c == '_';
        name += plain ? c : '_';
    }
    // Not ".", ".." or a hidden file.
    if (name.empty() || name[0] == '.')
        name = "demo" + name;
    return name;
}

std::string DialogSettingsPath(const std::string& applicationId)
{
    const std::string folder = UserConfigFolder();
    if (folder.empty())
        return "";
    return (std::filesystem::path(folder) / (ApplicationFileName(applicationId) + ".ini")).string();
}

bool LoadDialogSettings(const std::string& path, StartupChoices* choices)
{
    std::ifstream file(path);
    if (path.empty() || !file)
        return false;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string text = equals == std::string::npos ? "" : line.substr(equals + 1);
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        const bool numberOk = !text.empty() && end != nullptr && *end == '\0';
        const bool flagOk = numberOk && (value == 0 || value == 1);
        const bool sizeOk = numberOk && value >= 1 && value <= 16384;
        if (key == "width" && sizeOk)
            choices->width = static_cast<int>(value);
        else if (key == "height" && sizeOk)
            choices->height = static_cast<int>(value);
        else if (key == "fullscreen" && flagOk)
            choices->fullscreen = value == 1;
        else if (key == "sound" && flagOk)
            choices->sound = value == 1;
        else if (key == "framesync" && flagOk)
            choices->frameSync = value == 1;
        else
            ReportWarning(path + ":" + std::to_string(number) + ": not a setting (\"" + line + "\"); skipped");
    }
    return true;
}

bool SaveDialogSettings(const std::string& path, const StartupChoices& choices, std::string* error)
{
    if (path.empty())
    {
        *error = "there is no settings folder";
        return false;
    }
    std::error_code code;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), code);
    std::ostringstream text;
    text << "# written by the start-up dialog\n"
         << "width=" << choices.width << "\n"
         << "height=" << choices.height << "\n"
         << "fullscreen=" << (choices.fullscreen ? 1 : 0) << "\n"
         << "sound=" << (choices.sound ? 1 : 0) << "\n"
         << "framesync=" << (choices.frameSync ? 1 : 0) << "\n";
    std::ofstream file(path, std::ios::trunc);
    file << text.str();
    file.close();
    if (!file)
    {
        *error = "cannot write the settings file \"" + path + "\"";
        return false;
    }
    return true;
}

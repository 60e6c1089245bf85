#include "show/DataDirectory.h"

#include <system_error>

namespace fs = std::filesystem;

std::vector<fs::path> DataDirectoryPlaces(const fs::path& executable)
{
    if (executable.empty())
        return {};
    const fs::path folder = executable.parent_path();
    return {(folder / "data").lexically_normal(), (folder / kInstalledDataDir).lexically_normal()};
}

DataDirectorySearch FindDataDirectory(const std::string& given, const fs::path& executable, const std::string& marker)
{
    DataDirectorySearch search;
    if (!given.empty())
    {
        search.tried.push_back(given);
        search.directory = given;
        return search;
    }
    for (const fs::path& place : DataDirectoryPlaces(executable))
    {
        search.tried.push_back(place);
        std::error_code error;
        if (fs::is_regular_file(place / marker, error))
        {
            search.directory = place;
            break;
        }
    }
    return search;
}

std::string DataDirectoryNotFound(const DataDirectorySearch& search, const std::string& marker)
{
    std::string message = "no data directory found (a folder holding " + marker + ")";
    if (search.tried.empty())
        message += ": the program's own location is unknown, so there was nowhere to look.\n";
    else
    {
        message += ". Tried:\n";
        for (const fs::path& place : search.tried)
            message += "  " + place.string() + "\n";
    }
    message += "Give one with --data DIR.\n";
    return message;
}

std::string DataDirectoryMarker(const std::string& scriptFile)
{
    if (scriptFile.empty() || fs::path(scriptFile).is_absolute())
        return "demoflow.txt";
    return scriptFile;
}

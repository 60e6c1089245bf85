// Where the demo's data is: the folder it moves into before the show, so every data file and
// the timeline script are read relative to it. Without --data the places are, in order,
//   1. data/ beside the executable (the build folder and an unpacked zip look like this)
//   2. ../share/zarnovelt/data from the executable's folder (an installed tree, any prefix)
// A place counts only when it holds the marker file (the timeline script), so an unrelated
// "data" folder next to the program is passed over.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The installed tree's data folder, relative to the folder of the installed executable.
constexpr const char* kInstalledDataDir = "../share/zarnovelt/data";

struct DataDirectorySearch
{
    std::filesystem::path directory;           // empty when no place holds the data
    std::vector<std::filesystem::path> tried;  // every place looked at, in order
};

// The places to look without --data, in order; none when the executable's path is unknown
// (empty).
std::vector<std::filesystem::path> DataDirectoryPlaces(const std::filesystem::path& executable);

// With `given` (the --data option) non-empty, that directory and nothing else: whether it can
// be entered is for the caller to find out. Otherwise the first place of DataDirectoryPlaces
// that holds `marker` (a file name relative to the data directory).
DataDirectorySearch FindDataDirectory(const std::string& given, const std::filesystem::path& executable,
                                      const std::string& marker);

// The one-paragraph message for a search that found nothing: every place tried.
std::string DataDirectoryNotFound(const DataDirectorySearch& search, const std::string& marker);

// The file that marks a data directory: the timeline script when --script names one relative
// to it, else the default script.
std::string DataDirectoryMarker(const std::string& scriptFile);

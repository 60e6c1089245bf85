// Where the demo finds its data without --data: beside the executable, then the installed
// tree; the search itself over scratch folders, and the program run from another folder as a
// copy in an installed layout, through a symbolic link, and with no data anywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "show/DataDirectory.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

TEST(DataDirectory, PlacesFollowTheExecutable)
{
    struct Case
    {
        const char* executable;
        std::vector<fs::path> places;
    };
    const Case cases[] = {
        {"/usr/bin/zarnovelt", {"/usr/bin/data", "/usr/share/zarnovelt/data"}},
        {"/opt/demo/bin/zarnovelt", {"/opt/demo/bin/data", "/opt/demo/share/zarnovelt/data"}},
        {"/home/u/zarnovelt-1.0.0-Linux/bin/zarnovelt",
         {"/home/u/zarnovelt-1.0.0-Linux/bin/data", "/home/u/zarnovelt-1.0.0-Linux/share/zarnovelt/data"}},
        {"/work/build/zarnovelt", {"/work/build/data", "/work/share/zarnovelt/data"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataDirectoryPlaces(c.executable), c.places) << c.executable;
}

TEST(DataDirectory, FirstPlaceHoldingTheScriptWins)
{
    struct Case
    {
        const char* name;
        std::vector<const char*> files;  // relative to the scratch root
        const char* given;               // --data, relative to the root; "" when not given
        const char* expected;            // relative to the root; "" when nothing is found
    };
    const Case cases[] = {
        {"beside the executable", {"bin/data/demoflow.txt"}, "", "bin/data"},
        {"installed tree", {"share/zarnovelt/data/demoflow.txt"}, "", "share/zarnovelt/data"},
        {"beside wins over installed", {"bin/data/demoflow.txt", "share/zarnovelt/data/demoflow.txt"}, "", "bin/data"},
        {"a data folder without the script is passed over",
         {"bin/data/other.txt", "share/zarnovelt/data/demoflow.txt"}, "", "share/zarnovelt/data"},
        {"a folder named like the script is not the script", {"bin/data/demoflow.txt/x"}, "", ""},
        {"nothing anywhere", {}, "", ""},
        {"--data is taken as given", {"bin/data/demoflow.txt"}, "elsewhere", "elsewhere"},
    };
    for (const Case& c : cases)
    {
        ScopedTempDir dir;
        const fs::path root = dir.Path();
        for (const char* file : c.files)
            ASSERT_TRUE(WriteTestFile((root / file).string(), {'#', '\n'})) << c.name;
        const std::string given = *c.given ? (root / c.given).string() : "";
        const DataDirectorySearch search = FindDataDirectory(given, root / "bin" / "zarnovelt", "demoflow.txt");
        EXPECT_EQ(search.directory, *c.expected ? root / c.expected : fs::path()) << c.name;
        if (*c.given)
        {
            EXPECT_EQ(search.tried, std::vector<fs::path>{root / c.given}) << c.name;
        }
        else if (!*c.expected)
        {
            EXPECT_EQ(search.tried, DataDirectoryPlaces(root / "bin" / "zarnovelt")) << c.name;
        }
    }
}

TEST(DataDirectory, MarkerIsTheRelativeScript)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "demoflow.txt"},
        {"show.txt", "show.txt"},
        {"scripts/short.txt", "scripts/short.txt"},
        {"/tmp/elsewhere/show.txt", "demoflow.txt"},
    };
    for (const auto& [script, marker] : cases)
        EXPECT_EQ(DataDirectoryMarker(script), marker) << script;
}

TEST(DataDirectory, NotFoundNamesEveryPlaceTried)
{
    const DataDirectorySearch search = FindDataDirectory("", "/nonexistent/zarnovelt/bin/zarnovelt", "demoflow.txt");
    const std::string message = DataDirectoryNotFound(search, "demoflow.txt");
    EXPECT_NE(message.find("demoflow.txt"), std::string::npos) << message;
    EXPECT_NE(message.find("/nonexistent/zarnovelt/bin/data\n"), std::string::npos) << message;
    EXPECT_NE(message.find("/nonexistent/zarnovelt/share/zarnovelt/data\n"), std::string::npos) << message;
    EXPECT_NE(message.find("--data DIR"), std::string::npos) << message;

    const std::string unknown = DataDirectoryNotFound(FindDataDirectory("", "", "demoflow.txt"), "demoflow.txt");
    EXPECT_NE(unknown.find("location is unknown"), std::string::npos) << unknown;
}

// The built program, run from a scratch folder that is its working directory, without --data.
TEST(DataDirectory, ProgramFindsItsDataFromAnyFolder)
{
    ScopedTempDir dir;
    const fs::path root = dir.Path();
    const std::string oneFrame = " --headless --no-music --size 32x32 --frames 1";
    std::string output;

    // A copy in an installed layout: bin/zarnovelt and share/zarnovelt/data (a link to the
    // build's data).
    fs::create_directories(root / "prefix/bin");
    fs::create_directories(root / "prefix/share/zarnovelt");
    fs::copy_file(DemoBinary(), root / "prefix/bin/zarnovelt");
    fs::create_directory_symlink(DataDir(), root / "prefix/share/zarnovelt/data");
    EXPECT_EQ(RunCommand("'" + (root / "prefix/bin/zarnovelt").string() + "'" + oneFrame, &output), 0) << output;

    // A symbolic link to the build's program finds the build's data beside the real file.
    output.clear();
    fs::create_symlink(DemoBinary(), root / "zarnovelt-link");
    EXPECT_EQ(RunCommand("'" + (root / "zarnovelt-link").string() + "'" + oneFrame, &output), 0) << output;

    // With the data gone the run fails and says where it looked.
    output.clear();
    fs::remove(root / "prefix/share/zarnovelt/data");
    EXPECT_EQ(RunCommand("'" + (root / "prefix/bin/zarnovelt").string() + "'" + oneFrame, &output), 1) << output;
    EXPECT_NE(output.find((root / "prefix/bin/data").string()), std::string::npos) << output;
    EXPECT_NE(output.find((root / "prefix/share/zarnovelt/data").string()), std::string::npos) << output;
}

} // namespace

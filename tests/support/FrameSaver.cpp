#include "FrameSaver.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "GlTestContext.h"

namespace fs = std::filesystem;

namespace {

// Taken before main, so before any test has moved into a scratch directory.
const fs::path g_startDirectory = fs::current_path();

// The folder, made if need be; empty when frames are not wanted or it cannot be made.
std::string OpenFramesDir()
{
    const std::string dir = TestFramesDir();
    if (dir.empty())
        return dir;
    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
    {
        std::fprintf(stderr, "ZARNOVELT_TEST_FRAMES: cannot make %s: %s\n", dir.c_str(), error.message().c_str());
        return std::string();
    }
    return dir;
}

// The name as a file name: letters, digits, '-' and '_' kept, anything else made '_'.
std::string FileName(const std::string& name)
{
    std::string file = name;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            c = '_';
    return file + ".png";
}

} // namespace

std::string TestFramesDir()
{
    const char* dir = std::getenv("ZARNOVELT_TEST_FRAMES");
    if (dir == nullptr || *dir == '\0')
        return std::string();
    return (g_startDirectory / dir).lexically_normal().string();
}

bool SaveFrame(const std::string& name)
{
    if (TestFramesDir().empty())
        return true;
    const std::string dir = OpenFramesDir();
    if (!dir.empty() && GlTestContext::SavePng(dir + "/" + FileName(name)))
        return true;
    std::fprintf(stderr, "ZARNOVELT_TEST_FRAMES: cannot save %s\n", FileName(name).c_str());
    return false;
}

bool KeepFrameFile(const std::string& pngPath, const std::string& name)
{
    if (TestFramesDir().empty())
        return true;
    const std::string dir = OpenFramesDir();
    std::error_code error;
    return !dir.empty() && fs::copy_file(pngPath, dir + "/" + FileName(name), fs::copy_options::overwrite_existing,
                                           error);
}

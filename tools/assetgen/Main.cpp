// assetgen: writes every data file the demo reads into one directory, from code alone.
//
//   assetgen DATA_DIR [--review REVIEW_DIR]
//
// The work is split over two threads (the soundtrack, and everything else), each filling its
// own list of files; the lists are merged and written at the end, so the files never depend on
// which thread finished first. With --review the contact sheet of every picture is written to
// REVIEW_DIR/contact_sheet.png.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "Art.h"
#include "ContactSheet.h"
#include "Models.h"
#include "Music.h"
#include "Output.h"
#include "Script.h"
#include "Terrain.h"

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: assetgen DATA_DIR [--review REVIEW_DIR]\n");
    return 2;
}

// Runs `work` and keeps the first error message, so a failing thread reports instead of
// terminating the process.
template <typename Work>
void Guarded(Work work, std::string* error)
{
    try
    {
        work();
    }
    catch (const std::exception& e)
    {
        *error = e.what();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dataDir;
    std::string reviewDir;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--review" && i + 1 < argc)
            reviewDir = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && dataDir.empty())
            dataDir = arg;
        else
            return Usage();
    }
    if (dataDir.empty())
        return Usage();

    const auto started = std::chrono::steady_clock::now();
    // The soundtrack takes about as long as everything else together, so it gets a thread of
    // its own.
    Generated music;
    std::string musicError;
    std::thread musicThread([&] {
        Guarded([&] { music.AddFile(kSoundtrackFile, MakeSoundtrack()); }, &musicError);
    });
    Generated rest;
    std::string restError;
    Guarded([&] {
        MakeKaosTextures(&rest);
        MakeOverlayTextures(&rest);
        MakeBackgroundTextures(&rest);
        MakeSceneTextures(&rest);
        MakeModels(&rest);
        rest.AddFile("dat/terrain_1.raw", MakeHeightMap());
        const std::string script = MakeDemoFlow();
        rest.AddFile("demoflow.txt", Bytes(script.begin(), script.end()));
    }, &restError);
    musicThread.join();
    for (const std::string* error : {&musicError, &restError})
        if (!error->empty())
        {
            std::fprintf(stderr, "assetgen: %s\n", error->c_str());
            return 1;
        }

    Generated all;
    all.Append(std::move(rest));
    all.Append(std::move(music));
    std::sort(all.files.begin(), all.files.end(), [](const GeneratedFile& a, const GeneratedFile& b) { return a.path < b.path; });

    size_t totalBytes = 0;
    for (const GeneratedFile& file : all.files)
    {
        std::string error;
        if (!WriteFileBytes(dataDir + "/" + file.path, file.bytes, &error))
        {
            std::fprintf(stderr, "assetgen: %s\n", error.c_str());
            return 1;
        }
        totalBytes += file.bytes.size();
    }
    if (!reviewDir.empty())
    {
        std::string error;
        if (!WriteFileBytes(reviewDir + "/contact_sheet.png", MakeContactSheet(all.pictures), &error))
        {
            std::fprintf(stderr, "assetgen: %s\n", error.c_str());
            return 1;
        }
        // Each picture also on its own, at full size, for a closer look.
        for (const ReviewPicture& picture : all.pictures)
        {
            std::string name = picture.label;
            std::replace(name.begin(), name.end(), '/', '_');
            if (!WriteFileBytes(reviewDir + "/pictures/" + name + ".png", EncodePng(picture.image), &error))
            {
                std::fprintf(stderr, "assetgen: %s\n", error.c_str());
                return 1;
            }
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("assetgen: %zu files, %.2f MB, %.1f s\n", all.files.size(), totalBytes / 1e6, seconds);
    return 0;
}

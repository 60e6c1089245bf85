// assetgen: writes every data file the demo reads into one directory, from code alone.
//
//   assetgen DATA_DIR [--review REVIEW_DIR] [--icons ICON_DIR] [--banner BANNER_DIR]
//
// The work is split into independent pieces run on two threads, each piece filling its own
// list of files; the lists are merged in a fixed order and written at the end, so the files
// never depend on which thread finished first. With --review the contact sheet of every picture is written to
// REVIEW_DIR/contact_sheet.png.
// With --icons the demo's icon goes to ICON_DIR (PNG at every size and a Windows .ico), with
// --banner the Windows start-up dialog's banner to BANNER_DIR (Banner.h).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "Art.h"
#include "ContactSheet.h"
#include "Icon.h"
#include "Models.h"
#include "Music.h"
#include "Output.h"
#include "Banner.h"
#include "Script.h"
#include "Terrain.h"

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: assetgen DATA_DIR [--review REVIEW_DIR] [--icons ICON_DIR] [--banner BANNER_DIR]\n");
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
    std::string iconDir;
    std::string bannerDir;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--review" && i + 1 < argc)
            reviewDir = argv[++i];
        else if (arg == "--icons" && i + 1 < argc)
            iconDir = argv[++i];
        else if (arg == "--banner" && i + 1 < argc)
            bannerDir = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && dataDir.empty())
            dataDir = arg;
        else
            return Usage();
    }
    if (dataDir.empty())
        return Usage();

    const auto started = std::chrono::steady_clock::now();
    // Independent pieces of work, shared by two threads that each take the next piece not yet
    // started. Each piece fills its own list, and the lists are merged in this fixed order, so
    // the files never depend on which thread did what. The soundtrack is the longest piece and
    // goes first.
    struct Task
    {
        const char* name;
        std::function<void(Generated*)> run;
        size_t waitFor = 0;  // this many tasks from the start of the list must be done first
        Generated output;
        std::string error;
        double seconds = 0.0;
    };
    std::vector<Task> tasks;
    auto addTask = [&tasks](const char* name, std::function<void(Generated*)> run, size_t waitFor = 0) {
        tasks.emplace_back();
        tasks.back().name = name;
        tasks.back().run = std::move(run);
        tasks.back().waitFor = waitFor;
    };
    SoundtrackParts soundtrack;
    addTask("soundtrack rhythm", [&](Generated*) { RenderRhythm(&soundtrack); });
    addTask("soundtrack harmony", [&](Generated*) { RenderHarmony(&soundtrack); });
    addTask("kaos pictures", MakeKaosTextures);
    addTask("soundtrack mix+encode", [&](Generated* out) {
                         out->AddFile(kSoundtrackFile, EncodeSoundtrack(MixSoundtrack(soundtrack)));
                     }, 2);
    addTask("overlays", MakeOverlayTextures);
    addTask("backgrounds", MakeBackgroundTextures);
    addTask("scene textures", MakeSceneTextures);
    addTask("models", MakeModels);
    addTask("height map and script", [](Generated* out) {
                         out->AddFile("dat/terrain_1.raw", MakeHeightMap());
                         const std::string script = MakeDemoFlow();
                         out->AddFile("demoflow.txt", Bytes(script.begin(), script.end()));
                     });
    std::atomic<size_t> next{0};
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    std::vector<bool> done(tasks.size(), false);
    auto worker = [&] {
        for (size_t i = next++; i < tasks.size(); i = next++)
        {
            {
                std::unique_lock<std::mutex> lock(doneMutex);
                doneChanged.wait(lock, [&] {
                    return std::all_of(done.begin(), done.begin() + tasks[i].waitFor, [](bool d) { return d; });
                });
            }
            const auto taskStarted = std::chrono::steady_clock::now();
            Guarded([&] { tasks[i].run(&tasks[i].output); }, &tasks[i].error);
            tasks[i].seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - taskStarted).count();
            {
                std::lock_guard<std::mutex> lock(doneMutex);
                done[i] = true;
            }
            doneChanged.notify_all();
        }
    };
    std::thread helper(worker);
    worker();
    helper.join();
    for (const Task& task : tasks)
        if (!task.error.empty())
        {
            std::fprintf(stderr, "assetgen: %s: %s\n", task.name, task.error.c_str());
            return 1;
        }

    Generated all;
    for (Task& task : tasks)
        all.Append(std::move(task.output));
    Bytes sheet;
    std::string sheetError;
    if (!reviewDir.empty())
        Guarded([&] { sheet = MakeContactSheet(all.pictures); }, &sheetError);
    if (!sheetError.empty())
    {
        std::fprintf(stderr, "assetgen: %s\n", sheetError.c_str());
        return 1;
    }
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
        if (!WriteFileBytes(reviewDir + "/contact_sheet.png", sheet, &error))
        {
            std::fprintf(stderr, "assetgen: %s\n", error.c_str());
            return 1;
        }
        // Each picture also on its own, at full size, for a closer look.
        for (const ReviewPicture& picture : all.pictures)
        {
            std::string name = picture.label;
            std::replace(name.begin(), name.end(), '/', '_');
            if (!WriteFileBytes(reviewDir + "/pictures/" + name + ".png", EncodePng(picture.image, 1), &error))
            {
                std::fprintf(stderr, "assetgen: %s\n", error.c_str());
                return 1;
            }
        }
    }
    std::string iconError;
    if (!iconDir.empty())
        Guarded([&] { WriteIcons(iconDir, &iconError); }, &iconError);
    if (!bannerDir.empty() && iconError.empty())
        Guarded([&] { WriteDialogBanner(bannerDir, &iconError); }, &iconError);
    if (!iconError.empty())
    {
        std::fprintf(stderr, "assetgen: %s\n", iconError.c_str());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("assetgen: %zu files, %.2f MB, %.1f s\n", all.files.size(), totalBytes / 1e6, seconds);
    for (const Task& task : tasks)
        std::printf("  %-22s %5.1f s\n", task.name, task.seconds);
    return 0;
}

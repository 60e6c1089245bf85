// zarnovelt_bench: what a frame costs, and how fast the show plays, starts and captures.
//
// Sections (each prints Markdown as it goes; --out keeps the whole report):
//   1. options and the demo runs every section uses
//   2. machine     processor, cores, GL renderer, load when the run began
//   3. effects     each effect's RenderFrame alone (with glFinish), heaviest setting
//   4. show        the whole show frame by frame: per second p50 / p99 / max, heaviest seconds
//                  (with --compare, both builds at each size, each with its own data)
//   5. startup     process start to the first frame, split into its phases
//   6. capture     PNG and MP4 throughput, the plain loop beside the MP4 capture, memory
//   7. share       the library's own share of a frame, plain and capturing
//   8. memory      peak resident memory of a whole-show capture
//   9. threads     llvmpipe's thread count (LP_NUM_THREADS) against frame time and capture
//      video       the capture's 4:2:0 conversion and each --video-quality (BenchVideo.cpp)
//      encoder     llvmpipe's and the video encoder's threads together in captures
//  10. png         PNG compression settings on frames of the show: time and size;
//      readback    a plain glReadPixels against the pixel-buffer ring
//  11. compare     an earlier build beside this one, the same runs interleaved
//  12. gles        the ES build (the fixed-function layer over OpenGL ES 3) against this one
//                  over the whole show at each size, the two taking turns every ten seconds of
//                  the show: the ratio of their frame times and where the time goes
//  13. main
//
// The discipline: warm-up before measuring, repetitions, medians and 99th percentiles, and
// the runs being compared interleaved so that other work on the machine hits both alike.
// Nothing here has a speed target; the smoke run (--quick) checks only that every
// measurement ran and produced what it should.
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchGl.h"
#include "BenchSupport.h"
#include "BenchVideo.h"
#include "EffectTable.h"
#include "codecs/ImageCodec.h"
#include "platform/RasterizerThreads.h"

#ifndef ZARNOVELT_BENCH_BINARY
#define ZARNOVELT_BENCH_BINARY "zarnovelt"
#endif
#ifndef ZARNOVELT_BENCH_DATA
#define ZARNOVELT_BENCH_DATA "data"
#endif

namespace {

// ---------------------------------------------------------------------------------------------
// 1. Options and demo runs
// ---------------------------------------------------------------------------------------------

struct Size
{
    int width;
    int height;
    std::string Arg() const { return std::to_string(width) + "x" + std::to_string(height); }
    std::string Label() const { return std::to_string(width) + "×" + std::to_string(height); }
};

struct BenchOptions
{
    bool quick = false;
    std::string out;
    std::string binary = ZARNOVELT_BENCH_BINARY;
    std::string data = ZARNOVELT_BENCH_DATA;
    std::string compare;
    std::string compareData;          // the data directory of the compared build
    std::string gles;                 // the ES build of the demo (section gles)
    std::set<std::string> sections;   // empty: all
    std::vector<Size> sizes = {{640, 480}, {1920, 1080}};
    std::string self;
    // How much of everything; --quick shrinks it to seconds.
    int showRepetitions = 2;          // at the first size; one at the others
    int startupRuns = 15;
    int captureRepetitions = 2;
    int64_t captureStartMs = 13521;   // the KAOS part: background, six layers, border
    int64_t captureFrames = 600;      // at the first size
    int64_t captureFramesLarge = 360; // at the larger sizes
    int64_t shareFrames = 240;
    int threadRepetitions = 2;
    int compareRepetitions = 3;
    int glesRepetitions = 2;          // passes of each build over the whole show at each size
    int glesFps = 10;                 // the show's frames every second of demo time in those runs
    int glesStretchSeconds = 10;      // each run draws this much of the show, the builds in turn
    int64_t threadShowFrames = 600;
    int64_t threadCaptureFrames = 240;
    int64_t tunnelStartMs = 110000;   // the tunnel: the hardest stretch for the video encoder
    int64_t videoFrames = 60;         // of each stretch in the video tables
    int64_t encoderThreadFrames = 180;
};

BenchOptions g_options;
std::string g_userThreads;   // LP_NUM_THREADS as this program found it
std::vector<std::string> g_failures;

bool Wanted(const std::string& section)
{
    return g_options.sections.empty() || g_options.sections.count(section) != 0;
}

void Failure(const std::string& what, const ChildResult& child)
{
    g_failures.push_back(what);
    std::fprintf(stderr, "bench: FAILED: %s (exit %d)\n%s\n", what.c_str(), child.exitStatus, child.log.c_str());
}

// The demo, headless, with a profile written to profilePath when it is not empty.
ChildResult RunDemo(const std::string& binary, std::vector<std::string> arguments, const std::string& profilePath,
                    EnvironmentChanges environment = {})
{
    // A build reads its own data: a change of content is measured as much as a change of code.
    const std::string& data = !g_options.compare.empty() && binary == g_options.compare ? g_options.compareData : g_options.data;
    std::vector<std::string> argv = {binary, "--data", data, "--headless", "--no-dialog"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    environment.emplace_back("ZARNOVELT_PROFILE", profilePath.empty() ? kUnset : profilePath);
    const ChildResult child = RunChild(argv, environment, !profilePath.empty());
    if (child.exitStatus != 0)
    {
        std::string what = "zarnovelt";
        for (size_t i = 1; i < argv.size(); ++i)
            what += " " + argv[i];
        Failure(what, child);
    }
    return child;
}

// A profiled headless run; false (and a failure) when it did not run or wrote no profile.
bool ProfiledRun(const std::string& binary, const std::vector<std::string>& arguments, Profile* profile,
                 EnvironmentChanges environment = {}, ChildResult* result = nullptr)
{
    const std::string path = MakeScratchDirectory("profile") + "/profile.txt";
    const ChildResult child = RunDemo(binary, arguments, path, environment);
    if (result != nullptr)
        *result = child;
    const bool read = child.exitStatus == 0 && ReadProfile(path, profile);
    RemoveTree(std::filesystem::path(path).parent_path().string());
    if (child.exitStatus == 0 && !read)
        Failure("no profile from zarnovelt " + (arguments.empty() ? std::string() : arguments[0]), child);
    return read;
}

std::string Mib(long kb) { return Fixed(static_cast<double>(kb) / 1024.0, 1); }

int64_t FramesAt(const Size& size)
{
    return &size == &g_options.sizes.front() ? g_options.captureFrames : g_options.captureFramesLarge;
}

// ---------------------------------------------------------------------------------------------
// 2. Machine
// ---------------------------------------------------------------------------------------------

std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line))
        if (line.rfind("model name", 0) == 0)
        {
            const size_t colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    return "unknown";
}

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

void Machine(Report& report)
{
    std::string error;
    OpenBenchContext(64, 64, &error);
    utsname name{};
    uname(&name);
    Table table({"what", "value"});
    table.Row({"`nproc`", std::to_string(sysconf(_SC_NPROCESSORS_ONLN))});
    table.Row({"/proc/cpuinfo model name", CpuModel()});
    table.Row({"GL_RENDERER", GlRenderer().empty() ? "no context: " + error : GlRenderer()});
    table.Row({"GL_VERSION", GlVersion()});
    table.Row({"kernel", std::string(name.sysname) + " " + name.release});
    table.Row({"OS", FirstLine("/etc/debian_version").empty() ? "?" : "Debian " + FirstLine("/etc/debian_version")});
    table.Row({"LP_NUM_THREADS", g_userThreads.empty() ? "not set: the library's choice, " + RasterizerThreadsFor(nullptr, std::thread::hardware_concurrency())
                                                        : g_userThreads + " (set by the user)"});
    table.Row({"load average at the start", FirstLine("/proc/loadavg")});
    report.Heading("Machine");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 3. Effects
// ---------------------------------------------------------------------------------------------

void Effects(Report& report)
{
    EffectBenchSettings settings;
    std::vector<Size> sizes = g_options.sizes;
    if (g_options.quick)
    {
        settings.warmupFrames = 2;
        settings.screeningFrames = 2;
        settings.repetitions = 1;
        settings.framesPerRepetition = 5;
        settings.only = {"CLEAR", "KAOS", "LAND"};
    }
    std::vector<std::vector<EffectTiming>> bySize;
    for (const Size& size : sizes)
        bySize.push_back(BenchEffects(size.width, size.height, settings));
    std::vector<std::string> header = {"effect", "heaviest setting (of)"};
    for (const Size& size : sizes)
    {
        header.push_back(size.Label() + " p50 ms");
        header.push_back("p99 ms");
        header.push_back("spread ms");
    }
    Table table(header);
    const size_t expected = settings.only.empty() ? static_cast<size_t>(kEffectCount) : settings.only.size();
    for (size_t i = 0; i < bySize.front().size(); ++i)
    {
        const EffectTiming& first = bySize.front()[i];
        std::vector<std::string> row = {first.effect, first.setting + " (" + std::to_string(first.candidates) + ")"};
        for (const std::vector<EffectTiming>& timings : bySize)
        {
            if (i >= timings.size())
                continue;
            row.push_back(Fixed(timings[i].p50Ms, 2));
            row.push_back(Fixed(timings[i].p99Ms, 2));
            row.push_back(Fixed(timings[i].repetitionSpreadMs, 2));
        }
        table.Row(row);
    }
    for (const std::vector<EffectTiming>& timings : bySize)
        if (timings.size() != expected)
            Failure("effects measured: " + std::to_string(timings.size()) + " of " + std::to_string(expected), {});
    report.Heading("Each effect alone");
    report.Text("RenderFrame followed by glFinish on a cleared frame, effect time advancing 1/60 s a frame; " +
                std::to_string(settings.warmupFrames) + " frames of warm-up, then " +
                std::to_string(settings.repetitions) + " repetitions of " +
                std::to_string(settings.framesPerRepetition) +
                " frames. The heaviest setting is the candidate with the highest median over a short run (the "
                "number of candidates in brackets; the setting named is the one at the first size). Spread: the "
                "largest minus the smallest median of the repetitions, a measure of the noise.");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 4. Show
// ---------------------------------------------------------------------------------------------

struct ShowResult
{
    Size size;
    std::string build;   // "before" or "after" when two builds are compared, else empty
    std::vector<Profile> runs;
    std::vector<Profiler::SecondStats> seconds;   // each statistic the median over the runs
};

// Per second, the median over the runs of each statistic.
std::vector<Profiler::SecondStats> MergeSeconds(const std::vector<Profile>& runs)
{
    std::map<int64_t, std::vector<Profiler::SecondStats>> bySecond;
    for (const Profile& run : runs)
        for (const Profiler::SecondStats& second : Profiler::PerSecond(run.frames))
            bySecond[second.second].push_back(second);
    std::vector<Profiler::SecondStats> merged;
    for (const auto& [second, list] : bySecond)
    {
        std::vector<double> p50;
        std::vector<double> p99;
        std::vector<double> max;
        Profiler::SecondStats stats;
        stats.second = second;
        for (const Profiler::SecondStats& s : list)
        {
            p50.push_back(s.p50Ms);
            p99.push_back(s.p99Ms);
            max.push_back(s.maxMs);
            stats.frames = std::max(stats.frames, s.frames);
        }
        stats.p50Ms = Median(p50);
        stats.p99Ms = Median(p99);
        stats.maxMs = Median(max);
        merged.push_back(stats);
    }
    return merged;
}

std::string ShowLabel(const ShowResult& result)
{
    return result.size.Label() + (result.build.empty() ? "" : " " + result.build);
}

std::vector<ShowResult> Show(Report& report)
{
    // With --compare, both builds at each size, their runs interleaved (the order alternating
    // from run to run) so that other load on the machine hits them alike.
    std::vector<std::pair<std::string, std::string>> builds = {{"", g_options.binary}};
    if (!g_options.compare.empty())
        builds = {{"before", g_options.compare}, {"after", g_options.binary}};
    std::vector<ShowResult> results;
    for (const Size& size : g_options.sizes)
    {
        std::vector<ShowResult> atSize(builds.size());
        const int runs = &size == &g_options.sizes.front() ? g_options.showRepetitions : 1;
        for (int r = 0; r < runs; ++r)
            for (size_t k = 0; k < builds.size(); ++k)
            {
                const size_t b = r % 2 == 0 ? k : builds.size() - 1 - k;
                ShowResult& result = atSize[b];
                result.size = size;
                result.build = builds[b].first;
                Progress("the whole show at " + ShowLabel(result) + ", run " + std::to_string(r + 1));
                std::vector<std::string> arguments = {"--size", size.Arg()};
                if (g_options.quick)
                    arguments.insert(arguments.end(), {"--frames", "30"});
                Profile profile;
                if (ProfiledRun(builds[b].second, arguments, &profile))
                {
                    if (g_options.quick && profile.frames.size() != 30)
                        Failure("the show profile has " + std::to_string(profile.frames.size()) + " frames, not 30", {});
                    result.runs.push_back(std::move(profile));
                }
            }
        for (ShowResult& result : atSize)
        {
            result.seconds = MergeSeconds(result.runs);
            results.push_back(std::move(result));
        }
    }

    report.Heading("The whole show, frame by frame");
    report.Text("Headless, exact 60 fps clock, each frame ended with glFinish (ZARNOVELT_PROFILE), so a frame's "
                "time includes its rasterisation. Per-second statistics are the medians over the runs (" +
                std::to_string(g_options.showRepetitions) + " at " + g_options.sizes.front().Label() +
                ", one at the other sizes). Heaviest / p50: the heaviest second's p99 over the median frame." +
                (g_options.compare.empty() ? std::string()
                                           : " Before: " + g_options.compare + " with the data in " + g_options.compareData +
                                                 "; after: " + g_options.binary + " with " + g_options.data + "."));
    Table summary({"size", "frames", "p50 ms", "p99 ms", "max ms", "seconds with p99 > 16.7 ms", "heaviest seconds (p99 ms)",
                   "heaviest / p50", "library %", "effects %", "driver %"});
    for (const ShowResult& result : results)
    {
        if (result.runs.empty())
            continue;
        std::vector<Profiler::FrameRecord> all;
        for (const Profile& run : result.runs)
            all.insert(all.end(), run.frames.begin(), run.frames.end());
        const std::vector<double> times = FrameTotalsMs(all);
        int over = 0;
        for (const Profiler::SecondStats& second : result.seconds)
            over += second.p99Ms > 16.7 ? 1 : 0;
        std::string heaviest;
        const std::vector<Profiler::SecondStats> top = Profiler::HeaviestSeconds(result.seconds, 3);
        for (const Profiler::SecondStats& second : top)
            heaviest += (heaviest.empty() ? "" : ", ") + MinutesSeconds(second.second) + " (" + Fixed(second.p99Ms, 1) + ")";
        const double median = Median(times);
        summary.Row({ShowLabel(result), std::to_string(times.size() / result.runs.size()), Fixed(median, 2),
                     Fixed(P99(times), 2), Fixed(Max(times), 2),
                     std::to_string(over) + " of " + std::to_string(result.seconds.size()), heaviest,
                     top.empty() || median <= 0.0 ? "-" : Fixed(top.front().p99Ms / median, 2),
                     Fixed(BucketShare(all, Profiler::kLibrary), 2), Fixed(BucketShare(all, Profiler::kEffects), 1),
                     Fixed(BucketShare(all, Profiler::kDriver), 1)});
    }
    report.Add(summary);
    return results;
}

void ShowSeconds(Report& report, const std::vector<ShowResult>& results)
{
    if (results.empty())
        return;
    std::vector<std::string> header = {"second"};
    for (const ShowResult& result : results)
    {
        header.push_back(ShowLabel(result) + " p50");
        header.push_back("p99");
        header.push_back("max");
    }
    Table table(header);
    std::map<int64_t, std::vector<std::string>> rows;
    for (size_t i = 0; i < results.size(); ++i)
        for (const Profiler::SecondStats& second : results[i].seconds)
        {
            std::vector<std::string>& row = rows[second.second];
            row.resize(1 + 3 * results.size(), "");
            row[0] = MinutesSeconds(second.second);
            row[1 + 3 * i] = Fixed(second.p50Ms, 1);
            row[2 + 3 * i] = Fixed(second.p99Ms, 1);
            row[3 + 3 * i] = Fixed(second.maxMs, 1);
        }
    for (auto& [second, row] : rows)
        table.Row(row);
    report.Heading("Every second of the show (frame time, ms)");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 5. Start-up
// ---------------------------------------------------------------------------------------------

struct StartupResult
{
    std::vector<Profile> runs;
    std::vector<double> wallMs;
};

StartupResult StartupRuns(const std::string& binary, int runs)
{
    StartupResult result;
    for (int r = 0; r < runs; ++r)
    {
        Profile profile;
        ChildResult child;
        if (ProfiledRun(binary, {"--size", g_options.sizes.front().Arg(), "--frames", "1"}, &profile, {}, &child))
        {
            result.runs.push_back(std::move(profile));
            result.wallMs.push_back(child.wallMs);
        }
    }
    return result;
}

double MedianMark(const StartupResult& result, const std::string& what)
{
    std::vector<double> values;
    for (const Profile& run : result.runs)
        if (run.MarkMs(what) >= 0.0)
            values.push_back(run.MarkMs(what));
    return values.empty() ? -1.0 : Median(values);
}

double MedianCounter(const StartupResult& result, const std::string& what)
{
    std::vector<double> values;
    for (const Profile& run : result.runs)
        values.push_back(run.CounterMs(what));
    return Median(values);
}

void Startup(Report& report)
{
    Progress("start-up, " + std::to_string(g_options.startupRuns) + " runs");
    const StartupResult result = StartupRuns(g_options.binary, g_options.startupRuns);
    if (result.runs.empty())
        return;
    // The phases in the order of the first run.
    Table marks({"phase (ends at)", "median at ms", "median step ms", "max at ms"});
    double previous = 0.0;
    for (const Profiler::StartupMark& mark : result.runs.front().marks)
    {
        std::vector<double> values;
        for (const Profile& run : result.runs)
            if (run.MarkMs(mark.what) >= 0.0)
                values.push_back(run.MarkMs(mark.what));
        const double at = Median(values);
        marks.Row({mark.what, Fixed(at, 1), Fixed(at - previous, 1), Fixed(Max(values), 1)});
        previous = at;
    }
    marks.Row({"process exit (wall time seen by the parent)", Fixed(Median(result.wallMs), 1), "", Fixed(Max(result.wallMs), 1)});
    Table counters({"inside the phases", "count", "median ms"});
    for (const auto& [name, counter] : result.runs.front().counters)
        if (name.rfind("Init ", 0) != 0)
            counters.Row({name, std::to_string(counter.count), Fixed(MedianCounter(result, name), 1)});
    for (const auto& [name, counter] : result.runs.front().counters)
        if (name.rfind("Init ", 0) == 0)
            counters.Row({name, std::to_string(counter.count), Fixed(MedianCounter(result, name), 1)});
    report.Heading("Start-up: process start to the first frame");
    report.Text(std::to_string(result.runs.size()) + " runs of `zarnovelt --headless --frames 1 --size " +
                g_options.sizes.front().Arg() +
                "`, times from the spawn (ZARNOVELT_PROFILE_ORIGIN). Each Init includes the texture reading and "
                "decoding it waits for.");
    report.Add(marks);
    report.Add(counters);
}

// ---------------------------------------------------------------------------------------------
// 6. Capture
// ---------------------------------------------------------------------------------------------

struct CaptureRun
{
    double fps = 0.0;
    double cpuMsPerFrame = 0.0;   // the demo's and ffmpeg's processor time
    long peakOwnKb = 0;
    long peakTreeKb = 0;
    bool ok = false;
};

// One capture: "png", "mp4" (the demo), "plain" (this program's plain loop, MP4, the capture's
// encoder) or "plain as before" (the plain loop with the capture's encoder before
// --video-quality: x264 preset fast, CRF 18).
CaptureRun Capture(const std::string& binary, const std::string& kind, const Size& size, int64_t startMs, int64_t frames,
                   EnvironmentChanges environment = {})
{
    const std::string directory = MakeScratchDirectory("capture");
    const std::string target = kind == "png" ? directory + "/frames" : directory + "/capture.mp4";
    ChildResult child;
    if (kind == "plain" || kind == "plain as before")
    {
        std::vector<std::string> argv = {g_options.self, "--data", g_options.data, "--plain-capture", target, "--size",
                                         size.Arg(), "--start", std::to_string(startMs), "--frames", std::to_string(frames)};
        if (kind == "plain as before")
            argv.insert(argv.end(), {"--plain-encoder", "before"});
        child = RunChild(argv, environment);
        if (child.exitStatus != 0)
            Failure("plain capture " + size.Arg(), child);
    }
    else
    {
        child = RunDemo(binary,
                        {"--size", size.Arg(), "--capture", target, "--start", std::to_string(startMs) + "", "--frames",
                         std::to_string(frames)},
                        "", environment);
    }
    CaptureRun run;
    run.ok = child.exitStatus == 0;
    if (run.ok)
    {
        // What the capture wrote is checked, so a run that wrote nothing is never reported.
        std::error_code code;
        if (kind == "png")
        {
            int64_t files = 0;
            for (const auto& entry : std::filesystem::directory_iterator(target, code))
                files += entry.path().extension() == ".png" ? 1 : 0;
            run.ok = files == frames;
        }
        else
        {
            run.ok = std::filesystem::file_size(target, code) > 0 && !code;
        }
        if (!run.ok)
            Failure(kind + " capture at " + size.Arg() + " wrote less than asked", child);
    }
    run.fps = child.wallMs > 0.0 ? static_cast<double>(frames) * 1000.0 / child.wallMs : 0.0;
    run.cpuMsPerFrame = frames > 0 ? child.cpuMs / static_cast<double>(frames) : 0.0;
    run.peakOwnKb = child.peakOwnKb;
    run.peakTreeKb = child.peakTreeKb;
    RemoveTree(directory);
    return run;
}

struct CaptureSummary
{
    double fps = 0.0;
    double cpuMsPerFrame = 0.0;
    long peakOwnKb = 0;
    long peakTreeKb = 0;
};

CaptureSummary Summarise(const std::vector<CaptureRun>& runs)
{
    CaptureSummary summary;
    std::vector<double> fps;
    std::vector<double> cpu;
    for (const CaptureRun& run : runs)
    {
        if (!run.ok)
            continue;
        fps.push_back(run.fps);
        cpu.push_back(run.cpuMsPerFrame);
        summary.peakOwnKb = std::max(summary.peakOwnKb, run.peakOwnKb);
        summary.peakTreeKb = std::max(summary.peakTreeKb, run.peakTreeKb);
    }
    summary.fps = Median(fps);
    summary.cpuMsPerFrame = Median(cpu);
    return summary;
}

void Captures(Report& report)
{
    const std::vector<std::string> kinds = {"png", "mp4", "plain", "plain as before"};
    Table table({"size", "frames", "PNG fps", "MP4 fps", "plain loop fps", "MP4 / plain", "plain loop as before fps",
                 "MP4 / before", "MP4 CPU ms a frame", "plain CPU ms a frame", "before CPU ms a frame", "PNG peak MiB",
                 "MP4 peak MiB", "with ffmpeg MiB"});
    for (const Size& size : g_options.sizes)
    {
        const int64_t frames = g_options.quick ? 10 : FramesAt(size);
        std::map<std::string, std::vector<CaptureRun>> runs;
        for (int r = 0; r < g_options.captureRepetitions; ++r)
            for (const std::string& kind : kinds)
            {
                Progress(kind + " capture at " + size.Arg() + ", run " + std::to_string(r + 1));
                runs[kind].push_back(Capture(g_options.binary, kind, size, g_options.captureStartMs, frames));
            }
        const CaptureSummary png = Summarise(runs["png"]);
        const CaptureSummary mp4 = Summarise(runs["mp4"]);
        const CaptureSummary plain = Summarise(runs["plain"]);
        const CaptureSummary before = Summarise(runs["plain as before"]);
        auto ratio = [](double a, double b) { return b > 0.0 ? Fixed(a / b, 2) : std::string("-"); };
        table.Row({size.Label(), std::to_string(frames), Fixed(png.fps, 1), Fixed(mp4.fps, 1), Fixed(plain.fps, 1),
                   ratio(mp4.fps, plain.fps), Fixed(before.fps, 1), ratio(mp4.fps, before.fps),
                   Fixed(mp4.cpuMsPerFrame, 1), Fixed(plain.cpuMsPerFrame, 1), Fixed(before.cpuMsPerFrame, 1),
                   Mib(png.peakOwnKb), Mib(mp4.peakOwnKb), Mib(mp4.peakTreeKb)});
    }
    report.Heading("Capture throughput");
    report.Text("Frames from " + MinutesSeconds(g_options.captureStartMs / 1000) +
                " into the show (the KAOS part), frames per second of wall time for the whole process (start-up "
                "and the encoder's finish included), median of " +
                std::to_string(g_options.captureRepetitions) +
                " runs, the four kinds interleaved. The plain loop renders the same frames, reads each back with "
                "glReadPixels, turns it upright and writes it as BGRA to ffmpeg on one thread; ffmpeg's scaler "
                "converts it and the encoder is the capture's default (--video-quality good). \"As before\": the "
                "same loop with the encoder the capture had before that option (x264 preset fast, CRF 18, its own "
                "thread count). CPU: processor time of the program and ffmpeg together, user and system, per frame. "
                "Peak memory: the demo's own (VmHWM), and the largest of the demo and ffmpeg.");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 7. The library's share of a frame
// ---------------------------------------------------------------------------------------------

void Share(Report& report)
{
    Table table({"run", "size", "frames", "p50 ms", "library %", "effects %", "driver %", "encoder wait %"});
    const int64_t frames = g_options.quick ? 10 : g_options.shareFrames;
    for (const Size& size : g_options.sizes)
        for (const std::string kind : {"plain show", "PNG capture", "MP4 capture"})
        {
            Progress("library share, " + kind + " at " + size.Arg());
            const std::string directory = MakeScratchDirectory("share");
            std::vector<std::string> arguments = {"--size", size.Arg(), "--start", std::to_string(g_options.captureStartMs),
                                                  "--frames", std::to_string(frames)};
            if (kind == "PNG capture")
                arguments.insert(arguments.end(), {"--capture", directory + "/frames"});
            if (kind == "MP4 capture")
                arguments.insert(arguments.end(), {"--capture", directory + "/capture.mp4"});
            Profile profile;
            const bool ok = ProfiledRun(g_options.binary, arguments, &profile);
            RemoveTree(directory);
            if (!ok)
                continue;
            const std::vector<double> times = FrameTotalsMs(profile.frames);
            table.Row({kind, size.Label(), std::to_string(profile.frames.size()), Fixed(Median(times), 2),
                       Fixed(BucketShare(profile.frames, Profiler::kLibrary), 2),
                       Fixed(BucketShare(profile.frames, Profiler::kEffects), 1),
                       Fixed(BucketShare(profile.frames, Profiler::kDriver), 1),
                       Fixed(BucketShare(profile.frames, Profiler::kEncoderWait), 1)});
        }
    report.Heading("The library's own share of a frame");
    report.Text("Profiled runs from " + MinutesSeconds(g_options.captureStartMs / 1000) +
                ". Library: everything outside the effects' calls and the GL driver: events, scheduling, the "
                "read-back copies, queueing frames for the writers. Driver: glFinish, glReadPixels and mapping "
                "the read-back buffers, texture images, presenting. Encoder wait: the render thread blocked "
                "because the writers are behind (the encoder's cost, not the library's).");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 8. Memory of a whole-show capture
// ---------------------------------------------------------------------------------------------

void Memory(Report& report)
{
    const Size& size = g_options.sizes.front();
    Progress("a whole-show MP4 capture at " + size.Arg());
    const std::string directory = MakeScratchDirectory("memory");
    std::vector<std::string> arguments = {"--size", size.Arg(), "--capture", directory + "/show.mp4"};
    if (g_options.quick)
        arguments.insert(arguments.end(), {"--frames", "30"});
    const ChildResult child = RunDemo(g_options.binary, arguments, "");
    std::error_code code;
    const auto bytes = std::filesystem::file_size(directory + "/show.mp4", code);
    RemoveTree(directory);
    if (child.exitStatus != 0)
        return;
    Table table({"capture", "wall s", "peak resident MiB (demo)", "largest of demo and ffmpeg MiB", "file MiB"});
    table.Row({"whole show, MP4, " + size.Label(), Fixed(child.wallMs / 1000.0, 1), Mib(child.peakOwnKb),
               Mib(child.peakTreeKb), code ? "?" : Fixed(static_cast<double>(bytes) / 1048576.0, 1)});
    report.Heading("Peak memory of a whole-show capture");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 9. llvmpipe threads
// ---------------------------------------------------------------------------------------------

void Threads(Report& report)
{
    const std::vector<std::string> settings = {kUnset, "0", "1", "2", "3", "4"};
    const Size& small = g_options.sizes.front();
    const Size& large = g_options.sizes.back();
    const int64_t showFrames = g_options.quick ? 10 : g_options.threadShowFrames;
    const int64_t captureFrames = g_options.quick ? 5 : g_options.threadCaptureFrames;
    struct Samples
    {
        std::vector<double> smallP50, smallP99, largeP50, largeP99, smallPng, largeMp4;
    };
    std::map<std::string, Samples> samples;
    auto frameTimes = [](const Profile& profile) { return FrameTotalsMs(profile.frames); };
    for (int r = 0; r < g_options.threadRepetitions; ++r)
        for (const std::string& setting : settings)
        {
            const EnvironmentChanges environment = {{"LP_NUM_THREADS", setting}};
            const std::string label = setting == kUnset ? "(not set)" : setting;
            Progress("LP_NUM_THREADS " + label + ", run " + std::to_string(r + 1));
            Samples& s = samples[setting];
            Profile profile;
            const std::string start = std::to_string(g_options.captureStartMs);
            if (ProfiledRun(g_options.binary, {"--size", small.Arg(), "--start", start, "--frames", std::to_string(showFrames)},
                            &profile, environment))
            {
                s.smallP50.push_back(Median(frameTimes(profile)));
                s.smallP99.push_back(P99(frameTimes(profile)));
            }
            if (ProfiledRun(g_options.binary,
                            {"--size", large.Arg(), "--start", start, "--frames", std::to_string(showFrames / 2)}, &profile,
                            environment))
            {
                s.largeP50.push_back(Median(frameTimes(profile)));
                s.largeP99.push_back(P99(frameTimes(profile)));
            }
            s.smallPng.push_back(Capture(g_options.binary, "png", small, g_options.captureStartMs, captureFrames, environment).fps);
            s.largeMp4.push_back(Capture(g_options.binary, "mp4", large, g_options.captureStartMs, captureFrames / 2, environment).fps);
        }
    Table table({"LP_NUM_THREADS", small.Label() + " p50 ms", "p99 ms", large.Label() + " p50 ms", "p99 ms",
                 "PNG " + small.Label() + " fps", "MP4 " + large.Label() + " fps"});
    for (const std::string& setting : settings)
    {
        const Samples& s = samples[setting];
        table.Row({setting == kUnset ? "(not set)" : setting, Fixed(Median(s.smallP50), 2), Fixed(Median(s.smallP99), 2),
                   Fixed(Median(s.largeP50), 2), Fixed(Median(s.largeP99), 2), Fixed(Median(s.smallPng), 1),
                   Fixed(Median(s.largeMp4), 1)});
    }
    report.Heading("llvmpipe's thread count");
    report.Text("Frame times of profiled runs from " + MinutesSeconds(g_options.captureStartMs / 1000) + " (" +
                std::to_string(showFrames) + " frames at " + small.Label() + ", " + std::to_string(showFrames / 2) +
                " at " + large.Label() + ") and capture throughput (" + std::to_string(captureFrames) +
                " PNG frames, " + std::to_string(captureFrames / 2) + " MP4 frames), medians of " + std::to_string(g_options.threadRepetitions) +
                " interleaved runs per setting. \"(not set)\" is whatever the library chooses.");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 10. PNG compression settings
// ---------------------------------------------------------------------------------------------

struct PngCandidate
{
    std::string label;
    PngCompression compression;
};

// Frames of the show as the capture hands them to the writers: BGRA, bottom row first.
std::vector<std::vector<uint8_t>> ShowFrames(const Size& size, const std::vector<int64_t>& times)
{
    std::vector<std::vector<uint8_t>> frames;
    for (int64_t time : times)
    {
        const std::string directory = MakeScratchDirectory("pngframe");
        const ChildResult child = RunDemo(g_options.binary,
                                          {"--size", size.Arg(), "--start", std::to_string(time), "--frames", "1",
                                           "--capture", directory},
                                          "");
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
        std::string error;
        if (child.exitStatus == 0 && ReadPngRgba(directory + "/frame_000000.png", &width, &height, &rgba, &error))
        {
            std::vector<uint8_t> bgra(rgba.size());
            const size_t rowBytes = static_cast<size_t>(width) * 4;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                {
                    const uint8_t* from = rgba.data() + rowBytes * (height - 1 - y) + x * 4;
                    uint8_t* to = bgra.data() + rowBytes * y + x * 4;
                    to[0] = from[2];
                    to[1] = from[1];
                    to[2] = from[0];
                    to[3] = 255;
                }
            frames.push_back(std::move(bgra));
        }
        RemoveTree(directory);
    }
    return frames;
}

void PngSettings(Report& report)
{
    // zlib's strategies by their numbers: Z_RLE is 3.
    const int kRle = 3;
    std::vector<PngCandidate> candidates = {
        {"level 3, libpng chooses the filter (all five)", {3, -1, 0}},
        {"level 6, all five filters", {6, -1, 0}},
        {"level 1, all five filters", {1, -1, 0}},
        {"level 3, Sub", {3, -1, kPngFilterSub}},
        {"level 1, Sub", {1, -1, kPngFilterSub}},
        {"level 1, Up", {1, -1, kPngFilterUp}},
        {"level 1, Paeth", {1, -1, kPngFilterPaeth}},
        {"level 1, None, Sub, Up", {1, -1, kPngFilterNone | kPngFilterSub | kPngFilterUp}},
        {"level 1, Sub, run-length strategy", {1, kRle, kPngFilterSub}},
        {"level 1, Up, run-length strategy", {1, kRle, kPngFilterUp}},
    };
    const std::vector<int64_t> times = g_options.quick ? std::vector<int64_t>{20000}
                                                       : std::vector<int64_t>{5000, 20000, 30000, 45000, 70000,
                                                                              100000, 130000, 160000};
    const int repetitions = g_options.quick ? 1 : 3;
    std::vector<std::string> header = {"setting"};
    for (const Size& size : g_options.sizes)
    {
        header.push_back(size.Label() + " ms per frame");
        header.push_back("KiB per frame");
    }
    std::vector<std::vector<std::string>> rows(candidates.size());
    for (size_t c = 0; c < candidates.size(); ++c)
        rows[c].push_back(candidates[c].label);
    const std::string directory = MakeScratchDirectory("png");
    for (const Size& size : g_options.sizes)
    {
        Progress("PNG settings at " + size.Arg());
        const std::vector<std::vector<uint8_t>> frames = ShowFrames(size, times);
        if (frames.size() != times.size())
        {
            Failure("PNG settings: " + std::to_string(frames.size()) + " of " + std::to_string(times.size()) +
                        " frames at " + size.Arg(),
                    {});
            continue;
        }
        // Per candidate and frame the median of the repetitions; the candidates interleaved.
        std::vector<std::vector<std::vector<double>>> samples(candidates.size(),
                                                              std::vector<std::vector<double>>(frames.size()));
        std::vector<double> bytes(candidates.size(), 0.0);
        for (int r = 0; r < repetitions; ++r)
            for (size_t f = 0; f < frames.size(); ++f)
                for (size_t c = 0; c < candidates.size(); ++c)
                {
                    const std::string path = directory + "/frame.png";
                    std::string error;
                    const auto start = std::chrono::steady_clock::now();
                    if (!WritePngBgraRows(path, size.width, size.height, frames[f].data(), true,
                                          candidates[c].compression, &error))
                        Failure("PNG settings: " + error, {});
                    samples[c][f].push_back(
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
                    std::error_code code;
                    if (r == 0)
                        bytes[c] += static_cast<double>(std::filesystem::file_size(path, code));
                }
        for (size_t c = 0; c < candidates.size(); ++c)
        {
            double total = 0.0;
            for (const std::vector<double>& perFrame : samples[c])
                total += Median(perFrame);
            rows[c].push_back(Fixed(total / static_cast<double>(frames.size()), 1));
            rows[c].push_back(Fixed(bytes[c] / static_cast<double>(frames.size()) / 1024.0, 0));
        }
    }
    RemoveTree(directory);
    Table table(header);
    for (std::vector<std::string>& row : rows)
        table.Row(row);
    report.Heading("PNG compression settings");
    report.Text("Encoding and writing one frame on one thread, " + std::to_string(times.size()) +
                " frames spread over the show, each the median of " + std::to_string(repetitions) +
                " repetitions; the mean over the frames. Every setting gives the same pixels.");
    report.Add(table);
}

void Readback(Report& report)
{
    Table table({"size", "glReadPixels into memory, ms", "through the pixel-buffer ring, ms"});
    for (const Size& size : g_options.sizes)
    {
        Progress("read-back at " + size.Arg());
        const ReadbackTiming timing = BenchReadback(size.width, size.height, g_options.quick ? 3 : 60);
        table.Row({size.Label(), Fixed(timing.directMs, 2), Fixed(timing.pboMs, 2)});
    }
    report.Heading("Read-back of a finished frame");
    report.Text("The render thread's time to get a finished frame into memory it can hand to the writers, median "
                "per frame. The ring keeps two reads in flight and copies out the oldest.");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 11. Before and after
// ---------------------------------------------------------------------------------------------

void Compare(Report& report)
{
    const std::string before = g_options.compare;
    const std::string after = g_options.binary;
    const std::vector<std::string> binaries = {before, after};
    const int repetitions = g_options.quick ? 1 : g_options.compareRepetitions;
    struct Numbers
    {
        StartupResult startup;
        std::vector<Profile> shows;
        std::map<std::string, std::vector<CaptureRun>> captures;
    };
    std::map<std::string, Numbers> numbers;
    const Size& small = g_options.sizes.front();
    for (int r = 0; r < repetitions; ++r)
        for (const std::string& binary : binaries)
        {
            Progress("compare " + binary + ", run " + std::to_string(r + 1));
            Numbers& n = numbers[binary];
            StartupResult startup = StartupRuns(binary, g_options.quick ? 1 : 5);
            n.startup.runs.insert(n.startup.runs.end(), startup.runs.begin(), startup.runs.end());
            n.startup.wallMs.insert(n.startup.wallMs.end(), startup.wallMs.begin(), startup.wallMs.end());
            for (const Size& size : g_options.sizes)
            {
                const int64_t frames = g_options.quick ? 10 : FramesAt(size);
                n.captures["png " + size.Arg()].push_back(Capture(binary, "png", size, g_options.captureStartMs, frames));
                n.captures["mp4 " + size.Arg()].push_back(Capture(binary, "mp4", size, g_options.captureStartMs, frames));
            }
        }
    // The whole show once each, the two runs one after the other.
    for (const std::string& binary : binaries)
    {
        Progress("compare, the whole show at " + small.Arg() + ": " + binary);
        Profile profile;
        std::vector<std::string> arguments = {"--size", small.Arg()};
        if (g_options.quick)
            arguments.insert(arguments.end(), {"--frames", "30"});
        if (ProfiledRun(binary, arguments, &profile))
            numbers[binary].shows.push_back(std::move(profile));
    }

    Table table({"measure", "before", "after", "after / before"});
    auto row = [&](const std::string& what, double a, double b, int decimals) {
        table.Row({what, Fixed(a, decimals), Fixed(b, decimals), a > 0.0 ? Fixed(b / a, 2) : "-"});
    };
    row("first frame drawn, ms from process start (median)", MedianMark(numbers[before].startup, "first frame drawn"),
        MedianMark(numbers[after].startup, "first frame drawn"), 1);
    row("  GL context ready at, ms", MedianMark(numbers[before].startup, "GL context"),
        MedianMark(numbers[after].startup, "GL context"), 1);
    row("  loading done at, ms", MedianMark(numbers[before].startup, "loading done"),
        MedianMark(numbers[after].startup, "loading done"), 1);
    for (const std::string& binary : binaries)
        if (numbers[binary].shows.empty())
            return;
    auto showStat = [&](const std::string& binary, const std::function<double(const std::vector<Profiler::SecondStats>&,
                                                                              const std::vector<double>&)>& f) {
        const Profile& show = numbers[binary].shows.front();
        return f(Profiler::PerSecond(show.frames), FrameTotalsMs(show.frames));
    };
    const auto p99 = [](const std::vector<Profiler::SecondStats>&, const std::vector<double>& t) { return P99(t); };
    const auto p50 = [](const std::vector<Profiler::SecondStats>&, const std::vector<double>& t) { return Median(t); };
    const auto over = [](const std::vector<Profiler::SecondStats>& s, const std::vector<double>&) {
        double count = 0;
        for (const Profiler::SecondStats& second : s)
            count += second.p99Ms > 16.7 ? 1 : 0;
        return count;
    };
    const auto worst = [](const std::vector<Profiler::SecondStats>& s, const std::vector<double>&) {
        double worstP99 = 0;
        for (const Profiler::SecondStats& second : s)
            worstP99 = std::max(worstP99, second.p99Ms);
        return worstP99;
    };
    row("show " + small.Label() + ": frame p50 ms", showStat(before, p50), showStat(after, p50), 2);
    row("show " + small.Label() + ": frame p99 ms", showStat(before, p99), showStat(after, p99), 2);
    row("show " + small.Label() + ": worst second's p99 ms", showStat(before, worst), showStat(after, worst), 2);
    row("show " + small.Label() + ": seconds with p99 > 16.7 ms", showStat(before, over), showStat(after, over), 0);
    row("show " + small.Label() + ": library share %",
        BucketShare(numbers[before].shows.front().frames, Profiler::kLibrary),
        BucketShare(numbers[after].shows.front().frames, Profiler::kLibrary), 2);
    row("show " + small.Label() + ": peak resident MiB", numbers[before].shows.front().peakKb / 1024.0,
        numbers[after].shows.front().peakKb / 1024.0, 1);
    for (const Size& size : g_options.sizes)
        for (const std::string kind : {"png", "mp4"})
        {
            const std::string key = kind + " " + size.Arg();
            const CaptureSummary a = Summarise(numbers[before].captures[key]);
            const CaptureSummary b = Summarise(numbers[after].captures[key]);
            const std::string name = std::string(kind == std::string("png") ? "PNG" : "MP4") + " capture " + size.Label();
            row(name + ": fps", a.fps, b.fps, 1);
            row(name + ": peak resident MiB (demo)", a.peakOwnKb / 1024.0, b.peakOwnKb / 1024.0, 1);
        }
    report.Heading("Before and after");
    report.Text("Before: " + before + ". After: " + after + ". Start-up: " + std::to_string(repetitions * 5) +
                " runs each; captures: " + std::to_string(repetitions) +
                " runs each, as in the capture table; the whole show once each. All runs of the two interleaved.");
    report.Add(table);
}

// ---------------------------------------------------------------------------------------------
// 12. The ES build against the driver's pipeline
// ---------------------------------------------------------------------------------------------

// What a build's --version says it draws with; empty when it does not say.
std::string DrawnWith(const std::string& binary)
{
    const ChildResult child = RunChild({binary, "--version"}, {});
    const std::string marker = "drawn with ";
    const size_t at = child.log.find(marker);
    if (child.exitStatus != 0 || at == std::string::npos)
        return "";
    const size_t end = child.log.find('\n', at);
    return child.log.substr(at + marker.size(), end == std::string::npos ? std::string::npos : end - at - marker.size());
}

struct FrameTimes
{
    std::vector<Profiler::FrameRecord> frames;   // every run's
    std::vector<Profile> runs;

    double MeanMs() const
    {
        double sum = 0.0;
        for (const Profiler::FrameRecord& frame : frames)
            sum += frame.totalMs;
        return frames.empty() ? 0.0 : sum / static_cast<double>(frames.size());
    }
    // A bucket's milliseconds a frame, on average.
    double BucketMs(int bucket) const
    {
        double sum = 0.0;
        for (const Profiler::FrameRecord& frame : frames)
            sum += frame.bucketMs[bucket];
        return frames.empty() ? 0.0 : sum / static_cast<double>(frames.size());
    }
};

void EsBuild(Report& report)
{
    const std::string normal = g_options.binary;
    const std::string es = g_options.gles;
    // The table names the builds by what they draw with: each must say so.
    const std::string normalGl = DrawnWith(normal);
    const std::string esGl = DrawnWith(es);
    if (normalGl.find("driver's OpenGL") == std::string::npos || esGl.find("fixed-function layer") == std::string::npos)
    {
        Failure("the ES build's table: " + normal + " draws with \"" + normalGl + "\" and " + es + " with \"" + esGl +
                    "\"; expected the driver's OpenGL and the fixed-function layer",
                {});
        return;
    }
    const int runs = g_options.quick ? 1 : g_options.glesRepetitions;
    const std::string fps = std::to_string(g_options.glesFps);
    // The show in stretches, each drawn by one build and then the other (the order alternating),
    // so that other load on the machine, which comes and goes within a minute, hits both alike.
    const int64_t stretchFrames = g_options.quick ? 30 : int64_t{g_options.glesStretchSeconds} * g_options.glesFps;
    const int64_t stretchMs = g_options.quick ? 0 : int64_t{g_options.glesStretchSeconds} * 1000;
    Table ratios({"size", "frames a pass", "fixed-function build: mean ms", "p50 ms", "p99 ms", "ES build: mean ms",
                  "p50 ms", "p99 ms", "ES / fixed-function, mean", "p50", "goal: at most 1.3"});
    Table split({"size", "build", "effects and GL calls, ms a frame", "rasterising (glFinish), ms a frame",
                 "library, ms a frame", "effects %", "driver %"});
    Table slowest({"size", "second", "fixed-function p50 ms", "ES p50 ms", "ES / fixed-function"});
    for (const Size& size : g_options.sizes)
    {
        FrameTimes times[2];
        const std::string paths[2] = {normal, es};
        int turn = 0;
        for (int r = 0; r < runs; ++r)
        {
            Progress("the whole show at " + size.Label() + " in both builds, pass " + std::to_string(r + 1));
            for (int64_t startMs = 0;; startMs += stretchMs)
            {
                bool ended = g_options.quick;
                for (int k = 0; k < 2; ++k)
                {
                    const int b = turn % 2 == 0 ? k : 1 - k;
                    const std::vector<std::string> arguments = {"--size", size.Arg(), "--fps", fps, "--start",
                                                                std::to_string(startMs), "--frames",
                                                                std::to_string(stretchFrames)};
                    Profile profile;
                    if (!ProfiledRun(paths[b], arguments, &profile) || profile.frames.empty())
                    {
                        ended = true;
                        continue;
                    }
                    // A stretch shorter than asked for is the end of the show.
                    ended = ended || static_cast<int64_t>(profile.frames.size()) < stretchFrames;
                    times[b].frames.insert(times[b].frames.end(), profile.frames.begin(), profile.frames.end());
                    times[b].runs.push_back(std::move(profile));
                }
                ++turn;
                if (ended)
                    break;
            }
        }
        if (times[0].frames.empty() || times[1].frames.empty())
            continue;
        const double means[2] = {times[0].MeanMs(), times[1].MeanMs()};
        const std::vector<double> totals[2] = {FrameTotalsMs(times[0].frames), FrameTotalsMs(times[1].frames)};
        const double medians[2] = {Median(totals[0]), Median(totals[1])};
        const double ratio = means[0] > 0.0 ? means[1] / means[0] : 0.0;
        ratios.Row({size.Label(), std::to_string(times[1].frames.size() / runs), Fixed(means[0], 2),
                    Fixed(medians[0], 2), Fixed(P99(totals[0]), 2), Fixed(means[1], 2), Fixed(medians[1], 2),
                    Fixed(P99(totals[1]), 2), Fixed(ratio, 2),
                    medians[0] > 0.0 ? Fixed(medians[1] / medians[0], 2) : "-", ratio <= 1.3 ? "met" : "not met"});
        for (int b = 0; b < 2; ++b)
            split.Row({size.Label(), b == 0 ? "fixed-function" : "ES", Fixed(times[b].BucketMs(Profiler::kEffects), 2),
                       Fixed(times[b].BucketMs(Profiler::kDriver), 2), Fixed(times[b].BucketMs(Profiler::kLibrary), 3),
                       Fixed(BucketShare(times[b].frames, Profiler::kEffects), 1),
                       Fixed(BucketShare(times[b].frames, Profiler::kDriver), 1)});
        // The seconds of the show where the layer costs most beside the driver's pipeline.
        const std::vector<Profiler::SecondStats> normalSeconds = MergeSeconds(times[0].runs);
        const std::vector<Profiler::SecondStats> esSeconds = MergeSeconds(times[1].runs);
        std::map<int64_t, double> normalP50;
        for (const Profiler::SecondStats& second : normalSeconds)
            normalP50[second.second] = second.p50Ms;
        std::vector<std::pair<double, Profiler::SecondStats>> byRatio;
        for (const Profiler::SecondStats& second : esSeconds)
        {
            const auto found = normalP50.find(second.second);
            if (found != normalP50.end() && found->second > 0.0)
                byRatio.push_back({second.p50Ms / found->second, second});
        }
        std::sort(byRatio.begin(), byRatio.end(),
                  [](const auto& a, const auto& b) { return a.first > b.first; });
        for (size_t i = 0; i < byRatio.size() && i < 5; ++i)
            slowest.Row({size.Label(), MinutesSeconds(byRatio[i].second.second),
                         Fixed(normalP50[byRatio[i].second.second], 2), Fixed(byRatio[i].second.p50Ms, 2),
                         Fixed(byRatio[i].first, 2)});
    }
    report.Heading("The ES build against the driver's pipeline");
    report.Text("The whole show, headless, " + fps + " frames a second of show time (every frame ended with glFinish, "
                "ZARNOVELT_PROFILE), drawn by " + normal + " (" + normalGl + ") and by " + es + " (" + esGl +
                "), both with the data in " + g_options.data + "; " + std::to_string(runs) +
                " pass(es) of each build at each size, the two taking turns every " +
                std::to_string(g_options.glesStretchSeconds) +
                " s of the show (--start, --frames). Mean: the summed frame times over the frames, the show's cost "
                "a frame.");
    report.Add(ratios);
    report.Text("Where the time goes: the effects' bucket holds the effects' code and what the GL calls they make "
                "cost on the CPU (the layer's state tracking, vertex streaming and program choice in the ES "
                "build; Mesa's own immediate mode in the other); glFinish is llvmpipe rasterising.");
    report.Add(split);
    report.Text("The seconds of the show where the ES build is slowest beside the other (medians over the runs).");
    report.Add(slowest);
}

// ---------------------------------------------------------------------------------------------
// 13. Main
// ---------------------------------------------------------------------------------------------

const char* const kUsage =
    "usage: zarnovelt_bench [options]\n"
    "  --quick            every section in a few seconds at a tiny size (the smoke test)\n"
    "  --out FILE         also write the Markdown report to FILE\n"
    "  --binary PATH      the demo to measure (default: the one built beside this program)\n"
    "  --data DIR         the data directory (default: the build's)\n"
    "  --compare PATH     an earlier build of the demo, measured beside --binary (also in the show\n"
    "                     tables, both builds at each size)\n"
    "  --compare-data DIR the data directory of the --compare build (default: the data directory\n"
    "                     beside it when there is one, else --data)\n"
    "  --gles PATH        the ES build of the demo (build-gles/zarnovelt): the gles section\n"
    "                     measures it beside --binary over the whole show at each size\n"
    "  --sections LIST    some of machine,effects,show,startup,capture,share,memory,threads,\n"
    "                     video,encoder,png,readback,compare,gles\n"
    "  --sizes LIST       render sizes, e.g. 640x480,1920x1080 (the first is the main one)\n"
    "  --repetitions N    runs of each capture, thread setting, compared build and ES build's\n"
    "                     show (default 2, 2, 3, 2)\n"
    "  --plain-capture PATH --size WxH --start MS --frames N [--plain-encoder same|before]\n"
    "                     (used by the capture section) the plain capture loop, with the capture's\n"
    "                     encoder or with x264 as the capture had it before --video-quality\n";

bool ParseSize(const std::string& text, Size* size)
{
    int width = 0;
    int height = 0;
    char x = 0;
    std::istringstream in(text);
    if (!(in >> width >> x >> height) || x != 'x' || width <= 0 || height <= 0)
        return false;
    *size = Size{width, height};
    return true;
}

std::vector<std::string> SplitComma(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream split(text);
    std::string part;
    while (std::getline(split, part, ','))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

std::string SelfPath(const char* argv0)
{
    std::error_code code;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", code);
    return code ? std::string(argv0) : self.string();
}

} // namespace

int main(int argc, char** argv)
{
    BenchOptions& options = g_options;
    options.self = SelfPath(argv[0]);
    if (const char* threads = std::getenv("LP_NUM_THREADS"))
        g_userThreads = threads;
    PlainCaptureSettings plain;
    bool plainCapture = false;
    Size plainSize{640, 480};
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
            {
                std::fprintf(stderr, "zarnovelt_bench: %s needs a value\n%s", argument.c_str(), kUsage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (argument == "--quick")
            options.quick = true;
        else if (argument == "--out")
            options.out = value();
        else if (argument == "--binary")
            options.binary = value();
        else if (argument == "--data")
            options.data = value();
        else if (argument == "--compare")
            options.compare = value();
        else if (argument == "--compare-data")
            options.compareData = value();
        else if (argument == "--gles")
            options.gles = value();
        else if (argument == "--sections")
            for (const std::string& section : SplitComma(value()))
                options.sections.insert(section);
        else if (argument == "--sizes")
        {
            options.sizes.clear();
            for (const std::string& text : SplitComma(value()))
            {
                Size size{};
                if (!ParseSize(text, &size))
                {
                    std::fprintf(stderr, "zarnovelt_bench: bad size %s\n", text.c_str());
                    return 2;
                }
                options.sizes.push_back(size);
            }
        }
        else if (argument == "--repetitions")
        {
            const int repetitions = std::atoi(value().c_str());
            if (repetitions < 1)
            {
                std::fprintf(stderr, "zarnovelt_bench: --repetitions needs a count of 1 or more\n");
                return 2;
            }
            options.captureRepetitions = options.threadRepetitions = options.compareRepetitions =
                options.glesRepetitions = repetitions;
        }
        else if (argument == "--plain-capture")
        {
            plainCapture = true;
            plain.path = value();
        }
        else if (argument == "--size")
        {
            if (!ParseSize(value(), &plainSize))
                return 2;
        }
        else if (argument == "--plain-encoder")
        {
            const std::string encoder = value();
            if (encoder != "before" && encoder != "same")
            {
                std::fprintf(stderr, "zarnovelt_bench: --plain-encoder takes same or before\n");
                return 2;
            }
            plain.encoderAsBefore = encoder == "before";
        }
        else if (argument == "--start")
            plain.startMs = std::atoll(value().c_str());
        else if (argument == "--frames")
            plain.frames = std::atoll(value().c_str());
        else if (argument == "--help")
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
        else
        {
            std::fprintf(stderr, "zarnovelt_bench: unknown option %s\n%s", argument.c_str(), kUsage);
            return 2;
        }
    }
    options.data = std::filesystem::absolute(options.data).string();
    // The report is written after the run, from the data directory.
    if (!options.out.empty())
        options.out = std::filesystem::absolute(options.out).string();
    options.binary = std::filesystem::absolute(options.binary).string();
    if (!options.compare.empty())
    {
        options.compare = std::filesystem::absolute(options.compare).string();
        // A build generates its data beside the demo (build/data); an earlier build compared
        // with data of today would measure today's content twice.
        const std::filesystem::path beside = std::filesystem::path(options.compare).parent_path() / "data";
        if (options.compareData.empty())
            options.compareData = std::filesystem::exists(beside / "demoflow.txt") ? beside.string() : options.data;
        options.compareData = std::filesystem::absolute(options.compareData).string();
        // The runs tell the builds apart by their paths.
        if (options.compare == options.binary)
        {
            std::fprintf(stderr, "zarnovelt_bench: --compare names the measured demo itself; to compare two data "
                                 "directories, compare a copy of it\n");
            return 2;
        }
    }
    if (!options.gles.empty())
        options.gles = std::filesystem::absolute(options.gles).string();
    if (options.sections.count("gles") != 0 && options.gles.empty())
    {
        std::fprintf(stderr, "zarnovelt_bench: the gles section needs --gles PATH, the ES build of the demo\n");
        return 2;
    }
    // Effects read their files relative to the working directory, as in the show.
    if (chdir(options.data.c_str()) != 0)
    {
        std::fprintf(stderr, "zarnovelt_bench: cannot enter %s\n", options.data.c_str());
        return 2;
    }
    if (plainCapture)
    {
        plain.width = plainSize.width;
        plain.height = plainSize.height;
        return RunPlainCapture(plain);
    }
    if (options.quick)
    {
        options.sizes = {{160, 120}};
        options.showRepetitions = 1;
        options.startupRuns = 1;
        options.captureRepetitions = 1;
        options.threadRepetitions = 1;
    }

    Report report;
    report.Text("# Zarnovelt benchmark" + std::string(options.quick ? " (quick smoke run)" : ""));
    if (Wanted("machine"))
        Machine(report);
    if (Wanted("startup"))
        Startup(report);
    if (Wanted("effects"))
        Effects(report);
    std::vector<ShowResult> shows;
    if (Wanted("show"))
        shows = Show(report);
    if (Wanted("capture"))
        Captures(report);
    if (Wanted("share"))
        Share(report);
    if (Wanted("memory"))
        Memory(report);
    if (Wanted("threads") && !options.quick)
        Threads(report);
    if (Wanted("video") || (Wanted("encoder") && !options.quick))
    {
        VideoBenchSettings video;
        video.binary = options.binary;
        video.data = options.data;
        video.width = options.sizes.back().width;
        video.height = options.sizes.back().height;
        video.startsMs = {options.captureStartMs, options.tunnelStartMs};
        video.frames = options.quick ? 3 : options.videoFrames;
        video.repetitions = options.threadRepetitions;
        video.captureFrames = options.encoderThreadFrames;
        if (Wanted("video"))
            VideoTables(report, video, &g_failures);
        if (Wanted("encoder") && !options.quick)
            EncoderThreadTable(report, video, &g_failures);
    }
    if (Wanted("png"))
        PngSettings(report);
    if (Wanted("readback"))
        Readback(report);
    if (!options.compare.empty() && Wanted("compare"))
        Compare(report);
    if (!options.gles.empty() && Wanted("gles"))
        EsBuild(report);
    ShowSeconds(report, shows);

    if (!g_failures.empty())
    {
        report.Heading("Failures");
        std::string list;
        for (const std::string& failure : g_failures)
            list += "- " + failure + "\n";
        report.Text(list);
    }
    if (!options.out.empty())
    {
        std::ofstream out(options.out);
        out << report.Markdown();
        if (!out)
        {
            std::fprintf(stderr, "zarnovelt_bench: cannot write %s\n", options.out.c_str());
            return 1;
        }
    }
    return g_failures.empty() ? 0 : 1;
}

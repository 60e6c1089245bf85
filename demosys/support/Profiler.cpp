#include "support/Profiler.h"
#include "support/Report.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

#include "support/Process.h"

namespace Profiler
{
namespace {

using Clock = std::chrono::steady_clock;

struct State
{
    bool enabled = false;
    std::string path;
    Clock::time_point origin = Clock::now();

    // Marks and counters may come from worker threads.
    std::mutex mutex;
    std::vector<StartupMark> marks;
    std::vector<Counter> counters;

    // The render thread's buckets and frames.
    std::vector<FrameRecord> frames;
    int current = kLibrary;
    Clock::time_point since = Clock::now();
    double accumulated[kBucketCount] = {};
    bool inFrame = false;
    FrameRecord frame;
    Clock::time_point frameStart;
    bool firstFrameDone = false;
};

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// The origin: the process start when ZARNOVELT_PROFILE_ORIGIN gives it (the wall clock then and
// now tell how long ago that was), otherwise now.
Clock::time_point OriginFromEnvironment()
{
    const Clock::time_point now = Clock::now();
    const char* value = std::getenv("ZARNOVELT_PROFILE_ORIGIN");
    if (value == nullptr || *value == '\0')
        return now;
    char* end = nullptr;
    const long long startNs = std::strtoll(value, &end, 10);
    if (end == nullptr || *end != '\0' || startNs <= 0)
        return now;
    const long long nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
    const long long agoNs = nowNs - startNs;
    // A start in the future or more than a minute ago is not this process's.
    if (agoNs < 0 || agoNs > 60LL * 1000000000LL)
        return now;
    return now - std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(agoNs));
}

State& TheState()
{
    static State* state = [] {
        auto* created = new State;
        const char* value = std::getenv("ZARNOVELT_PROFILE");
        created->enabled = value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
        created->path = created->enabled ? value : "";
        created->origin = OriginFromEnvironment();
        return created;
    }();
    return *state;
}

// Read once: the flag every call tests.
bool g_enabled = TheState().enabled;

std::string FormatSecond(int64_t second)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%" PRId64 ":%02" PRId64, second / 60, second % 60);
    return text;
}

} // namespace

const char* BucketName(int bucket)
{
    switch (bucket)
    {
    case kLibrary: return "library";
    case kEffects: return "effects";
    case kDriver: return "driver";
    case kEncoderWait: return "encoder wait";
    default: return "?";
    }
}

bool Enabled() { return g_enabled; }

void Configure(bool enabled, const std::string& path)
{
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.enabled = enabled;
    state.path = path;
    g_enabled = enabled;
    state.marks.clear();
    state.counters.clear();
    state.frames.clear();
    state.inFrame = false;
    state.firstFrameDone = false;
    state.current = kLibrary;
    state.since = Clock::now();
}

double NowMs() { return Milliseconds(Clock::now() - TheState().origin); }

void Mark(const std::string& what)
{
    if (!g_enabled)
        return;
    const double at = NowMs();
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.marks.push_back(StartupMark{what, at});
}

void Count(const std::string& what, double ms, int count)
{
    if (!g_enabled)
        return;
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.mutex);
    for (Counter& counter : state.counters)
        if (counter.what == what)
        {
            counter.count += count;
            counter.ms += ms;
            return;
        }
    state.counters.push_back(Counter{what, count, ms});
}

Scope::Scope(Bucket bucket) : m_active(g_enabled), m_outer(kLibrary)
{
    if (!m_active)
        return;
    State& state = TheState();
    const Clock::time_point now = Clock::now();
    state.accumulated[state.current] += Milliseconds(now - state.since);
    m_outer = state.current;
    state.current = bucket;
    state.since = now;
}

Scope::~Scope()
{
    if (!m_active)
        return;
    State& state = TheState();
    const Clock::time_point now = Clock::now();
    state.accumulated[state.current] += Milliseconds(now - state.since);
    state.current = m_outer;
    state.since = now;
}

void BeginFrame(int64_t index)
{
    if (!g_enabled)
        return;
    State& state = TheState();
    const Clock::time_point now = Clock::now();
    state.frame = FrameRecord{};
    state.frame.index = index;
    std::fill(std::begin(state.accumulated), std::end(state.accumulated), 0.0);
    state.current = kLibrary;
    state.since = now;
    state.frameStart = now;
    state.inFrame = true;
}

void FrameAt(int64_t demoMs)
{
    if (g_enabled)
        TheState().frame.demoMs = demoMs;
}

void EndFrame()
{
    if (!g_enabled)
        return;
    State& state = TheState();
    if (!state.inFrame)
        return;
    const Clock::time_point now = Clock::now();
    state.accumulated[state.current] += Milliseconds(now - state.since);
    state.since = now;
    state.frame.totalMs = Milliseconds(now - state.frameStart);
    std::copy(std::begin(state.accumulated), std::end(state.accumulated), state.frame.bucketMs);
    state.frames.push_back(state.frame);
    state.inFrame = false;
    if (!state.firstFrameDone)
    {
        state.firstFrameDone = true;
        Mark("first frame drawn");
    }
}

bool FirstFrameDone() { return g_enabled && TheState().firstFrameDone; }

const std::vector<FrameRecord>& Frames() { return TheState().frames; }

std::vector<StartupMark> Marks()
{
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.marks;
}

std::vector<Counter> Counters()
{
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.counters;
}

long PeakResidentKb() { return ::PeakResidentKb(); }

void Report()
{
    if (!g_enabled)
        return;
    State& state = TheState();
    const std::vector<StartupMark> marks = Marks();
    const std::vector<Counter> counters = Counters();
    const long peak = PeakResidentKb();
    const bool toStderr = state.path == "1";
    FILE* out = toStderr ? stderr : std::fopen(state.path.c_str(), "w");
    if (out == nullptr)
    {
        ReportWarning("cannot write the profile to \"" + state.path + "\"");
    }
    else
    {
        WriteTables(out, marks, counters, state.frames, peak);
        if (!toStderr)
        {
            // The same numbers, one per line, for programs.
            for (const StartupMark& mark : marks)
                std::fprintf(out, "mark\t%s\t%.3f\n", mark.what.c_str(), mark.atMs);
            for (const Counter& counter : counters)
                std::fprintf(out, "counter\t%s\t%d\t%.3f\n", counter.what.c_str(), counter.count, counter.ms);
            std::fprintf(out, "memory\tpeak_kb\t%ld\n", peak);
            for (const FrameRecord& frame : state.frames)
                std::fprintf(out, "%s\n", FrameLine(frame).c_str());
            std::fclose(out);
        }
    }
    std::lock_guard<std::mutex> lock(state.mutex);
    state.marks.clear();
    state.counters.clear();
    state.frames.clear();
    state.firstFrameDone = false;
}

// ---------------------------------------------------------------------------------------------
// Statistics
// ---------------------------------------------------------------------------------------------

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::clamp(p, 0.0, 100.0) / 100.0 * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(std::floor(rank));
    const size_t above = std::min(below + 1, values.size() - 1);
    const double fraction = rank - static_cast<double>(below);
    return values[below] + (values[above] - values[below]) * fraction;
}

std::vector<SecondStats> PerSecond(const std::vector<FrameRecord>& frames)
{
    std::map<int64_t, std::vector<double>> bySecond;
    for (const FrameRecord& frame : frames)
    {
        // Whole seconds, rounding down also below 0.
        const int64_t second = frame.demoMs >= 0 ? frame.demoMs / 1000 : -((-frame.demoMs + 999) / 1000);
        bySecond[second].push_back(frame.totalMs);
    }
    std::vector<SecondStats> seconds;
    for (const auto& [second, times] : bySecond)
    {
        SecondStats stats;
        stats.second = second;
        stats.frames = static_cast<int>(times.size());
        stats.p50Ms = Percentile(times, 50.0);
        stats.p99Ms = Percentile(times, 99.0);
        stats.maxMs = *std::max_element(times.begin(), times.end());
        seconds.push_back(stats);
    }
    return seconds;
}

std::vector<SecondStats> HeaviestSeconds(const std::vector<SecondStats>& seconds, size_t count)
{
    std::vector<SecondStats> order = seconds;
    std::stable_sort(order.begin(), order.end(), [](const SecondStats& a, const SecondStats& b) {
        if (a.p99Ms != b.p99Ms)
            return a.p99Ms > b.p99Ms;
        if (a.maxMs != b.maxMs)
            return a.maxMs > b.maxMs;
        return a.second < b.second;
    });
    if (order.size() > count)
        order.resize(count);
    return order;
}

void WriteTables(FILE* out, const std::vector<StartupMark>& marks, const std::vector<Counter>& counters,
                 const std::vector<FrameRecord>& frames, long peakResidentKb)
{
    if (!marks.empty())
    {
        std::fprintf(out, "%-44s %10s %10s\n", "Start-up", "at ms", "step ms");
        double previous = 0.0;
        for (const StartupMark& mark : marks)
        {
            std::fprintf(out, "  %-42s %10.1f %10.1f\n", mark.what.c_str(), mark.atMs, mark.atMs - previous);
            previous = mark.atMs;
        }
        std::fprintf(out, "\n");
    }
    if (!counters.empty())
    {
        std::fprintf(out, "%-44s %10s %10s\n", "Counters", "count", "ms");
        for (const Counter& counter : counters)
            std::fprintf(out, "  %-42s %10d %10.1f\n", counter.what.c_str(), counter.count, counter.ms);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "Peak resident memory: %.1f MiB\n", static_cast<double>(peakResidentKb) / 1024.0);
    if (frames.empty())
        return;
    double total = 0.0;
    double buckets[kBucketCount] = {};
    std::vector<double> times;
    times.reserve(frames.size());
    for (const FrameRecord& frame : frames)
    {
        total += frame.totalMs;
        times.push_back(frame.totalMs);
        for (int b = 0; b < kBucketCount; ++b)
            buckets[b] += frame.bucketMs[b];
    }
    std::fprintf(out, "Frames: %zu, p50 %.2f ms, p99 %.2f ms, max %.2f ms; share of the frame time:", frames.size(),
                 Percentile(times, 50.0), Percentile(times, 99.0), *std::max_element(times.begin(), times.end()));
    for (int b = 0; b < kBucketCount; ++b)
        std::fprintf(out, " %s %.1f %%%s", BucketName(b), total > 0.0 ? 100.0 * buckets[b] / total : 0.0,
                     b + 1 < kBucketCount ? "," : "\n");
    const std::vector<SecondStats> seconds = PerSecond(frames);
    std::fprintf(out, "\n%-10s %8s %8s %8s %8s\n", "Second", "frames", "p50 ms", "p99 ms", "max ms");
    for (const SecondStats& second : seconds)
        std::fprintf(out, "  %-8s %8d %8.2f %8.2f %8.2f\n", FormatSecond(second.second).c_str(), second.frames,
                     second.p50Ms, second.p99Ms, second.maxMs);
    std::fprintf(out, "Heaviest seconds:");
    for (const SecondStats& second : HeaviestSeconds(seconds, 3))
        std::fprintf(out, " %s (p99 %.2f ms, max %.2f ms)", FormatSecond(second.second).c_str(), second.p99Ms,
                     second.maxMs);
    std::fprintf(out, "\n");
}

std::string FrameLine(const FrameRecord& frame)
{
    char line[256];
    std::snprintf(line, sizeof(line), "frame\t%" PRId64 "\t%" PRId64 "\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f", frame.index,
                  frame.demoMs, frame.totalMs, frame.bucketMs[kLibrary], frame.bucketMs[kEffects],
                  frame.bucketMs[kDriver], frame.bucketMs[kEncoderWait]);
    return line;
}

bool ParseFrameLine(const std::string& line, FrameRecord* frame)
{
    FrameRecord parsed;
    long long index = 0;
    long long demoMs = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "frame\t%lld\t%lld\t%lf\t%lf\t%lf\t%lf\t%lf%n", &index, &demoMs, &parsed.totalMs,
                    &parsed.bucketMs[kLibrary], &parsed.bucketMs[kEffects], &parsed.bucketMs[kDriver],
                    &parsed.bucketMs[kEncoderWait], &consumed) != 7 ||
        static_cast<size_t>(consumed) != line.size())
        return false;
    parsed.index = index;
    parsed.demoMs = demoMs;
    *frame = parsed;
    return true;
}

} // namespace Profiler

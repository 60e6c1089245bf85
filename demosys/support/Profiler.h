// Timing of the library's own work, for the benchmarks and for anyone asking why the start-up
// or a frame is slow. Off unless the environment says otherwise; off, every call below is one
// test of a flag, and nothing is ever printed.
//
//   ZARNOVELT_PROFILE=1         at the end of the show, the tables on standard error
//   ZARNOVELT_PROFILE=FILE      the tables and one tab-separated line per frame, in FILE
//   ZARNOVELT_PROFILE_ORIGIN=NS when the process was started, in CLOCK_REALTIME nanoseconds
//                               (`date +%s%N` right before starting the demo); start-up times
//                               count from it. Without it they count from main().
//
// While profiling, every frame ends with glFinish, so a frame's time includes its rasterisation
// (otherwise a threaded driver finishes it during some later frame).
//
// Time is split into buckets, exclusively: a Scope opened inside another takes its time out of
// the outer one. Per frame the buckets add up to the frame's time:
//   Library      everything the library does itself: events, scheduling, copies, queueing
//   Effects      inside the effects' calls (Init, Prepare, RenderFrame, End, ReceiveInt),
//                minus the library and driver work they call into
//   Driver       GL calls whose cost is the driver's: glFinish, read-back, texture images,
//                presenting
//   EncoderWait  the render thread waiting for a capture's encoder to take a frame
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Profiler
{

enum Bucket
{
    kLibrary,
    kEffects,
    kDriver,
    kEncoderWait,
    kBucketCount
};

// The bucket names as the tables and the frame lines give them.
const char* BucketName(int bucket);

// True when ZARNOVELT_PROFILE asks for profiling (read once).
bool Enabled();

// Switches profiling on or off and clears everything recorded (tests). `path` as the variable.
void Configure(bool enabled, const std::string& path);

// A point on the way to the first frame ("GL context", "Init KAOS", ...), at the current time.
void Mark(const std::string& what);

// Adds to a named counter: a count and milliseconds ("texture decoding, workers", ...).
// Safe from any thread.
void Count(const std::string& what, double ms, int count = 1);

// Milliseconds since the origin (process start when given, otherwise main()).
double NowMs();

// Exclusive timing: from construction to destruction the time goes to `bucket`.
class Scope
{
public:
    explicit Scope(Bucket bucket);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    bool m_active;
    int m_outer;
};

// A frame of the show: from BeginFrame to EndFrame; time outside any Scope is the library's.
// FrameAt gives the frame's demo time once the clock has been read. A frame begun and not
// ended (paused, the end of the show) is not recorded.
void BeginFrame(int64_t index);
void FrameAt(int64_t demoMs);
void EndFrame();
// True between the end of the first frame and the next Configure/Report.
bool FirstFrameDone();

struct FrameRecord
{
    int64_t index = 0;
    int64_t demoMs = 0;
    double totalMs = 0.0;
    double bucketMs[kBucketCount] = {};
};

struct StartupMark
{
    std::string what;
    double atMs = 0.0;
};

struct Counter
{
    std::string what;
    int count = 0;
    double ms = 0.0;
};

// What has been recorded so far (the frames of the current show).
const std::vector<FrameRecord>& Frames();
std::vector<StartupMark> Marks();
std::vector<Counter> Counters();

// Writes the tables (and, to a file, the frame lines) as configured, then forgets the frames,
// marks and counters. Does nothing when profiling is off.
void Report();

// ---------------------------------------------------------------------------------------------
// Statistics, shared with the benchmark program.
// ---------------------------------------------------------------------------------------------

// The p-th percentile (0..100) of the values, interpolated linearly between ranks; 0 for none.
double Percentile(std::vector<double> values, double p);

struct SecondStats
{
    int64_t second = 0;     // demo time second: frames with demoMs in [second, second + 1) s
    int frames = 0;
    double p50Ms = 0.0;
    double p99Ms = 0.0;
    double maxMs = 0.0;
};

// Frame time statistics for every second of the show that has frames, in order of time.
std::vector<SecondStats> PerSecond(const std::vector<FrameRecord>& frames);

// The `count` seconds with the highest p99 (ties: the higher maximum, then the earlier second),
// heaviest first.
std::vector<SecondStats> HeaviestSeconds(const std::vector<SecondStats>& seconds, size_t count);

// Writes the tables for the given records: start-up, counters, frame summary, per second.
void WriteTables(FILE* out, const std::vector<StartupMark>& marks, const std::vector<Counter>& counters,
                 const std::vector<FrameRecord>& frames, long peakResidentKb);

// One tab-separated line per frame: "frame index demo_ms total_ms library effects driver
// encoder_wait" (milliseconds), and the parser for it. Parse returns false for other lines.
std::string FrameLine(const FrameRecord& frame);
bool ParseFrameLine(const std::string& line, FrameRecord* frame);

// The process's peak resident memory so far, in KiB.
long PeakResidentKb();

} // namespace Profiler

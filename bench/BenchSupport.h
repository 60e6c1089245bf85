// What every benchmark section needs: running the demo (or this program) as a child process
// and watching its time and memory, reading the profile it writes, sample statistics and
// Markdown tables.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/Profiler.h"

// ---------------------------------------------------------------------------------------------
// Child processes
// ---------------------------------------------------------------------------------------------

struct ChildResult
{
    bool started = false;
    int exitStatus = -1;        // the exit code; -1 when the child did not exit normally
    double wallMs = 0.0;        // from just before the spawn to the reaping
    long peakOwnKb = 0;         // the child's own peak resident memory (VmHWM), sampled
    long peakTreeKb = 0;        // the largest of the child and its own children (ffmpeg)
    double cpuMs = 0.0;         // processor time, user and system, of the child and its children
    std::string log;            // standard output and error, for failures
};

// Environment changes for a child: a value sets the variable, nullopt-like "\x01" removes it.
using EnvironmentChanges = std::vector<std::pair<std::string, std::string>>;
constexpr const char* kUnset = "\x01";

// Runs argv[0] with the arguments and the environment changes, waits for it, and watches its
// peak memory meanwhile. ZARNOVELT_PROFILE_ORIGIN is set to the spawn time when
// `passOrigin` is true, so the child's profile counts from its own start.
ChildResult RunChild(const std::vector<std::string>& argv, const EnvironmentChanges& environment,
                     bool passOrigin = false);

// ---------------------------------------------------------------------------------------------
// Profiles (ZARNOVELT_PROFILE=FILE)
// ---------------------------------------------------------------------------------------------

struct Profile
{
    std::vector<Profiler::StartupMark> marks;
    std::map<std::string, Profiler::Counter> counters;
    std::vector<Profiler::FrameRecord> frames;
    long peakKb = 0;

    // The time of a mark, or -1 when it is missing.
    double MarkMs(const std::string& what) const;
    // A counter's milliseconds (0 when missing).
    double CounterMs(const std::string& what) const;
};

// False when the file cannot be read or holds no marks.
bool ReadProfile(const std::string& path, Profile* profile);

// Every frame's whole time, in milliseconds, in order.
std::vector<double> FrameTotalsMs(const std::vector<Profiler::FrameRecord>& frames);

// Share of the summed frame time that went to a bucket, in percent.
double BucketShare(const std::vector<Profiler::FrameRecord>& frames, int bucket);

// ---------------------------------------------------------------------------------------------
// Statistics and text
// ---------------------------------------------------------------------------------------------

double Median(const std::vector<double>& values);
double P99(const std::vector<double>& values);
double Max(const std::vector<double>& values);

// "%.*f" of a value.
std::string Fixed(double value, int decimals);
// "m:ss" of whole seconds.
std::string MinutesSeconds(int64_t seconds);

// A Markdown table built row by row.
class Table
{
public:
    explicit Table(std::vector<std::string> header) : m_header(std::move(header)) {}
    void Row(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }
    std::string Markdown() const;

private:
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
};

// The report: Markdown text, printed as it grows (so a long run shows progress) and kept.
class Report
{
public:
    void Heading(const std::string& text);
    void Text(const std::string& text);
    void Add(const Table& table);
    const std::string& Markdown() const { return m_text; }

private:
    void Emit(const std::string& text);
    std::string m_text;
};

// One line of progress on standard error.
void Progress(const std::string& text);

// A fresh empty directory under the system's temporary directory.
std::string MakeScratchDirectory(const std::string& name);
void RemoveTree(const std::string& path);

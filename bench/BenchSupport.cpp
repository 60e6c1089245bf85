#include "BenchSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

// The peak resident memory of a live process, in KiB; 0 once it has gone (or is a zombie).
long ReadPeakKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

long long RealtimeNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

} // namespace

ChildResult RunChild(const std::vector<std::string>& argv, const EnvironmentChanges& environment, bool passOrigin)
{
    ChildResult result;
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        const char* equals = std::strchr(*entry, '=');
        if (equals != nullptr)
            variables[std::string(*entry, static_cast<size_t>(equals - *entry))] = equals + 1;
    }
    for (const auto& [name, value] : environment)
    {
        if (value == kUnset)
            variables.erase(name);
        else
            variables[name] = value;
    }

    char logPath[] = "/tmp/zarnovelt_bench_log_XXXXXX";
    const int logFd = mkstemp(logPath);
    if (logFd < 0)
    {
        result.log = std::string("cannot make a log file: ") + std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, logFd, 1);
    posix_spawn_file_actions_adddup2(&actions, logFd, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> arguments = argv;
    std::vector<char*> argumentPointers;
    for (std::string& argument : arguments)
        argumentPointers.push_back(argument.data());
    argumentPointers.push_back(nullptr);

    const auto spawnTime = std::chrono::steady_clock::now();
    if (passOrigin)
        variables["ZARNOVELT_PROFILE_ORIGIN"] = std::to_string(RealtimeNs());
    std::vector<std::string> entries;
    for (const auto& [name, value] : variables)
        entries.push_back(name + "=" + value);
    std::vector<char*> entryPointers;
    for (std::string& entry : entries)
        entryPointers.push_back(entry.data());
    entryPointers.push_back(nullptr);

    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, arguments[0].c_str(), &actions, nullptr, argumentPointers.data(),
                                    entryPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    close(logFd);
    if (spawned != 0)
    {
        result.log = "cannot start " + arguments[0] + ": " + std::strerror(spawned);
        unlink(logPath);
        return result;
    }
    result.started = true;
    for (;;)
    {
        result.peakOwnKb = std::max(result.peakOwnKb, ReadPeakKb(pid));
        int status = 0;
        rusage usage{};
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
        {
            result.wallMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - spawnTime).count();
            result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            result.peakTreeKb = usage.ru_maxrss;
            result.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
            break;
        }
        if (done < 0 && errno != EINTR)
            break;
        // Often enough to catch the peak before the process ends (VmHWM only grows).
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    std::ifstream log(logPath);
    std::stringstream text;
    text << log.rdbuf();
    result.log = text.str();
    if (result.log.size() > 4000)
        result.log = "..." + result.log.substr(result.log.size() - 4000);
    unlink(logPath);
    return result;
}

double Profile::MarkMs(const std::string& what) const
{
    for (const Profiler::StartupMark& mark : marks)
        if (mark.what == what)
            return mark.atMs;
    return -1.0;
}

double Profile::CounterMs(const std::string& what) const
{
    auto found = counters.find(what);
    return found != counters.end() ? found->second.ms : 0.0;
}

bool ReadProfile(const std::string& path, Profile* profile)
{
    std::ifstream in(path);
    if (!in)
        return false;
    *profile = Profile{};
    std::string line;
    while (std::getline(in, line))
    {
        Profiler::FrameRecord frame;
        if (Profiler::ParseFrameLine(line, &frame))
        {
            profile->frames.push_back(frame);
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (fields.size() == 3 && fields[0] == "mark")
            profile->marks.push_back(Profiler::StartupMark{fields[1], std::strtod(fields[2].c_str(), nullptr)});
        else if (fields.size() == 4 && fields[0] == "counter")
            profile->counters[fields[1]] = Profiler::Counter{fields[1], std::atoi(fields[2].c_str()),
                                                             std::strtod(fields[3].c_str(), nullptr)};
        else if (fields.size() == 3 && fields[0] == "memory" && fields[1] == "peak_kb")
            profile->peakKb = std::strtol(fields[2].c_str(), nullptr, 10);
    }
    return !profile->marks.empty();
}

std::vector<double> FrameTotalsMs(const std::vector<Profiler::FrameRecord>& frames)
{
    std::vector<double> times;
    times.reserve(frames.size());
    for (const Profiler::FrameRecord& frame : frames)
        times.push_back(frame.totalMs);
    return times;
}

double BucketShare(const std::vector<Profiler::FrameRecord>& frames, int bucket)
{
    double total = 0.0;
    double part = 0.0;
    for (const Profiler::FrameRecord& frame : frames)
    {
        total += frame.totalMs;
        part += frame.bucketMs[bucket];
    }
    return total > 0.0 ? 100.0 * part / total : 0.0;
}

double Median(const std::vector<double>& values) { return Profiler::Percentile(values, 50.0); }
double P99(const std::vector<double>& values) { return Profiler::Percentile(values, 99.0); }
double Max(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

std::string MinutesSeconds(int64_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string Table::Markdown() const
{
    auto line = [](const std::vector<std::string>& cells) {
        std::string text = "|";
        for (const std::string& cell : cells)
            text += " " + cell + " |";
        return text + "\n";
    };
    std::string text = line(m_header);
    text += "|";
    for (size_t i = 0; i < m_header.size(); ++i)
        text += i == 0 ? "---|" : "---:|";
    text += "\n";
    for (const std::vector<std::string>& row : m_rows)
        text += line(row);
    return text;
}

void Report::Emit(const std::string& text)
{
    m_text += text;
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void Report::Heading(const std::string& text) { Emit("\n## " + text + "\n\n"); }
void Report::Text(const std::string& text) { Emit(text + "\n\n"); }
void Report::Add(const Table& table) { Emit(table.Markdown() + "\n"); }

void Progress(const std::string& text)
{
    std::fprintf(stderr, "bench: %s\n", text.c_str());
    std::fflush(stderr);
}

std::string MakeScratchDirectory(const std::string& name)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zarnovelt_bench_" + std::to_string(getpid()) + "_" + name);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path, ignored);
    return path.string();
}

void RemoveTree(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

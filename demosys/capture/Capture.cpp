// Capture to a directory of PNG files, and the progress line every capture prints.
#include "capture/Capture.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cctype>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "codecs/ImageCodec.h"
#include "support/Process.h"
#include "support/Profiler.h"
#include "support/Threads.h"

namespace {

// The captured frames' compression, chosen by measurement (zarnovelt_bench --sections png):
// zlib level 1 with its run-length strategy over the Sub filter writes a frame in less than
// half the time level 3 with libpng's five-filter search takes, for files 7 to 15 % larger.
const PngCompression kCaptureCompression = {1, kPngStrategyRle, kPngFilterSub};

// Writes PNG files on worker threads; at most a few frames wait in memory. Without threads
// (the browser) each frame is written before Write returns.
class PngDirectorySink : public FrameSink
{
public:
    PngDirectorySink(std::string directory, int width, int height, int frameStep)
        : m_directory(std::move(directory)), m_width(width), m_height(height), m_frameStep(frameStep),
          m_maxQueued(FramesToQueue(width, height, 4))
    {
        const unsigned workers = WorkerThreads(std::max(1u, std::min(2u, std::thread::hardware_concurrency())));
        for (unsigned i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { WorkLoop(); });
    }

    ~PngDirectorySink() override
    {
        std::string ignored;
        Finish(&ignored);
    }

    bool Write(std::vector<uint8_t>&& bgra) override
    {
        if (m_workers.empty())
        {
            if (!m_failed)
                WriteFrame(Job{TakeIndex(), std::move(bgra)});
            return !m_failed;
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        {
            const Profiler::Scope wait(Profiler::kEncoderWait);
            m_spaceFree.wait(lock, [this] { return m_queue.size() < m_maxQueued || m_failed; });
        }
        if (m_failed)
            return false;
        m_queue.push_back(Job{TakeIndex(), std::move(bgra)});
        m_workAvailable.notify_one();
        return true;
    }

    bool Finish(std::string* error) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closing = true;
            m_workAvailable.notify_all();
        }
        for (std::thread& worker : m_workers)
            if (worker.joinable())
                worker.join();
        if (m_failed && error != nullptr)
            *error = m_error;
        return !m_failed;
    }

private:
    struct Job
    {
        uint64_t index;
        std::vector<uint8_t> bgra;
    };

    // The number the next kept frame is saved under: with --capture-every N the files keep the
    // show's frame numbers 0, N, 2N, ... whether or not frames are written on worker threads.
    uint64_t TakeIndex()
    {
        const uint64_t index = m_nextIndex;
        m_nextIndex += static_cast<uint64_t>(m_frameStep);
        return index;
    }

    void WorkLoop()
    {
        for (;;)
        {
            Job job;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_workAvailable.wait(lock, [this] { return !m_queue.empty() || m_closing; });
                if (m_queue.empty())
                    return;
                job = std::move(m_queue.front());
                m_queue.pop_front();
                m_spaceFree.notify_one();
            }
            WriteFrame(std::move(job));
        }
    }

    // Writes one frame's file; a failure is kept for Write and Finish to report.
    void WriteFrame(Job job)
    {
        char name[32];
        std::snprintf(name, sizeof(name), "frame_%06llu.png", static_cast<unsigned long long>(job.index));
        const std::string path = (std::filesystem::path(m_directory) / name).string();
        // GL gives the bottom row first; the encoder takes the rows in that order.
        std::string error;
        const bool written =
            WritePngBgraRows(path, m_width, m_height, job.bgra.data(), true, kCaptureCompression, &error);
        Recycle(std::move(job.bgra));
        if (!written)
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_failed)
                m_error = "cannot write " + path + ": " + error;
            m_failed = true;
            m_spaceFree.notify_all();
        }
    }

    std::string m_directory;
    int m_width;
    int m_height;
    int m_frameStep;
    size_t m_maxQueued;
    std::mutex m_mutex;
    std::condition_variable m_workAvailable;
    std::condition_variable m_spaceFree;
    std::deque<Job> m_queue;
    std::vector<std::thread> m_workers;
    uint64_t m_nextIndex = 0;
    bool m_closing = false;
    bool m_failed = false;
    std::string m_error;
};

std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace

std::vector<uint8_t> FrameSink::SpareBuffer()
{
    std::lock_guard<std::mutex> lock(m_spareMutex);
    if (m_spare.empty())
        return {};
    std::vector<uint8_t> buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

void FrameSink::Recycle(std::vector<uint8_t>&& buffer)
{
    std::lock_guard<std::mutex> lock(m_spareMutex);
    if (m_spare.size() < kMaxSpare && buffer.capacity() > 0)
        m_spare.push_back(std::move(buffer));
}

size_t FramesToQueue(int width, int height, size_t most)
{
    const size_t frameBytes = std::max<size_t>(1, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    return std::clamp<size_t>((24u << 20) / frameBytes, 1, std::max<size_t>(1, most));
}

std::unique_ptr<FrameSink> CreatePngDirectorySink(const std::string& directory, int width, int height,
                                                  std::string* error, int frameStep)
{
    std::error_code code;
    std::filesystem::create_directories(directory, code);
    if (code || !std::filesystem::is_directory(directory))
    {
        *error = "cannot create the capture directory \"" + directory + "\"" + (code ? ": " + code.message() : "");
        return nullptr;
    }
    return std::make_unique<PngDirectorySink>(directory, width, height, std::max(1, frameStep));
}

bool IsVideoPath(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    return extension == ".mp4" || extension == ".mkv" || extension == ".webm";
}

int64_t CaptureFrameCount(int64_t startMs, int64_t endMs, int fpsNumerator, int fpsDenominator, int64_t frameLimit)
{
    // floor(k * 1000 * den / num) >= D  <=>  k >= D * num / (1000 * den), so the count is the
    // ceiling of that quotient; with D = q * (1000 * den) + r it is q * num + ceil(r * num /
    // (1000 * den)), exact in 64 bits for any span (num and den are at most a million).
    const int64_t span = endMs - startMs;
    int64_t count = 0;
    if (span > 0)
    {
        const int64_t denominator = int64_t{1000} * fpsDenominator;
        const int64_t whole = span / denominator;
        const int64_t rest = span % denominator;
        count = whole * fpsNumerator + (rest * fpsNumerator + denominator - 1) / denominator;
    }
    if (frameLimit >= 0)
        count = std::min(count, frameLimit);
    return count;
}

CaptureProgress::CaptureProgress(std::string target, int64_t totalFrames)
    : m_target(std::move(target)), m_total(totalFrames), m_terminal(StandardErrorIsTerminal()),
      m_start(Clock::now()), m_lastPrint(m_start)
{
}

std::string CaptureProgress::Line(const std::string& target, int64_t done, int64_t total, double seconds)
{
    const double rate = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
    const double percent = total > 0 ? 100.0 * static_cast<double>(done) / static_cast<double>(total) : 100.0;
    char left[32] = "--:--";
    if (rate > 0.0 && total >= done)
    {
        const int64_t remaining = static_cast<int64_t>(std::ceil(static_cast<double>(total - done) / rate));
        std::snprintf(left, sizeof(left), "%lld:%02lld", static_cast<long long>(remaining / 60),
                      static_cast<long long>(remaining % 60));
    }
    char line[256];
    std::snprintf(line, sizeof(line), "capture %s: frame %lld/%lld  %5.1f%%  %6.1f fps  %s left", target.c_str(),
                  static_cast<long long>(done), static_cast<long long>(total), percent, rate, left);
    return line;
}

void CaptureProgress::Update(int64_t done)
{
    const Clock::time_point now = Clock::now();
    const auto interval = m_terminal ? std::chrono::milliseconds(250) : std::chrono::milliseconds(5000);
    if (now - m_lastPrint < interval)
        return;
    m_lastPrint = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const std::string line = Line(m_target, done, m_total, seconds);
    if (m_terminal)
        std::fprintf(stderr, "\r%s\033[K", line.c_str());
    else
        std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void CaptureProgress::Finish(int64_t done)
{
    const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
    const std::string line = Line(m_target, done, std::max(done, m_total), seconds);
    std::fprintf(stderr, m_terminal ? "\r%s\033[K\n" : "%s\n", line.c_str());
    std::fflush(stderr);
}

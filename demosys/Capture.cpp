#include "Capture.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "ImageCodec.h"

namespace {

// Writes PNG files on worker threads; at most a few frames wait in memory.
class PngDirectorySink : public FrameSink
{
public:
    PngDirectorySink(std::string directory, int width, int height)
        : m_directory(std::move(directory)), m_width(width), m_height(height)
    {
        const unsigned workers = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
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
        std::unique_lock<std::mutex> lock(m_mutex);
        m_spaceFree.wait(lock, [this] { return m_queue.size() < kMaxQueued || m_failed; });
        if (m_failed)
            return false;
        m_queue.push_back(Job{m_nextIndex++, std::move(bgra)});
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
    static constexpr size_t kMaxQueued = 4;

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
            char name[32];
            std::snprintf(name, sizeof(name), "frame_%06llu.png", static_cast<unsigned long long>(job.index));
            const std::string path = (std::filesystem::path(m_directory) / name).string();
            std::string error;
            if (!WritePngBgra(path, m_width, m_height, job.bgra.data(), &error))
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_failed)
                    m_error = "cannot write " + path + ": " + error;
                m_failed = true;
                m_spaceFree.notify_all();
            }
        }
    }

    std::string m_directory;
    int m_width;
    int m_height;
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

std::unique_ptr<FrameSink> CreatePngDirectorySink(const std::string& directory, int width, int height,
                                                  std::string* error)
{
    std::error_code code;
    std::filesystem::create_directories(directory, code);
    if (code || !std::filesystem::is_directory(directory))
    {
        *error = "cannot create the capture directory \"" + directory + "\"" + (code ? ": " + code.message() : "");
        return nullptr;
    }
    return std::make_unique<PngDirectorySink>(directory, width, height);
}

bool IsVideoPath(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    return extension == ".mp4" || extension == ".mkv" || extension == ".webm";
}

#include "codecs/TexturePredecoder.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

#include "DemoGL.h"
#include "support/Profiler.h"
#include "support/WholeFile.h"

namespace {

// The image type a file's extension names; 0 for anything else.
int TypeOfExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".jpg" || extension == ".jpeg")
        return kImageTypeJpeg;
    if (extension == ".tga")
        return kImageTypeTga;
    return 0;
}

std::string NormalPath(const std::string& path)
{
    return std::filesystem::path(path).lexically_normal().generic_string();
}

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

bool FileStamp(const std::string& path, uintmax_t* size, int64_t* modified)
{
    std::error_code code;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, code))
        return false;
    const uintmax_t bytes = std::filesystem::file_size(file, code);
    if (code)
        return false;
    const auto written = std::filesystem::last_write_time(file, code);
    if (code)
        return false;
    *size = bytes;
    *modified = std::chrono::duration_cast<std::chrono::nanoseconds>(written.time_since_epoch()).count();
    return true;
}

TexturePredecoder::~TexturePredecoder()
{
    Stop();
}


void TexturePredecoder::Start(const std::string& directory, unsigned workers)
{
    Stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs.clear();
    m_index.clear();
    m_next = 0;
    m_stopping = false;
    const std::filesystem::path root(directory);
    std::error_code code;
    uintmax_t totalBytes = 0;
    auto options = std::filesystem::directory_options::skip_permission_denied;
    for (auto it = std::filesystem::recursive_directory_iterator(root, options, code);
         !code && it != std::filesystem::recursive_directory_iterator(); it.increment(code))
    {
        if (it.depth() >= kMaxDepth)
            it.disable_recursion_pending();
        const int type = TypeOfExtension(it->path());
        std::error_code fileCode;
        if (type == 0 || !it->is_regular_file(fileCode))
            continue;
        const uintmax_t bytes = it->file_size(fileCode);
        if (fileCode || bytes > kMaxFileBytes || totalBytes + bytes > kMaxTotalBytes)
            continue;
        totalBytes += bytes;
        Job job;
        job.path = it->path().lexically_relative(root).generic_string();
        job.filePath = it->path().string();
        job.imageType = type;
        m_jobs.push_back(std::move(job));
        if (m_jobs.size() >= kMaxFiles)
            break;
    }
    // A fixed order, the same on every run.
    std::sort(m_jobs.begin(), m_jobs.end(), [](const Job& a, const Job& b) { return a.path < b.path; });
    for (size_t i = 0; i < m_jobs.size(); ++i)
        m_index[m_jobs[i].path] = i;
    workers = static_cast<unsigned>(std::min<size_t>(workers, m_jobs.size()));
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { WorkLoop(); });
}

void TexturePredecoder::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    for (std::thread& worker : m_workers)
        if (worker.joinable())
            worker.join();
    m_workers.clear();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs.clear();
    m_index.clear();
    m_next = 0;
}

void TexturePredecoder::Decode(Job& job)
{
    job.decoded = false;
    if (!FileStamp(job.filePath, &job.size, &job.modified))
        return;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(job.filePath, &bytes))
        return;
    if (job.imageType == kImageTypeJpeg)
        job.decoded = DecodeJpeg(bytes.data(), bytes.size(), &job.image, nullptr);
    else if (job.imageType == kImageTypeTga)
        job.decoded = DecodeTga(bytes.data(), bytes.size(), &job.image, nullptr);
}

void TexturePredecoder::WorkLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping)
    {
        while (m_next < m_jobs.size() && m_jobs[m_next].state != State::Queued)
            ++m_next;
        if (m_next >= m_jobs.size())
        {
            // WaitForWorkers may be waiting for the last one.
            m_done.notify_all();
            return;
        }
        Job& job = m_jobs[m_next++];
        job.state = State::Decoding;
        ++m_busy;
        lock.unlock();
        const auto started = std::chrono::steady_clock::now();
        Decode(job);
        Profiler::Count("texture decoding on worker threads", MsSince(started));
        lock.lock();
        job.state = State::Done;
        --m_busy;
        m_done.notify_all();
    }
}

void TexturePredecoder::WaitForWorkers()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_workers.empty())
        return;
    m_done.wait(lock, [this] {
        if (m_busy > 0)
            return false;
        for (const Job& job : m_jobs)
            if (job.state == State::Queued)
                return false;
        return true;
    });
}

bool TexturePredecoder::Take(const std::string& path, int imageType, DecodedImage* image)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto found = m_index.find(NormalPath(path));
    if (found == m_index.end())
        return false;
    Job& job = m_jobs[found->second];
    if (job.imageType != imageType || job.state == State::Taken)
        return false;
    if (job.state == State::Queued)
    {
        // Nobody has started it: decoding it here is quicker than waiting for a worker.
        job.state = State::Decoding;
        lock.unlock();
        const auto started = std::chrono::steady_clock::now();
        Decode(job);
        Profiler::Count("texture decoding on the render thread", MsSince(started));
        lock.lock();
        job.state = State::Done;
        m_done.notify_all();
    }
    else if (job.state == State::Decoding)
    {
        const auto started = std::chrono::steady_clock::now();
        m_done.wait(lock, [&] { return job.state == State::Done; });
        Profiler::Count("waiting for a worker's texture", MsSince(started));
    }
    job.state = State::Taken;
    DecodedImage decoded = std::move(job.image);
    job.image = DecodedImage{};
    const bool decodedOk = job.decoded;
    const uintmax_t size = job.size;
    const int64_t modified = job.modified;
    const std::string filePath = job.filePath;
    lock.unlock();
    // A failed decode, or a file that has changed since, is left to the ordinary load, which
    // gives its own result and message.
    uintmax_t nowSize = 0;
    int64_t nowModified = 0;
    if (!decodedOk || !FileStamp(filePath, &nowSize, &nowModified) || nowSize != size || nowModified != modified)
        return false;
    *image = std::move(decoded);
    Profiler::Count("textures taken decoded", 0.0);
    return true;
}

// The ffmpeg capture: one process, two pipes, two writer threads. The video thread writes each
// frame's rows last first, so the video is upright without a copy; the audio thread renders the
// whole soundtrack (its length is fixed by the frame count) and writes it as fast as ffmpeg takes
// it. The two writers never wait for each other: ffmpeg reads its inputs in whatever order it
// likes (while it probes them at start it reads one and then the other), and each pipe always
// has data coming. The process and its pipes are the platform's (FfmpegProcess.h).
#include "capture/VideoCapture.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "capture/FfmpegProcess.h"
#include "support/Profiler.h"

namespace {

std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

class VideoSink : public FrameSink
{
public:
    VideoSink(const VideoCaptureSettings& settings, std::unique_ptr<MusicStream> soundtrack)
        : m_settings(settings), m_soundtrack(std::move(soundtrack)),
          m_maxQueued(FramesToQueue(settings.width, settings.height, 3))
    {
    }

    ~VideoSink() override
    {
        std::string ignored;
        Finish(&ignored);
    }

    bool Start(const std::string& program, std::string* error)
    {
        m_process = StartFfmpeg(program, FfmpegArguments(m_settings, m_soundtrack->SampleRate()), error);
        if (!m_process)
            return false;
        m_videoThread = std::thread([this] { VideoLoop(); });
        m_audioThread = std::thread([this] { AudioLoop(); });
        return true;
    }

    bool Write(std::vector<uint8_t>&& bgra) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        {
            const Profiler::Scope wait(Profiler::kEncoderWait);
            m_changed.wait(lock, [this] { return m_queue.size() < m_maxQueued || m_failed; });
        }
        if (m_failed)
            return false;
        m_queue.push_back(std::move(bgra));
        ++m_framesAccepted;
        m_changed.notify_all();
        return true;
    }

    bool Finish(std::string* error) override
    {
        if (m_finished)
            return m_finishResult;
        m_finished = true;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closing = true;
            m_changed.notify_all();
        }
        if (m_videoThread.joinable())
            m_videoThread.join();
        if (m_audioThread.joinable())
            m_audioThread.join();
        std::string how;
        const bool exitedCleanly = !m_process || m_process->Wait(&how);
        if (exitedCleanly && !m_failed && m_framesAccepted != m_settings.frames)
        {
            *error = "the show gave " + std::to_string(m_framesAccepted) + " of the " +
                     std::to_string(m_settings.frames) + " frames the capture " + m_settings.path +
                     " was made for; its soundtrack does not fit";
            m_finishResult = false;
            return false;
        }
        if (!exitedCleanly)
        {
            *error = "ffmpeg could not write " + m_settings.path + " (" + how + ")";
        }
        else if (m_failed)
        {
            *error = "the frames could not be sent to ffmpeg for " + m_settings.path + ": " + m_writeError;
        }
        m_finishResult = exitedCleanly && !m_failed;
        return m_finishResult;
    }

private:
    void Fail(const std::string& what)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_failed)
            m_writeError = what;
        m_failed = true;
        m_changed.notify_all();
    }

    void VideoLoop()
    {
        const size_t rowBytes = static_cast<size_t>(m_settings.width) * 4;
        for (;;)
        {
            std::vector<uint8_t> frame;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing || m_failed; });
                if (m_failed || m_queue.empty())
                    break;
                frame = std::move(m_queue.front());
                m_queue.pop_front();
                m_changed.notify_all();
            }
            // GL's bottom row first becomes the video's top row first.
            std::string reason;
            const bool written = m_process->WriteVideoRowsLastFirst(frame.data(), rowBytes, m_settings.height, &reason);
            Recycle(std::move(frame));
            if (!written)
            {
                Fail("video pipe: " + reason);
                break;
            }
        }
        // ffmpeg sees the end of the video once this end is closed.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_process->CloseVideo();
    }

    void AudioLoop()
    {
        const int64_t total = SamplesForFrames(m_settings.frames, m_soundtrack->SampleRate(),
                                               m_settings.fpsNumerator, m_settings.fpsDenominator);
        std::vector<int16_t> buffer(2 * 4096);
        for (int64_t written = 0; written < total;)
        {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_failed)
                    break;
            }
            const size_t chunk = static_cast<size_t>(std::min<int64_t>(total - written, 4096));
            m_soundtrack->Render(buffer.data(), chunk);
            std::string reason;
            if (!m_process->WriteAudio(reinterpret_cast<const uint8_t*>(buffer.data()),
                                       chunk * kMusicChannels * sizeof(int16_t), &reason))
            {
                Fail("audio pipe: " + reason);
                break;
            }
            written += static_cast<int64_t>(chunk);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_process->CloseAudio();
    }

    VideoCaptureSettings m_settings;
    std::unique_ptr<MusicStream> m_soundtrack;
    size_t m_maxQueued;
    std::unique_ptr<FfmpegProcess> m_process;
    std::thread m_videoThread;
    std::thread m_audioThread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<uint8_t>> m_queue;
    int64_t m_framesAccepted = 0;
    bool m_closing = false;
    bool m_failed = false;
    std::string m_writeError;
    bool m_finished = false;
    bool m_finishResult = false;
};

} // namespace

std::vector<std::string> FfmpegArguments(const VideoCaptureSettings& settings, int sampleRate)
{
    const std::string extension = LowerExtension(settings.path);
    std::vector<std::string> arguments = {
        "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
        // The frames, as the demo renders them.
        "-f", "rawvideo", "-pix_fmt", "bgra",
        "-video_size", std::to_string(settings.width) + "x" + std::to_string(settings.height),
        "-framerate", std::to_string(settings.fpsNumerator) + "/" + std::to_string(settings.fpsDenominator),
        "-i", "pipe:0",
        // The soundtrack.
        "-f", "s16le", "-ar", std::to_string(sampleRate), "-ac", "2", "-i", "pipe:3",
        "-map", "0:v:0", "-map", "1:a:0"};
    // 4:2:0 video needs even sides: an odd size gets one black row or column.
    if (settings.width % 2 != 0 || settings.height % 2 != 0)
        arguments.insert(arguments.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
    if (extension == ".webm")
        arguments.insert(arguments.end(), {"-c:v", "libvpx-vp9", "-crf", "31", "-b:v", "0", "-deadline", "good",
                                           "-cpu-used", "4", "-pix_fmt", "yuv420p", "-c:a", "libopus", "-b:a",
                                           "160k", "-ar", "48000"});
    else
        arguments.insert(arguments.end(), {"-c:v", "libx264", "-preset", "fast", "-crf", "18", "-pix_fmt", "yuv420p"});
    if (extension == ".mp4")
        arguments.insert(arguments.end(), {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"});
    else if (extension == ".mkv")
        arguments.insert(arguments.end(), {"-c:a", "flac"});
    // No dates, version strings or random ids in the file: the same show gives the same bytes.
    arguments.insert(arguments.end(), {"-map_metadata", "-1", "-fflags", "+bitexact", "-flags:v", "+bitexact",
                                       "-flags:a", "+bitexact", settings.path});
    return arguments;
}

std::unique_ptr<FrameSink> CreateVideoSink(const VideoCaptureSettings& settings,
                                           std::unique_ptr<MusicStream> soundtrack, std::string* error)
{
    const std::string program = FindProgram(settings.ffmpeg);
    if (program.empty())
    {
        *error = "ffmpeg not found: install ffmpeg to capture video (or capture PNG frames to a directory)";
        return nullptr;
    }
    const std::filesystem::path parent = std::filesystem::path(settings.path).parent_path();
    std::error_code code;
    if (!parent.empty() && !std::filesystem::is_directory(parent, code))
    {
        *error = "cannot write " + settings.path + ": the directory " + parent.string() + " does not exist";
        return nullptr;
    }
    if (!soundtrack)
        soundtrack = std::make_unique<MusicStream>(nullptr, 100);
    auto sink = std::make_unique<VideoSink>(settings, std::move(soundtrack));
    if (!sink->Start(program, error))
        return nullptr;
    return sink;
}

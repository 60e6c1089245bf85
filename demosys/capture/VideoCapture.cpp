// The ffmpeg capture: one process, two pipes, two writer threads. The video thread converts
// each frame to the encoder's 4:2:0 (turning it upright on the way) and writes it; the audio
// thread renders the whole soundtrack (its length is fixed by the frame count) and writes it as
// fast as ffmpeg takes it. The two writers never wait for each other: ffmpeg reads its inputs in whatever order it
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
#include "capture/Yuv420.h"
#include "support/Profiler.h"

namespace {

std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// What each --video-quality gives the encoders, chosen by measurement at 1920x1080 against the
// uncompressed frames (docs/performance.md). Good keeps at least the PSNR and SSIM of the
// encoder the capture had before the option (x264 preset fast, CRF 18) in two thirds of its
// time or less; fast takes an eighth of it, for previews in larger files; best gives 2 to 3 dB
// more in two to three times the time.
struct EncoderSetting
{
    const char* x264Preset;
    const char* x264Crf;
    const char* vp9Deadline;
    const char* vp9CpuUsed;
    const char* vp9Crf;
};

EncoderSetting SettingFor(VideoQuality quality)
{
    switch (quality)
    {
    case VideoQuality::Fast:
        return {"ultrafast", "18", "realtime", "8", "31"};
    case VideoQuality::Best:
        return {"slow", "14", "good", "2", "28"};
    case VideoQuality::Good:
        break;
    }
    return {"veryfast", "15", "good", "4", "31"};
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
        // One converted frame, written while the next ones wait in the queue as BGRA.
        std::vector<uint8_t> yuv(Yuv420FrameBytes(m_settings.width, m_settings.height));
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
            ConvertBgraToYuv420(frame.data(), m_settings.width, m_settings.height, yuv.data());
            Recycle(std::move(frame));
            std::string reason;
            if (!m_process->WriteVideo(yuv.data(), yuv.size(), &reason))
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

std::vector<std::string> VideoEncoderArguments(const std::string& path, VideoQuality quality)
{
    const EncoderSetting setting = SettingFor(quality);
    const std::string threads = std::to_string(kVideoEncoderThreads);
    if (LowerExtension(path) == ".webm")
        return {"-c:v", "libvpx-vp9", "-crf", setting.vp9Crf, "-b:v", "0", "-deadline", setting.vp9Deadline,
                "-cpu-used", setting.vp9CpuUsed, "-threads", threads, "-pix_fmt", "yuv420p"};
    return {"-c:v", "libx264", "-preset", setting.x264Preset, "-crf", setting.x264Crf, "-threads", threads,
            "-pix_fmt", "yuv420p"};
}

std::vector<std::string> FfmpegArguments(const VideoCaptureSettings& settings, int sampleRate)
{
    const std::string extension = LowerExtension(settings.path);
    std::vector<std::string> arguments = {
        "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
        // The frames, converted and padded to even sides by the writer.
        "-f", "rawvideo", "-pix_fmt", "yuv420p",
        "-video_size", std::to_string(Yuv420Side(settings.width)) + "x" + std::to_string(Yuv420Side(settings.height)),
        "-framerate", std::to_string(settings.fpsNumerator) + "/" + std::to_string(settings.fpsDenominator),
        "-i", "pipe:0",
        // The soundtrack.
        "-f", "s16le", "-ar", std::to_string(sampleRate), "-ac", "2", "-i", "pipe:3",
        "-map", "0:v:0", "-map", "1:a:0"};
    const std::vector<std::string> video = VideoEncoderArguments(settings.path, settings.quality);
    arguments.insert(arguments.end(), video.begin(), video.end());
    if (extension == ".webm")
        arguments.insert(arguments.end(), {"-c:a", "libopus", "-b:a", "160k", "-ar", "48000"});
    else if (extension == ".mp4")
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

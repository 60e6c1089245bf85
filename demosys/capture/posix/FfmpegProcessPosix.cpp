// The ffmpeg child on Linux: posix_spawn with the frames' pipe on its descriptor 0, the
// soundtrack's on descriptor 3 ("pipe:3") and standard output on /dev/null. SIGPIPE is blocked
// on the writer threads: a failed ffmpeg shows up as a write error, not a killed demo.
#include "capture/FfmpegProcess.h"
#include "capture/VideoCapture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Once per writer thread, before its first write.
void BlockSigpipeOnThisThread()
{
    thread_local bool blocked = false;
    if (blocked)
        return;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    blocked = true;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// A pipe whose ends are close-on-exec and numbered 10 or above, so that moving the read end to
// the child's descriptor 0 or 3 never collides with one of them.
bool MakePipe(int* readEnd, int* writeEnd)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return false;
    for (int& end : ends)
    {
        const int moved = fcntl(end, F_DUPFD_CLOEXEC, 10);
        close(end);
        end = moved;
    }
    if (ends[0] < 0 || ends[1] < 0)
    {
        CloseFd(ends[0]);
        CloseFd(ends[1]);
        return false;
    }
    *readEnd = ends[0];
    *writeEnd = ends[1];
    return true;
}

class PosixFfmpegProcess : public FfmpegProcess
{
public:
    ~PosixFfmpegProcess() override
    {
        std::string ignored;
        Wait(&ignored);
    }

    bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string* error)
    {
        int videoRead = -1;
        int audioRead = -1;
        if (!MakePipe(&videoRead, &m_videoFd) || !MakePipe(&audioRead, &m_audioFd))
        {
            *error = std::string("cannot make the pipes to ffmpeg: ") + std::strerror(errno);
            CloseFd(videoRead);
            CloseFd(audioRead);
            return false;
        }
        std::vector<std::string> all = arguments;
        all.insert(all.begin(), program);
        std::vector<char*> argv;
        for (std::string& argument : all)
            argv.push_back(argument.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, videoRead, 0);
        posix_spawn_file_actions_adddup2(&actions, audioRead, 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const int status = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        CloseFd(videoRead);
        CloseFd(audioRead);
        if (status != 0)
        {
            *error = "cannot start " + program + ": " + std::strerror(status);
            m_pid = -1;
            CloseFd(m_videoFd);
            CloseFd(m_audioFd);
            return false;
        }
        return true;
    }

    bool WriteVideo(const uint8_t* data, size_t size, std::string* error) override
    {
        BlockSigpipeOnThisThread();
        if (WriteAll(m_videoFd, data, size))
            return true;
        *error = std::strerror(errno);
        return false;
    }

    bool WriteAudio(const uint8_t* data, size_t size, std::string* error) override
    {
        BlockSigpipeOnThisThread();
        if (WriteAll(m_audioFd, data, size))
            return true;
        *error = std::strerror(errno);
        return false;
    }

    void CloseVideo() override { CloseFd(m_videoFd); }
    void CloseAudio() override { CloseFd(m_audioFd); }

    bool Wait(std::string* how) override
    {
        CloseFd(m_videoFd);
        CloseFd(m_audioFd);
        if (m_pid > 0)
        {
            int status = 0;
            while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR)
            {
            }
            m_pid = -1;
            m_exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (!m_exitedCleanly)
                m_how = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                          : "signal " + std::to_string(WTERMSIG(status));
        }
        *how = m_how;
        return m_exitedCleanly;
    }

private:
    pid_t m_pid = -1;
    int m_videoFd = -1;
    int m_audioFd = -1;
    bool m_exitedCleanly = true;   // until a wait says otherwise
    std::string m_how;
};

} // namespace

std::unique_ptr<FfmpegProcess> StartFfmpeg(const std::string& program, const std::vector<std::string>& arguments,
                                           std::string* error)
{
    auto process = std::make_unique<PosixFfmpegProcess>();
    if (!process->Start(program, arguments, error))
        return nullptr;
    return process;
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t written = write(fd, data, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

std::string FindProgram(const std::string& program)
{
    if (program.empty())
        return {};
    if (program.find('/') != std::string::npos)
        return IsExecutableFile(program) ? program : std::string();
    const char* pathVariable = std::getenv("PATH");
    const std::string path = pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= path.size())
    {
        size_t end = path.find(':', begin);
        if (end == std::string::npos)
            end = path.size();
        const std::string directory = end > begin ? path.substr(begin, end - begin) : ".";
        const std::string candidate = directory + "/" + program;
        if (IsExecutableFile(candidate))
            return candidate;
        begin = end + 1;
    }
    return {};
}

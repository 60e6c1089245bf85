// The ffmpeg child on Windows: CreateProcess with the frames' pipe as its standard input and
// standard output on NUL. A Windows child has no descriptor 3, so the soundtrack goes through a
// named pipe of our own, whose name takes the place of "pipe:3" in the arguments; ffmpeg opens
// it like a file. Waiting for ffmpeg to open it also watches the process, so an ffmpeg that
// fails before it gets there is a write error, never a hang.
#include "capture/FfmpegProcess.h"
#include "capture/VideoCapture.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "platform/win32/Win32Text.h"

namespace {

std::string SystemErrorText(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length > 0 ? WideToUtf8(std::wstring(text, length)) : "error " + std::to_string(code);
    if (text != nullptr)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

// One argument quoted for the command line the C runtime splits into argv again: quotes around
// anything with spaces, tabs or quotes; backslashes doubled before a quote.
std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument)
    {
        if (c == L'\\')
        {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(2 * backslashes, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The name itself, or with ".exe" when it has no extension.
std::wstring ExecutableIn(const std::wstring& candidate)
{
    if (IsFile(candidate))
        return candidate;
    const size_t slash = candidate.find_last_of(L"\\/");
    const size_t dot = candidate.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        if (IsFile(candidate + L".exe"))
            return candidate + L".exe";
    return {};
}

void CloseHandleOnce(HANDLE& handle)
{
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    handle = nullptr;
}

class Win32FfmpegProcess : public FfmpegProcess
{
public:
    ~Win32FfmpegProcess() override
    {
        std::string ignored;
        Wait(&ignored);
        CloseHandleOnce(m_process);
        CloseHandleOnce(m_audioEvent);
    }

    bool Start(const std::string& program, std::vector<std::string> arguments, std::string* error)
    {
        static std::atomic<unsigned> counter{0};
        const std::wstring pipeName = L"\\\\.\\pipe\\zarnovelt-soundtrack-" + std::to_wstring(GetCurrentProcessId()) +
                                      L"-" + std::to_wstring(counter++);
        m_audio = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 1 << 16, 0, 0, nullptr);
        m_audioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE videoRead = nullptr;
        HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                 nullptr);
        if (m_audio == INVALID_HANDLE_VALUE || m_audioEvent == nullptr || nul == INVALID_HANDLE_VALUE ||
            !CreatePipe(&videoRead, &m_video, &inherit, 1 << 16) ||
            !SetHandleInformation(m_video, HANDLE_FLAG_INHERIT, 0))
        {
            *error = "cannot make the pipes to ffmpeg: " + SystemErrorText(GetLastError());
            CloseHandleOnce(videoRead);
            CloseHandleOnce(nul);
            return false;
        }

        std::wstring commandLine = QuoteArgument(Utf8ToWide(program));
        for (std::string& argument : arguments)
        {
            const std::wstring wide = argument == "pipe:3" ? pipeName : Utf8ToWide(argument);
            commandLine += L" " + QuoteArgument(wide);
        }
        // ffmpeg's own messages go where ours go.
        HANDLE errors = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &errors, 0, TRUE,
                        DUPLICATE_SAME_ACCESS);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = videoRead;
        startup.hStdOutput = nul;
        startup.hStdError = errors != nullptr ? errors : nul;
        PROCESS_INFORMATION process{};
        const std::wstring application = Utf8ToWide(program);
        const BOOL started = CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                            CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
        const DWORD startError = GetLastError();
        CloseHandleOnce(videoRead);
        CloseHandleOnce(nul);
        CloseHandleOnce(errors);
        if (!started)
        {
            *error = "cannot start " + program + ": " + SystemErrorText(startError);
            return false;
        }
        CloseHandle(process.hThread);
        m_process = process.hProcess;
        return true;
    }

    bool WriteVideo(const uint8_t* data, size_t size, std::string* error) override
    {
        return WriteBlocking(m_video, data, size, error);
    }

    bool WriteAudio(const uint8_t* data, size_t size, std::string* error) override
    {
        if (!m_audioConnected && !ConnectAudio(error))
            return false;
        while (size > 0)
        {
            OVERLAPPED overlapped{};
            overlapped.hEvent = m_audioEvent;
            ResetEvent(m_audioEvent);
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1 << 20));
            DWORD written = 0;
            if (!WriteFile(m_audio, data, chunk, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING)
                return Failed(error);
            if (!GetOverlappedResult(m_audio, &overlapped, &written, TRUE))
                return Failed(error);
            data += written;
            size -= written;
        }
        return true;
    }

    void CloseVideo() override { CloseHandleOnce(m_video); }

    void CloseAudio() override
    {
        if (m_audio != nullptr && m_audio != INVALID_HANDLE_VALUE && m_audioConnected)
            FlushFileBuffers(m_audio);
        CloseHandleOnce(m_audio);
    }

    bool Wait(std::string* how) override
    {
        CloseVideo();
        CloseAudio();
        if (m_process != nullptr && !m_waited)
        {
            WaitForSingleObject(m_process, INFINITE);
            DWORD code = 1;
            GetExitCodeProcess(m_process, &code);
            m_waited = true;
            m_exitedCleanly = code == 0;
            if (!m_exitedCleanly)
                m_how = "exit status " + std::to_string(code);
        }
        *how = m_how;
        return m_exitedCleanly;
    }

private:
    static bool Failed(std::string* error)
    {
        const DWORD code = GetLastError();
        *error = code == ERROR_BROKEN_PIPE || code == ERROR_NO_DATA ? "Broken pipe" : SystemErrorText(code);
        return false;
    }

    static bool WriteBlocking(HANDLE handle, const uint8_t* data, size_t size, std::string* error)
    {
        while (size > 0)
        {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1 << 20));
            if (!WriteFile(handle, data, chunk, &written, nullptr))
                return Failed(error);
            data += written;
            size -= written;
        }
        return true;
    }

    // Waits until ffmpeg opens the soundtrack's pipe, or ends without doing so.
    bool ConnectAudio(std::string* error)
    {
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_audioEvent;
        ResetEvent(m_audioEvent);
        if (!ConnectNamedPipe(m_audio, &overlapped))
        {
            const DWORD code = GetLastError();
            if (code == ERROR_IO_PENDING)
            {
                const HANDLE waitFor[2] = {m_audioEvent, m_process};
                if (WaitForMultipleObjects(2, waitFor, FALSE, INFINITE) != WAIT_OBJECT_0)
                {
                    CancelIo(m_audio);
                    DWORD ignored = 0;
                    GetOverlappedResult(m_audio, &overlapped, &ignored, TRUE);
                    *error = "ffmpeg ended before it read the soundtrack";
                    return false;
                }
                DWORD ignored = 0;
                if (!GetOverlappedResult(m_audio, &overlapped, &ignored, FALSE))
                    return Failed(error);
            }
            else if (code != ERROR_PIPE_CONNECTED)
            {
                SetLastError(code);
                return Failed(error);
            }
        }
        m_audioConnected = true;
        return true;
    }

    HANDLE m_process = nullptr;
    HANDLE m_video = nullptr;
    HANDLE m_audio = nullptr;
    HANDLE m_audioEvent = nullptr;
    bool m_audioConnected = false;
    bool m_waited = false;
    bool m_exitedCleanly = true;   // until a wait says otherwise
    std::string m_how;
};

} // namespace

std::unique_ptr<FfmpegProcess> StartFfmpeg(const std::string& program, const std::vector<std::string>& arguments,
                                           std::string* error)
{
    auto process = std::make_unique<Win32FfmpegProcess>();
    if (!process->Start(program, arguments, error))
        return nullptr;
    return process;
}

std::string FindProgram(const std::string& program)
{
    if (program.empty())
        return {};
    const std::wstring name = Utf8ToWide(program);
    if (name.find_first_of(L"\\/") != std::wstring::npos)
        return WideToUtf8(ExecutableIn(name));
    const wchar_t* pathVariable = _wgetenv(L"PATH");
    const std::wstring path = pathVariable != nullptr ? pathVariable : L"";
    size_t begin = 0;
    while (begin <= path.size())
    {
        size_t end = path.find(L';', begin);
        if (end == std::wstring::npos)
            end = path.size();
        std::wstring directory = path.substr(begin, end - begin);
        if (directory.size() >= 2 && directory.front() == L'"' && directory.back() == L'"')
            directory = directory.substr(1, directory.size() - 2);
        if (!directory.empty())
        {
            const std::wstring found = ExecutableIn(directory + L"\\" + name);
            if (!found.empty())
                return WideToUtf8(found);
        }
        begin = end + 1;
    }
    return {};
}

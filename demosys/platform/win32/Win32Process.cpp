// The process on Windows: the wide command line as UTF-8 arguments, the console a GUI program
// was started from, the memory counters, the C runtime's environment.
#define PSAPI_VERSION 2
#include "support/Process.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/Win32Text.h"

namespace {

// True when the standard handle already leads somewhere: a pipe, a file or a console that the
// starting program handed over.
bool HandleLeadsSomewhere(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A GUI program starts without a console. When it was started from one (a command prompt), its
// output should reach it: attach, and point the C runtime's streams that lead nowhere at it.
void ConnectToParentConsole()
{
    const bool output = HandleLeadsSomewhere(STD_OUTPUT_HANDLE);
    const bool errors = HandleLeadsSomewhere(STD_ERROR_HANDLE);
    if (output && errors)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!output && std::freopen("CONOUT$", "w", stdout) != nullptr)
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!errors && std::freopen("CONOUT$", "w", stderr) != nullptr)
        std::setvbuf(stderr, nullptr, _IONBF, 0);
}

} // namespace

std::wstring Utf8ToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string WideToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

ProcessStart ReadProcessStart(int argc, char** argv)
{
    ConnectToParentConsole();
    ProcessStart start;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr)
    {
        for (int i = 0; i < count; ++i)
            start.arguments.push_back(WideToUtf8(wide[i]));
        LocalFree(wide);
    }
    else
    {
        for (int i = 0; i < argc; ++i)
            start.arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    start.instance = GetModuleHandleW(nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    start.showMode = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    return start;
}

long PeakResidentKb()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

void SetProcessEnvironment(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// A stand-in for ffmpeg.exe in the Windows checks (scripts/windows-checks.sh puts it on PATH as
// ffmpeg.exe): reads the frames from its standard input and the soundtrack from the second
// input the arguments name (the demo's named pipe), each to its end, and writes the two byte
// counts, "video N audio M", to the output file (the last argument). Exit status 0, or 1 when an
// input cannot be read.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

unsigned long long DrainHandle(HANDLE input)
{
    unsigned long long total = 0;
    static thread_local char buffer[1 << 16];
    DWORD got = 0;
    while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0)
        total += got;
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    const char* secondInput = nullptr;
    int inputs = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-i") == 0 && ++inputs == 2)
            secondInput = argv[i + 1];
    if (argc < 2 || secondInput == nullptr)
        return 1;
    HANDLE audio = CreateFileA(secondInput, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (audio == INVALID_HANDLE_VALUE)
        return 1;
    unsigned long long audioBytes = 0;
    std::thread audioReader([&] { audioBytes = DrainHandle(audio); });
    const unsigned long long videoBytes = DrainHandle(GetStdHandle(STD_INPUT_HANDLE));
    audioReader.join();
    CloseHandle(audio);
    FILE* out = std::fopen(argv[argc - 1], "wb");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "video %llu audio %llu\n", videoBytes, audioBytes);
    return std::fclose(out) == 0 ? 0 : 1;
}

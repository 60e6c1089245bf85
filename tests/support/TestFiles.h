// Files for tests: a scratch directory the test runs in, small pictures written as JPEG, TGA
// and BMP, and the locations of the shared corpora and the generated data.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct Rgb8
{
    uint8_t r, g, b;
};

// Colour of the pixel at (x, y), y counted from the picture's TOP row. Texture coordinate
// t = 0 is the picture's bottom row (y = height - 1).
using PixelFunction = std::function<Rgb8(int x, int y)>;

// Creates a fresh directory, makes it the working directory, and restores the previous one
// (removing the directory) when destroyed.
class ScopedTempDir
{
public:
    ScopedTempDir();
    ~ScopedTempDir();
    const std::string& Path() const { return m_path; }

    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

private:
    std::string m_path;
    std::string m_previous;
};

// Writes a JPEG at quality 100 without chroma subsampling (solid colours survive within a step
// or two). Creates parent directories. (libjpeg on Linux, stb_image_write on Windows.)
bool WriteTestJpeg(const std::string& path, int width, int height, const PixelFunction& pixel);

// Writes an uncompressed 24-bit TGA with the bottom-left origin. Creates parent directories.
bool WriteTestTga(const std::string& path, int width, int height, const PixelFunction& pixel);

// Creates the directories above `path`.
void MakeParentDirectories(const std::string& path);

// A 24-bit bottom-up BMP file with the 14-byte file header, rows padded to four bytes.
std::vector<uint8_t> Bmp24Bytes(int width, int height, const PixelFunction& pixel);

// Writes bytes to a file, creating parent directories.
bool WriteTestFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A solid colour.
PixelFunction Solid(uint8_t r, uint8_t g, uint8_t b);

// One colour left of column splitX, another from it on.
PixelFunction LeftRight(Rgb8 left, Rgb8 right, int splitX);

// A size x size picture: one colour in the middle, another in a band of bandWidth round it.
PixelFunction Framed(Rgb8 middle, Rgb8 band, int size, int bandWidth);

// The shared folder (ZARNOVELT_SHARED), e.g. SharedDir() + "/corpora/bmp/g".
std::string SharedDir();

// The generated data directory (ZARNOVELT_DATA) and the demo executable (ZARNOVELT_BINARY).
std::string DataDir();
std::string DemoBinary();
std::string SourceDir();

// Reads `stream` to its end, appending what it holds to *text (when text is not null).
void AppendStream(FILE* stream, std::string* text);

// Sets an environment variable of this process, or removes it when value is null.
void SetTestEnvironment(const char* name, const char* value);

// Runs a shell command, collecting standard output and standard error together. Returns the
// exit status (-1 when it could not be run).
int RunCommand(const std::string& command, std::string* output);

// Reads a whole file; empty when it cannot be read.
std::vector<uint8_t> ReadTestFile(const std::string& path);

// Sets (or, with a null value, removes) one environment variable for the life of the object.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_had = false;
};

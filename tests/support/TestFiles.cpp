#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

void MakeParentDirectories(const std::string& path)
{
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty())
        fs::create_directories(parent);
}

namespace {

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value ? value : fallback;
}

} // namespace

ScopedTempDir::ScopedTempDir()
{
    m_previous = fs::current_path().string();
    // A name nobody else has: created, not merely looked for, so two tests never share one.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt)
    {
        char name[32];
        std::snprintf(name, sizeof name, "zarnovelt-test-%08x", static_cast<unsigned>(random()));
        const fs::path candidate = fs::temp_directory_path() / name;
        std::error_code error;
        if (fs::create_directory(candidate, error))
            m_path = candidate.string();
    }
    fs::current_path(m_path);
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
    fs::remove_all(m_path, ignored);
}

bool WriteTestTga(const std::string& path, int width, int height, const PixelFunction& pixel)
{
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2; // uncompressed true-colour
    bytes[12] = static_cast<uint8_t>(width & 0xFF);
    bytes[13] = static_cast<uint8_t>(width >> 8);
    bytes[14] = static_cast<uint8_t>(height & 0xFF);
    bytes[15] = static_cast<uint8_t>(height >> 8);
    bytes[16] = 24;
    bytes[17] = 0; // bottom-left origin
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x)
        {
            const Rgb8 colour = pixel(x, row);
            bytes.push_back(colour.b);
            bytes.push_back(colour.g);
            bytes.push_back(colour.r);
        }
    return WriteTestFile(path, bytes);
}

std::vector<uint8_t> Bmp24Bytes(int width, int height, const PixelFunction& pixel)
{
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes(54, 0);
    const auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + stride * static_cast<uint32_t>(height));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int row = height - 1; row >= 0; --row)
    {
        for (int x = 0; x < width; ++x)
        {
            const Rgb8 colour = pixel(x, row);
            bytes.insert(bytes.end(), {colour.b, colour.g, colour.r});
        }
        bytes.resize(bytes.size() + (stride - static_cast<uint32_t>(width) * 3), 0);
    }
    return bytes;
}

bool WriteTestFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    MakeParentDirectories(path);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

PixelFunction Solid(uint8_t r, uint8_t g, uint8_t b)
{
    return [=](int, int) { return Rgb8{r, g, b}; };
}

PixelFunction LeftRight(Rgb8 left, Rgb8 right, int splitX)
{
    return [=](int x, int) { return x < splitX ? left : right; };
}

PixelFunction Framed(Rgb8 middle, Rgb8 band, int size, int bandWidth)
{
    return [=](int x, int y) {
        const bool inBand = x < bandWidth || x >= size - bandWidth || y < bandWidth || y >= size - bandWidth;
        return inBand ? band : middle;
    };
}

std::string SharedDir() { return EnvOr("ZARNOVELT_SHARED", ZARNOVELT_TEST_SHARED); }
std::string DataDir() { return EnvOr("ZARNOVELT_DATA", ZARNOVELT_TEST_DATA); }
std::string DemoBinary() { return EnvOr("ZARNOVELT_BINARY", ZARNOVELT_TEST_BINARY); }
std::string SourceDir() { return EnvOr("ZARNOVELT_SOURCE", ZARNOVELT_TEST_SOURCE); }

void AppendStream(FILE* stream, std::string* text)
{
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), stream)) > 0)
        if (text != nullptr)
            text->append(buffer, got);
}

std::vector<uint8_t> ReadTestFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : m_name(name)
{
    const char* previous = std::getenv(name);
    m_had = previous != nullptr;
    if (m_had)
        m_previous = previous;
    SetTestEnvironment(name, value);
}

ScopedEnvironment::~ScopedEnvironment() { SetTestEnvironment(m_name.c_str(), m_had ? m_previous.c_str() : nullptr); }

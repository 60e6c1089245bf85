#include "support/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string WholeFileResult::Reason(size_t maxBytes) const
{
    if (tooLarge)
        return "the file is larger than " + std::to_string(maxBytes >> 20) + " MB";
    return std::strerror(errorCode != 0 ? errorCode : EIO);
}

WholeFileResult ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, size_t maxBytes)
{
    WholeFileResult result;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        result.errorCode = errno;
        return result;
    }
    result.opened = true;
    std::vector<uint8_t> content;
    uint8_t chunk[65536];
    size_t got = 0;
    errno = 0;
    while (content.size() <= maxBytes && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        content.insert(content.end(), chunk, chunk + got);
    if (std::ferror(file))
        result.errorCode = errno != 0 ? errno : EIO;
    std::fclose(file);
    if (result.errorCode != 0)
        return result;
    if (content.size() > maxBytes)
    {
        result.tooLarge = true;
        return result;
    }
    *bytes = std::move(content);
    result.ok = true;
    return result;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
    {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed)
    {
        *error = "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO);
        std::remove(path.c_str());
        return false;
    }
    return true;
}

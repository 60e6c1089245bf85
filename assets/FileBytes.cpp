#include "FileBytes.h"

#include <cstdio>
#include <cstdlib>

FileRead ReadFileBytes(const char* fileName, unsigned char** bytes, size_t* size)
{
    *bytes = nullptr;
    *size = 0;
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr)
        return FileRead::CannotOpen;
    FileRead result = FileRead::CannotOpen;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    if (length > 0 && static_cast<unsigned long>(length) > kMaxFileBytes)
    {
        result = FileRead::OutOfMemory;
    }
    else if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0)
    {
        *bytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(length)));
        if (*bytes == nullptr)
            result = FileRead::OutOfMemory;
        else if (std::fread(*bytes, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length))
            result = FileRead::Ok;
    }
    std::fclose(file);
    if (result == FileRead::Ok)
    {
        *size = static_cast<size_t>(length);
    }
    else
    {
        std::free(*bytes);
        *bytes = nullptr;
    }
    return result;
}

// Reading a whole file into memory, for the readers that parse bytes (.bmp, .ms3d).
#pragma once

#include <cstddef>

enum class FileRead
{
    Ok,
    CannotOpen,     // cannot be opened or read, or holds no bytes at all
    OutOfMemory,    // larger than kMaxFileBytes, or the block could not be allocated
};

// No file the readers accept comes near this; larger ones are not read into memory.
constexpr size_t kMaxFileBytes = size_t{1} << 30;

// The whole file in one malloc'ed block (*bytes, freed by the caller with free) of *size
// bytes, read with a single fread. On failure *bytes is null and *size 0.
FileRead ReadFileBytes(const char* fileName, unsigned char** bytes, size_t* size);

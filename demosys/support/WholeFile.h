// The one way the library reads a data file: all of it into memory, up to a limit, so that a
// path to a device, an endless pipe or a runaway file cannot use up the memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Data files the library reads (pictures, music) are a few megabytes; this is far above any.
constexpr size_t kMaxDataFileBytes = size_t(256) << 20;

struct WholeFileResult
{
    bool ok = false;
    int errorCode = 0;       // errno of a failed open or read; 0 otherwise
    bool tooLarge = false;   // the file holds more than the limit
    bool opened = false;     // the file could be opened (it exists and may be read)

    explicit operator bool() const { return ok; }

    // "No such file or directory", "the file is larger than 16 MB", ...
    std::string Reason(size_t maxBytes) const;
};

// Reads the whole file into *bytes (replaced only on success). Reads in chunks rather than
// trusting a size from seeking, which pipes and special files do not report; a directory opens
// but fails on its first read.
WholeFileResult ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes,
                              size_t maxBytes = kMaxDataFileBytes);

// Writes bytes as the whole of the file at path, replacing it. False with "cannot create PATH:
// reason" or "cannot write PATH: reason" in *error; a file that could not be written to its end
// (a full disk shows only when the buffered tail is flushed) is removed, so no half-written file
// is left where a finished one is expected.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

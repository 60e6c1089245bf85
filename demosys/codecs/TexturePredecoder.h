// Texture decoding on every core while the show loads. The effects load their textures one by
// one from Init, on the library's thread; before that, the context is created, which keeps one
// core busy and leaves the others idle. So before the context is opened every JPEG and TGA
// under the data directory is queued and decoded on worker threads, and DEMOGL_TextureLoad
// takes the decoded picture instead of decoding it itself.
//
// What holds: a load gives exactly what it would give without the predecoder. A picture is
// only handed over when it was decoded without error from the file as it is now (same size and
// modification time) and with the type the load asks for; anything else (a missing file, a
// damaged one, another type, a file changed meanwhile, a second load of one file) goes the
// ordinary way, so every message and every failure is the same. A load that finds its picture
// still queued decodes it on its own thread rather than wait; one that finds it being decoded
// waits for it. Pictures no load took are freed when loading ends.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codecs/ImageCodec.h"

class TexturePredecoder
{
public:
    // Limits that keep a scan of an unexpected directory cheap.
    static constexpr int kMaxDepth = 4;
    static constexpr size_t kMaxFiles = 1024;
    static constexpr uintmax_t kMaxFileBytes = 64u << 20;
    static constexpr uintmax_t kMaxTotalBytes = 256u << 20;

    TexturePredecoder() = default;
    ~TexturePredecoder();
    TexturePredecoder(const TexturePredecoder&) = delete;
    TexturePredecoder& operator=(const TexturePredecoder&) = delete;

    // Queues every .jpg, .jpeg and .tga file (any case) under `directory` and starts `workers`
    // threads on them (0: the loads decode everything themselves, in their own order). Paths
    // are remembered relative to `directory`, as the effects name them.
    void Start(const std::string& directory, unsigned workers);

    // Stops the workers and frees the pictures no load took.
    void Stop();

    // The decoded picture of `path` (relative to the directory, "/" separators) for a load of
    // `imageType` (kImageTypeJpeg, kImageTypeTga), moved into *image. False when the load has
    // to read and decode the file itself.
    bool Take(const std::string& path, int imageType, DecodedImage* image);

    // Waits until the workers have taken every queued file and finished it (tests).
    void WaitForWorkers();

    // The files queued by the last Start.
    size_t QueuedFiles() const { return m_jobs.size(); }

private:
    enum class State
    {
        Queued,
        Decoding,
        Done,
        Taken,
    };

    struct Job
    {
        std::string path;          // as the effects name it
        std::string filePath;      // as it is opened
        int imageType = 0;
        State state = State::Queued;
        bool decoded = false;
        uintmax_t size = 0;        // the file when it was read
        int64_t modified = 0;
        DecodedImage image;
    };

    void WorkLoop();
    // Reads and decodes a job's file; the lock is not held.
    static void Decode(Job& job);

    std::mutex m_mutex;
    std::condition_variable m_done;
    std::vector<Job> m_jobs;
    std::map<std::string, size_t> m_index;
    size_t m_next = 0;
    size_t m_busy = 0;          // jobs a worker is decoding
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

// The file's size and modification time (ns); false when it cannot be examined.
bool FileStamp(const std::string& path, uintmax_t* size, int64_t* modified);

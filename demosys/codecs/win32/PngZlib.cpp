// PNG on Windows: written by our own encoder over zlib (8-bit RGB, the row filters and zlib
// settings of PngCompression); read through stb_image (codecs/stb).
#include "codecs/ImageCodec.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

#include "codecs/CodecCommon.h"
#include "support/WholeFile.h"

static_assert(kPngStrategyRle == Z_RLE, "kPngStrategyRle names zlib's Z_RLE");

namespace {

void PutU32(std::vector<uint8_t>* out, uint32_t value)
{
    out->push_back(static_cast<uint8_t>(value >> 24));
    out->push_back(static_cast<uint8_t>(value >> 16));
    out->push_back(static_cast<uint8_t>(value >> 8));
    out->push_back(static_cast<uint8_t>(value));
}

// Appends a chunk: length, type, data, CRC over type and data.
void PutChunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data, size_t size)
{
    PutU32(out, static_cast<uint32_t>(size));
    const size_t typeAt = out->size();
    out->insert(out->end(), type, type + 4);
    if (size > 0)
        out->insert(out->end(), data, data + size);
    const uLong crc = crc32(0L, out->data() + typeAt, static_cast<uInt>(size + 4));
    PutU32(out, static_cast<uint32_t>(crc));
}

uint8_t Paeth(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return static_cast<uint8_t>(left);
    return static_cast<uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// Filters one row of RGB bytes with PNG filter `type` (0..4) into `out` (without the type byte).
void FilterRow(int type, const uint8_t* row, const uint8_t* previous, size_t bytes, uint8_t* out)
{
    for (size_t i = 0; i < bytes; ++i)
    {
        const int left = i >= 3 ? row[i - 3] : 0;
        const int up = previous != nullptr ? previous[i] : 0;
        const int upLeft = previous != nullptr && i >= 3 ? previous[i - 3] : 0;
        int predicted = 0;
        switch (type)
        {
        case 1: predicted = left; break;
        case 2: predicted = up; break;
        case 3: predicted = (left + up) / 2; break;
        case 4: predicted = Paeth(left, up, upLeft); break;
        default: break;
        }
        out[i] = static_cast<uint8_t>(row[i] - predicted);
    }
}

// The filter for a row: the only one allowed, or among several the one whose output has the
// smallest sum of absolute values (the usual choice of PNG encoders).
int ChooseFilter(int allowed, const uint8_t* row, const uint8_t* previous, size_t bytes, std::vector<uint8_t>* scratch)
{
    const int only = SinglePngFilter(allowed);
    if (only >= 0)
        return only;
    static const int kBits[5] = {kPngFilterNone, kPngFilterSub, kPngFilterUp, kPngFilterAverage, kPngFilterPaeth};
    int best = -1;
    uint64_t bestCost = 0;
    for (int type = 0; type < 5; ++type)
    {
        if ((allowed & kBits[type]) == 0)
            continue;
        FilterRow(type, row, previous, bytes, scratch->data());
        uint64_t cost = 0;
        for (size_t i = 0; i < bytes; ++i)
            cost += static_cast<uint64_t>(std::abs(static_cast<int8_t>((*scratch)[i])));
        if (best < 0 || cost < bestCost)
        {
            best = type;
            bestCost = cost;
        }
    }
    return best;
}

// The PNG file in memory. False with the reason when zlib fails.
bool EncodePng(int width, int height, const uint8_t* bgra, bool bottomRowFirst, const PngCompression& compression,
               std::vector<uint8_t>* file, std::string* reason)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    int allowed = compression.filters & (kPngFilterNone | kPngFilterSub | kPngFilterUp | kPngFilterAverage |
                                         kPngFilterPaeth);
    if (allowed == 0)
        allowed = kPngFilterNone | kPngFilterSub | kPngFilterUp | kPngFilterAverage | kPngFilterPaeth;

    z_stream stream{};
    const int strategy = compression.strategy >= 0 ? compression.strategy : Z_DEFAULT_STRATEGY;
    if (deflateInit2(&stream, std::clamp(compression.level, 0, 9), Z_DEFLATED, 15, 8, strategy) != Z_OK)
    {
        *reason = "zlib cannot start";
        return false;
    }
    std::vector<uint8_t> compressed;
    std::vector<uint8_t> row(rowBytes), previous(rowBytes), filtered(rowBytes + 1), scratch(rowBytes);
    uint8_t buffer[65536];
    bool ok = true;
    for (int y = 0; y < height && ok; ++y)
    {
        BgraRowToRgb(bgra, width, height, y, bottomRowFirst, row.data());
        const uint8_t* above = y > 0 ? previous.data() : nullptr;
        const int type = ChooseFilter(allowed, row.data(), above, rowBytes, &scratch);
        filtered[0] = static_cast<uint8_t>(type);
        FilterRow(type, row.data(), above, rowBytes, filtered.data() + 1);
        stream.next_in = filtered.data();
        stream.avail_in = static_cast<uInt>(filtered.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        int status = Z_OK;
        do
        {
            stream.next_out = buffer;
            stream.avail_out = sizeof buffer;
            status = deflate(&stream, flush);
            compressed.insert(compressed.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0 && status != Z_STREAM_ERROR);
        ok = status != Z_STREAM_ERROR && (flush != Z_FINISH || status == Z_STREAM_END);
        row.swap(previous);
    }
    deflateEnd(&stream);
    if (!ok)
    {
        *reason = "zlib cannot compress the picture";
        return false;
    }

    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    file->assign(kSignature, kSignature + 8);
    std::vector<uint8_t> header;
    PutU32(&header, static_cast<uint32_t>(width));
    PutU32(&header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});   // 8-bit RGB, deflate, adaptive filters, no interlace
    PutChunk(file, "IHDR", header.data(), header.size());
    PutChunk(file, "IDAT", compressed.data(), compressed.size());
    PutChunk(file, "IEND", nullptr, 0);
    return true;
}

} // namespace

bool WritePngBgraRows(const std::string& path, int width, int height, const uint8_t* bgra, bool bottomRowFirst,
                      const PngCompression& compression, std::string* error)
{
    if (width <= 0 || height <= 0 || bgra == nullptr)
        return CodecFail(error, "no picture to write to " + path);
    std::vector<uint8_t> file;
    std::string reason;
    if (!EncodePng(width, height, bgra, bottomRowFirst, compression, &file, &reason))
        return CodecFail(error, "cannot write " + path + ": " + reason);
    return WriteWholeFile(path, file, &reason) || CodecFail(error, reason);
}

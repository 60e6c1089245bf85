// libFuzzer target for the DIB decoder: any bytes must be refused or decoded within bounds.
// The output is read in full, so a record whose size disagrees with its buffer is caught too.
#include <cstdint>
#include <cstdlib>

#include "DibTexture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RgbImage* image = nullptr;
    const DibStatus status = DecodeDib(data, size, &image);
    if (status != DibStatus::Ok)
    {
        if (image != nullptr)
            std::abort();
        return 0;
    }
    if (image == nullptr || image->data == nullptr || image->width <= 0 || image->height <= 0)
        std::abort();
    const size_t bytes = static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 3;
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i)
        sum += image->data[i];
    // Keeps the reads from being optimised away.
    volatile unsigned sink = sum;
    (void)sink;
    FreeRgbImage(image);
    return 0;
}

// The test files' platform parts on Windows: JPEG through stb_image_write, commands through the
// C runtime's command processor.
#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

bool WriteTestJpeg(const std::string& path, int width, int height, const PixelFunction& pixel)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const Rgb8 colour = pixel(x, y);
            uint8_t* target = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            target[0] = colour.r;
            target[1] = colour.g;
            target[2] = colour.b;
        }
    std::vector<uint8_t> bytes;
    auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<uint8_t>*>(context);
        out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    };
    // Quality 100: stb_image_write keeps full chroma above 90.
    if (stbi_write_jpg_to_func(append, &bytes, width, height, 3, rgb.data(), 100) == 0)
        return false;
    return WriteTestFile(path, bytes);
}

int RunCommand(const std::string& command, std::string* output)
{
    FILE* pipe = _popen((command + " 2>&1").c_str(), "rb");
    if (pipe == nullptr)
        return -1;
    AppendStream(pipe, output);
    return _pclose(pipe);
}

// An empty value removes the variable from the C runtime's environment.
void SetTestEnvironment(const char* name, const char* value) { _putenv_s(name, value != nullptr ? value : ""); }

// Runs the readers over every file of the given folders, whole and cut short at many lengths,
// built with AddressSanitizer and UndefinedBehaviorSanitizer: any read outside a buffer or any
// undefined operation stops the run. ".bmp" files go to DecodeDib, ".ms3d" files to
// ParseMs3d. Prints one line per file; fails when a folder holds no such file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DibTexture.h"
#include "Model.h"

namespace {

class CheckModel final : public Model
{
public:
    bool LoadModelData(const char*) override { return false; }
};

// Whole file, every length up to 128 bytes (the headers), and about 400 more cut points.
std::vector<size_t> CutLengths(size_t size)
{
    std::vector<size_t> lengths;
    for (size_t length = 0; length < size && length <= 128; ++length)
        lengths.push_back(length);
    const size_t step = size / 400 + 1;
    for (size_t length = 129; length < size; length += step)
        lengths.push_back(length);
    lengths.push_back(size);
    return lengths;
}

// Each cut is copied into a block of exactly its length, so a read past it is caught.
const char* CheckBmp(const std::vector<unsigned char>& bytes)
{
    const char* whole = "";
    for (size_t length : CutLengths(bytes.size()))
    {
        std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
        RgbImage* image = nullptr;
        const DibStatus status = DecodeDib(cut.data(), cut.size(), &image);
        FreeRgbImage(image);
        if (length == bytes.size())
            whole = status == DibStatus::Ok ? "decoded" : DibStatusMessage(status);
    }
    return whole;
}

const char* CheckMs3d(const std::vector<unsigned char>& bytes)
{
    bool loaded = false;
    for (size_t length : CutLengths(bytes.size()))
    {
        std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
        CheckModel model;
        const bool ok = ParseMs3d(cut.data(), cut.size(), &model);
        if (length == bytes.size())
            loaded = ok;
    }
    return loaded ? "loaded" : "rejected";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: CorpusCheck FOLDER...\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i)
    {
        size_t checked = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], error))
        {
            const std::string extension = entry.path().extension().string();
            if (extension != ".bmp" && extension != ".ms3d")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            const char* outcome = extension == ".bmp" ? CheckBmp(bytes) : CheckMs3d(bytes);
            std::printf("%s: %s\n", entry.path().string().c_str(), outcome);
            ++checked;
        }
        if (error || checked == 0)
        {
            std::fprintf(stderr, "CorpusCheck: no .bmp or .ms3d file in %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}

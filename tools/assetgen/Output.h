// What a generator produces: data files (path relative to the data directory, bytes) and the
// pictures the review sheet shows. Each worker thread fills its own Generated; Main merges them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Canvas.h"
#include "Writers.h"

struct GeneratedFile
{
    std::string path;
    Bytes bytes;
};

struct ReviewPicture
{
    std::string label;
    Image8 image;
};

struct Generated
{
    std::vector<GeneratedFile> files;
    std::vector<ReviewPicture> pictures;

    void AddFile(std::string path, Bytes bytes) { files.push_back({std::move(path), std::move(bytes)}); }
    void AddPicture(std::string label, Image8 image) { pictures.push_back({std::move(label), std::move(image)}); }

    void Append(Generated&& other)
    {
        for (auto& file : other.files)
            files.push_back(std::move(file));
        for (auto& picture : other.pictures)
            pictures.push_back(std::move(picture));
    }
};

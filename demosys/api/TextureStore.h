// The library's textures: what DEMOGL_TextureLoad / Upload / UnUpload work on. Each loaded
// texture keeps its decoded picture and its load arguments, so it can be uploaded, un-uploaded
// and uploaded again; its GL texture name is its id.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "codecs/ImageCodec.h"

class TexturePredecoder;

class TextureStore
{
public:
    struct LoadRequest
    {
        std::string path;
        int imageType = 0;
        int wrapS = 0;
        int wrapT = 0;
        int minFilter = 0;
        int magFilter = 0;
        bool mipMaps = false;
        int internalFormat = 0;     // 0: 8 bits a channel, RGB or RGBA as the picture has
    };

    // Reads and decodes the picture (or takes it from the predecoder) and reserves a GL name.
    // 0 when it failed, reported once with the path and the reason. Needs a current context.
    unsigned int Load(const LoadRequest& request);
    int Upload(unsigned int id);
    int UnUpload(unsigned int id);

    // Deletes every texture name the store reserved and forgets the pictures (at AppEnd).
    void ReleaseAll();

    size_t Count() const { return m_records.size(); }
    bool IsUploaded(unsigned int id) const;

    // Where loads look for pictures decoded ahead (null: none). Set while the show loads.
    void SetPredecoder(TexturePredecoder* predecoder) { m_predecoder = predecoder; }

private:
    struct Record
    {
        std::string path;
        DecodedImage image;
        int wrapS = 0;
        int wrapT = 0;
        int minFilter = 0;
        int magFilter = 0;
        bool mipMaps = false;
        int internalFormat = 0;
        bool uploaded = false;
    };

    bool Decode(const LoadRequest& request, DecodedImage* image);

    std::map<unsigned int, Record> m_records;
    TexturePredecoder* m_predecoder = nullptr;
};

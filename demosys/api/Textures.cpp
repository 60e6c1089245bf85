// DEMOGL_TextureLoad / Upload / UnUpload: the library's textures.
//
// Load decodes the file and reserves a GL texture name with glGenTextures; that name is the id.
// Upload gives the name its storage (image, wrap, filters, internal format); un-upload releases
// the storage with an empty image but keeps the name reserved, so no other glGenTextures can
// take it and a later upload reuses it. The decoded pixels stay in memory for re-uploads.
// While the show loads, the picture usually comes decoded already (TexturePredecoder.h).
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "codecs/ImageCodec.h"
#include "api/Library.h"
#include "support/Profiler.h"
#include "codecs/TexturePredecoder.h"
#include "api/TextureStore.h"

namespace {

struct TextureRecord
{
    std::string path;
    DecodedImage image;
    GLint wrapS = GL_REPEAT;
    GLint wrapT = GL_REPEAT;
    GLint minFilter = GL_LINEAR;
    GLint magFilter = GL_LINEAR;
    bool mipMaps = false;
    GLint internalFormat = 0;
    bool uploaded = false;
};

std::map<unsigned int, TextureRecord>& Records()
{
    static std::map<unsigned int, TextureRecord> records;
    return records;
}

void ReportLoadFailure(const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "Error: cannot load texture \"%s\": %s\n", path.c_str(), reason.c_str());
}

GLint ChooseInternalFormat(GLint requested, int channels)
{
    if (requested != 0)
        return requested;
    return channels == 4 ? GL_RGBA8 : GL_RGB8;
}

} // namespace

unsigned int DEMOGL_TextureLoad(const char* pszFileName, int iImageType, int iDataSource, int iWrapS,
                                int iWrapT, int iMinFilter, int iMagFilter, bool bMipMaps, bool,
                                int iBorder, int iInternalFormat, int iDimensions)
{
    // Reading and decoding is the library's work, even inside an effect's Init.
    const Profiler::Scope scope(Profiler::kLibrary);
    const double started = Profiler::NowMs();
    const std::string path = pszFileName != nullptr ? pszFileName : "";
    if (path.empty())
    {
        ReportLoadFailure(path, "no file name");
        return 0;
    }
    if (iDataSource != kDataSourceFiles)
    {
        ReportLoadFailure(path, "the data archive is not supported; use files (data source 0)");
        return 0;
    }
    if (iDimensions != 2 || iBorder != 0)
    {
        ReportLoadFailure(path, "only 2D textures without a border are supported");
        return 0;
    }
    TextureRecord record;
    record.path = path;
    // The picture decoded ahead on a worker thread when there is one; otherwise (and for every
    // file that fails) the ordinary way, with its messages.
    TexturePredecoder* predecoder = TexturePredecoder::Active();
    if (predecoder == nullptr || !predecoder->Take(path, iImageType, &record.image))
    {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(path, &bytes))
        {
            std::error_code code;
            ReportLoadFailure(path, std::filesystem::exists(path, code) ? "the file cannot be read" : "no such file");
            return 0;
        }
        std::string reason;
        bool decoded = false;
        if (iImageType == kImageTypeJpeg)
            decoded = DecodeJpeg(bytes.data(), bytes.size(), &record.image, &reason);
        else if (iImageType == kImageTypeTga)
            decoded = DecodeTga(bytes.data(), bytes.size(), &record.image, &reason);
        else
            reason = "unknown image type " + std::to_string(iImageType) + " (1 is JPEG, 3 is TGA)";
        Profiler::Count("texture reading and decoding", Profiler::NowMs() - started);
        if (!decoded)
        {
            ReportLoadFailure(path, reason);
            return 0;
        }
    }
    if (Library().backend == nullptr || !Library().backend->HasGl())
    {
        ReportLoadFailure(path, "no GL context");
        return 0;
    }
    record.wrapS = iWrapS;
    record.wrapT = iWrapT;
    record.minFilter = iMinFilter;
    record.magFilter = iMagFilter;
    record.mipMaps = bMipMaps;
    record.internalFormat = ChooseInternalFormat(iInternalFormat, record.image.channels);

    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0)
    {
        ReportLoadFailure(path, "no texture name could be reserved");
        return 0;
    }
    // Binding a generated name once makes it a texture object, which keeps it reserved.
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, name);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    Records()[name] = std::move(record);
    return name;
}

int DEMOGL_TextureUpload(unsigned int uId)
{
    auto found = Records().find(uId);
    if (found == Records().end())
        return 1;
    TextureRecord& record = found->second;
    if (record.uploaded)
        return 0;
    const Profiler::Scope driver(Profiler::kDriver);
    const double started = Profiler::NowMs();
    const GLenum format = record.image.channels == 4 ? GL_RGBA : GL_RGB;
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, uId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, record.wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, record.wrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, record.minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, record.magFilter);
    if (record.mipMaps)
        gluBuild2DMipmaps(GL_TEXTURE_2D, record.internalFormat, record.image.width, record.image.height,
                          format, GL_UNSIGNED_BYTE, record.image.pixels.data());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, record.internalFormat, record.image.width, record.image.height, 0,
                     format, GL_UNSIGNED_BYTE, record.image.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    record.uploaded = true;
    if (Profiler::Enabled())
        Profiler::Count(Profiler::FirstFrameDone() ? "texture uploads during the show" : "texture uploads before the first frame",
                        Profiler::NowMs() - started);
    return 0;
}

int DEMOGL_TextureUnUpload(unsigned int uId)
{
    auto found = Records().find(uId);
    if (found == Records().end())
        return 1;
    TextureRecord& record = found->second;
    if (!record.uploaded)
        return 0;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, uId);
    // An empty level 0 releases the storage; the name stays a texture object.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous) == uId ? 0 : static_cast<GLuint>(previous));
    record.uploaded = false;
    return 0;
}

void ReleaseAllTextures()
{
    for (auto& [name, record] : Records())
    {
        GLuint id = name;
        if (Library().backend != nullptr && Library().backend->HasGl())
            glDeleteTextures(1, &id);
    }
    Records().clear();
}

size_t LoadedTextureCount() { return Records().size(); }

bool TextureIsUploaded(unsigned int uId)
{
    auto found = Records().find(uId);
    return found != Records().end() && found->second.uploaded;
}

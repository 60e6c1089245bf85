// DEMOGL_TextureLoad / Upload / UnUpload: the library's textures.
//
// Load decodes the file and reserves a GL texture name with glGenTextures; that name is the id.
// Upload gives the name its storage (image, wrap, filters, internal format); un-upload releases
// the storage with an empty image but keeps the name reserved, so no other glGenTextures can
// take it and a later upload reuses it. The decoded pixels stay in memory for re-uploads.
// While the show loads, the picture usually comes decoded already (TexturePredecoder.h).
// GL_CLAMP is uploaded as GL_CLAMP_TO_EDGE wherever the context has it (UploadedWrap), unless
// --strict-clamp asks for the rules' border colour.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cerrno>
#include <memory>

#include "api/Extensions.h"
#include "api/Library.h"
#include "api/TextureStore.h"
#include "platform/CurrentContext.h"
#include "codecs/ImageCodec.h"
#include "codecs/TexturePredecoder.h"
#include "support/Profiler.h"
#include "support/Report.h"
#include "support/WholeFile.h"

namespace {

void ReportLoadFailure(const std::string& path, const std::string& reason)
{
    ReportError("cannot load texture \"" + path + "\": " + reason);
}

GLint ChooseInternalFormat(GLint requested, int channels)
{
    if (requested != 0)
        return requested;
    return channels == 4 ? GL_RGBA8 : GL_RGB8;
}

// GL_CLAMP takes the border colour (black) at the texture's edges: linear filtering blends it
// into the outer half texel, and a mask multiplied into the frame with such a texture leaves a
// dark line wherever its quad's edge lies inside the view. The hardware this kind of show was
// made on clamped to the edge texel instead, and the pictures are drawn for that, so GL_CLAMP is
// set up as GL_CLAMP_TO_EDGE where the context has it (OpenGL 1.2, ES, or the extension), unless
// --strict-clamp asks for the border. Every other wrap mode is passed on as asked.
GLint UploadedWrap(GLint requested, bool edgeClamp)
{
    return requested == GL_CLAMP && edgeClamp ? GL_CLAMP_TO_EDGE : requested;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The store
// ---------------------------------------------------------------------------------------------

bool TextureStore::Decode(const LoadRequest& request, DecodedImage* image)
{
    // The picture decoded ahead on a worker thread when there is one; otherwise (and for every
    // file that fails) the ordinary way, with its messages.
    if (m_predecoder != nullptr && m_predecoder->Take(request.path, request.imageType, image))
        return true;
    const double started = Profiler::NowMs();
    std::vector<uint8_t> bytes;
    const WholeFileResult read = ReadWholeFile(request.path, &bytes);
    if (!read.ok)
    {
        const bool missing = !read.opened && read.errorCode == ENOENT;
        ReportLoadFailure(request.path, read.tooLarge ? read.Reason(kMaxDataFileBytes)
                                        : missing     ? "no such file"
                                                      : "the file cannot be read");
        return false;
    }
    std::string reason;
    bool decoded = false;
    if (request.imageType == kImageTypeJpeg)
        decoded = DecodeJpeg(bytes.data(), bytes.size(), image, &reason);
    else if (request.imageType == kImageTypeTga)
        decoded = DecodeTga(bytes.data(), bytes.size(), image, &reason);
    else
        reason = "unknown image type " + std::to_string(request.imageType) + " (1 is JPEG, 3 is TGA)";
    Profiler::Count("texture reading and decoding", Profiler::NowMs() - started);
    if (!decoded)
        ReportLoadFailure(request.path, reason);
    return decoded;
}

unsigned int TextureStore::Load(const LoadRequest& request)
{
    Record record;
    record.path = request.path;
    if (!Decode(request, &record.image))
        return 0;
    if (!CurrentContextHasGl())
    {
        ReportLoadFailure(request.path, "no GL context");
        return 0;
    }
    record.wrapS = request.wrapS;
    record.wrapT = request.wrapT;
    record.minFilter = request.minFilter;
    record.magFilter = request.magFilter;
    record.mipMaps = request.mipMaps;
    record.internalFormat = ChooseInternalFormat(request.internalFormat, record.image.channels);

    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0)
    {
        ReportLoadFailure(request.path, "no texture name could be reserved");
        return 0;
    }
    // Binding a generated name once makes it a texture object, which keeps it reserved.
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, name);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    m_records[name] = std::move(record);
    return name;
}

int TextureStore::Upload(unsigned int id)
{
    auto found = m_records.find(id);
    if (found == m_records.end())
        return 1;
    Record& record = found->second;
    if (record.uploaded)
        return 0;
    const Profiler::Scope driver(Profiler::kDriver);
    const double started = Profiler::NowMs();
    const GLenum format = record.image.channels == 4 ? GL_RGBA : GL_RGB;
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, id);
    const bool edgeClamp = !Library().options.strictClamp && ContextHasEdgeClamp();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, UploadedWrap(record.wrapS, edgeClamp));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, UploadedWrap(record.wrapT, edgeClamp));
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

int TextureStore::UnUpload(unsigned int id)
{
    auto found = m_records.find(id);
    if (found == m_records.end())
        return 1;
    Record& record = found->second;
    if (!record.uploaded)
        return 0;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, id);
    // An empty level 0 releases the storage; the name stays a texture object.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous) == id ? 0 : static_cast<GLuint>(previous));
    record.uploaded = false;
    return 0;
}

void TextureStore::ReleaseAll()
{
    if (CurrentContextHasGl())
        for (const auto& entry : m_records)
        {
            const GLuint id = entry.first;
            glDeleteTextures(1, &id);
        }
    m_records.clear();
}

bool TextureStore::IsUploaded(unsigned int id) const
{
    auto found = m_records.find(id);
    return found != m_records.end() && found->second.uploaded;
}

// ---------------------------------------------------------------------------------------------
// The public functions
// ---------------------------------------------------------------------------------------------

unsigned int DEMOGL_TextureLoad(const char* pszFileName, int iImageType, int iDataSource, int iWrapS,
                                int iWrapT, int iMinFilter, int iMagFilter, bool bMipMaps, bool,
                                int iBorder, int iInternalFormat, int iDimensions)
{
    // Reading and decoding is the library's work, even inside an effect's Init.
    const Profiler::Scope scope(Profiler::kLibrary);
    TextureStore::LoadRequest request;
    request.path = pszFileName != nullptr ? pszFileName : "";
    if (request.path.empty())
    {
        ReportLoadFailure(request.path, "no file name");
        return 0;
    }
    if (iDataSource != kDataSourceFiles)
    {
        ReportLoadFailure(request.path, "the data archive is not supported; use files (data source 0)");
        return 0;
    }
    if (iDimensions != 2 || iBorder != 0)
    {
        ReportLoadFailure(request.path, "only 2D textures without a border are supported");
        return 0;
    }
    request.imageType = iImageType;
    request.wrapS = iWrapS;
    request.wrapT = iWrapT;
    request.minFilter = iMinFilter;
    request.magFilter = iMagFilter;
    request.mipMaps = bMipMaps;
    request.internalFormat = iInternalFormat;
    return Library().textures.Load(request);
}

int DEMOGL_TextureUpload(unsigned int uId) { return Library().textures.Upload(uId); }

int DEMOGL_TextureUnUpload(unsigned int uId) { return Library().textures.UnUpload(uId); }

// Texture objects, pixel storage, read-back and the calls the layer passes to OpenGL ES
// (framebuffers, renderbuffers, blits, buffers). The texture names are the ES context's own;
// the layer keeps what it must know of each object (its images' sizes, base format, filters
// and wraps), so it can tell a complete texture from one that switches its unit off.
// Images are converted on the CPU where OpenGL ES takes the pair of formats only in another
// form (GL_RGB bytes into GL_RGB5_A1 storage become GL_RGBA bytes first).
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "fixedfunction/EsFunctions.h"
#include "fixedfunction/Layer.h"
#include "fixedfunction/Record.h"

using namespace ff;

namespace {

struct FormatChoice
{
    bool ok;
    bool hasAlpha;
    GLenum esInternal;
    GLenum esFormat;
    int components;
};

FormatChoice ChooseFormat(GLint internalFormat)
{
    switch (internalFormat)
    {
    case 4:
    case GL_RGBA:
    case GL_RGBA8:
    case GL_RGBA12:
    case GL_RGBA16:
    case GL_RGB10_A2:
        return {true, true, GL_RGBA8, GL_RGBA, 4};
    case GL_RGB5_A1:
        return {true, true, GL_RGB5_A1, GL_RGBA, 4};
    case GL_RGBA4:
    case GL_RGBA2:
        return {true, true, GL_RGBA4, GL_RGBA, 4};
    case 3:
    case GL_RGB:
    case GL_RGB8:
    case GL_RGB10:
    case GL_RGB12:
    case GL_RGB16:
        return {true, false, GL_RGB8, GL_RGB, 3};
    case GL_RGB5:
    case GL_RGB4:
    case GL_R3_G3_B2:
    case GL_RGB565:
        return {true, false, GL_RGB565, GL_RGB, 3};
    default:
        return {false, false, 0, 0, 0};
    }
}

// Components of a client format of unsigned bytes; 0 for one the layer does not read.
int SourceComponents(GLenum format)
{
    switch (format)
    {
    case GL_RGB:
    case GL_BGR: return 3;
    case GL_RGBA:
    case GL_BGRA: return 4;
    case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    default: return 0;
    }
}

// Tightly packed rows: what the layer hands ES after converting pixels itself.
constexpr PixelStore kTightStore = {1, 0, 0, 0, false, false};

// Where rows of `width` pixels of `components` bytes lie in client memory under a pixel store.
struct RowLayout
{
    size_t rowBytes;    // from one row's start to the next's
    size_t offset;      // of the first pixel
};

RowLayout Rows(const PixelStore& store, GLsizei width, int components)
{
    const size_t rowPixels = store.rowLength > 0 ? static_cast<size_t>(store.rowLength) : static_cast<size_t>(width);
    const size_t alignment = static_cast<size_t>(std::max(1, store.alignment));
    const size_t rowBytes = (rowPixels * components + alignment - 1) / alignment * alignment;
    return {rowBytes, store.skipRows * rowBytes + store.skipPixels * components};
}

// Reads width x height pixels of `format` unsigned bytes under the unpack state into tightly
// packed RGB or RGBA (components 3 or 4).
std::vector<unsigned char> Unpack(const PixelStore& store, GLsizei width, GLsizei height, GLenum format,
                                  const void* pixels, int components)
{
    const int source = SourceComponents(format);
    const RowLayout rows = Rows(store, width, source);
    const auto* base = static_cast<const unsigned char*>(pixels) + rows.offset;
    std::vector<unsigned char> out(static_cast<size_t>(width) * height * components);
    unsigned char* to = out.data();
    for (GLsizei y = 0; y < height; ++y)
    {
        const unsigned char* from = base + y * rows.rowBytes;
        for (GLsizei x = 0; x < width; ++x, from += source, to += components)
        {
            unsigned char rgba[4];
            switch (format)
            {
            case GL_BGR:
            case GL_BGRA:
                rgba[0] = from[2];
                rgba[1] = from[1];
                rgba[2] = from[0];
                rgba[3] = source == 4 ? from[3] : 255;
                break;
            case GL_LUMINANCE:
            case GL_LUMINANCE_ALPHA:
                rgba[0] = rgba[1] = rgba[2] = from[0];
                rgba[3] = source == 2 ? from[1] : 255;
                break;
            default:
                rgba[0] = from[0];
                rgba[1] = from[1];
                rgba[2] = from[2];
                rgba[3] = source == 4 ? from[3] : 255;
                break;
            }
            std::memcpy(to, rgba, static_cast<size_t>(components));
        }
    }
    return out;
}

// Binds the active unit's texture on the ES side for an upload or a parameter change.
void BindForChange(Layer& l)
{
    l.SyncState(false);
    const int unit = l.state.texture.activeUnit;
    const GLuint name = l.state.texture.units[unit].binding2D;
    EsFunctions& es = Es();
    if (l.cache.activeUnit != unit)
    {
        l.cache.activeUnit = unit;
        es.ActiveTexture(GL_TEXTURE0 + unit);
    }
    if (l.cache.textures[unit] != name)
    {
        l.cache.textures[unit] = name;
        es.BindTexture(GL_TEXTURE_2D, name);
    }
}

GLuint g_packBuffer = 0;

} // namespace

namespace ff {

void ApplyTextureParameters(TextureObject& object)
{
    EsFunctions& es = Es();
    // GL_CLAMP samples the edge texels here; the shader mixes in the border colour.
    auto wrap = [](GLenum mode) { return mode == GL_CLAMP || mode == GL_CLAMP_TO_BORDER ? GL_CLAMP_TO_EDGE : mode; };
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(object.minFilter));
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(object.magFilter));
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap(object.wrapS)));
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrap(object.wrapT)));
    object.paramsDirty = false;
}

} // namespace ff

void FfglGenTextures(GLsizei n, GLuint* textures)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (n < 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    Es().GenTextures(n, textures);
}

void FfglDeleteTextures(GLsizei n, const GLuint* textures)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (n < 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    for (GLsizei i = 0; i < n; ++i)
    {
        const GLuint name = textures[i];
        if (name == 0)
            continue;
        l.textures.erase(name);
        // A deleted texture that was bound leaves its units with texture 0.
        for (int u = 0; u < kUnits; ++u)
        {
            if (l.state.texture.units[u].binding2D == name)
                l.state.texture.units[u].binding2D = 0;
            if (l.cache.textures[u] == name)
                l.cache.textures[u] = ~0u;
        }
    }
    Es().DeleteTextures(n, textures);
    l.textureVersion++;
}

void FfglBindTexture(GLenum target, GLuint texture)
{
    FF_RECORD(FfglBindTexture(target, texture));
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (target != GL_TEXTURE_2D)
    {
        l.SetError(target == GL_TEXTURE_1D ? GL_INVALID_OPERATION : GL_INVALID_ENUM);
        return;
    }
    l.state.texture.units[l.state.texture.activeUnit].binding2D = texture;
    // The name becomes a texture object now, as in GL.
    if (l.textures.find(texture) == l.textures.end())
    {
        l.textures[texture] = TextureObject();
        BindForChange(l);
    }
    l.textureVersion++;
}

GLboolean FfglIsTexture(GLuint texture)
{
    Layer& l = L();
    if (l.InsideBegin() || texture == 0)
        return GL_FALSE;
    return l.textures.count(texture) != 0 ? GL_TRUE : GL_FALSE;
}

void FfglTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                    GLenum format, GLenum type, const void* pixels)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    if (target != GL_TEXTURE_2D)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    const FormatChoice choice = ChooseFormat(internalFormat);
    if (!choice.ok || SourceComponents(format) == 0 || type != GL_UNSIGNED_BYTE)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    if (level < 0 || level > 15 || width < 0 || height < 0 || border != 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    TextureObject* object = l.BoundTexture(l.state.texture.activeUnit);
    if (object == nullptr)
        return;
    BindForChange(l);
    std::vector<unsigned char> converted;
    const void* data = nullptr;
    if (pixels != nullptr && width > 0 && height > 0)
    {
        converted = Unpack(l.client.unpack, width, height, format, pixels, choice.components);
        data = converted.data();
    }
    l.SyncPixelStore(false, kTightStore);
    Es().TexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(choice.esInternal), width, height, 0, choice.esFormat,
                    GL_UNSIGNED_BYTE, data);
    if (level == 0)
    {
        object->width = width;
        object->height = height;
        object->internalFormat = internalFormat;
        object->hasAlpha = choice.hasAlpha;
    }
    if (width > 0 && height > 0)
        object->levels |= 1u << level;
    else
        object->levels &= ~(1u << level);
    l.textureVersion++;
}

void FfglTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                       GLenum type, const void* pixels)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    TextureObject* object = l.BoundTexture(l.state.texture.activeUnit);
    if (target != GL_TEXTURE_2D || object == nullptr || SourceComponents(format) == 0 || type != GL_UNSIGNED_BYTE)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    if (!(object->levels & (1u << level)))
    {
        l.SetError(GL_INVALID_OPERATION);
        return;
    }
    const FormatChoice choice = ChooseFormat(object->internalFormat);
    BindForChange(l);
    const std::vector<unsigned char> converted =
        Unpack(l.client.unpack, width, height, format, pixels, choice.components);
    l.SyncPixelStore(false, kTightStore);
    Es().TexSubImage2D(GL_TEXTURE_2D, level, x, y, width, height, choice.esFormat, GL_UNSIGNED_BYTE,
                       converted.data());
}

namespace {

void TexParameter(GLenum target, GLenum pname, const float* v)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    TextureObject* object = l.BoundTexture(l.state.texture.activeUnit);
    if (target != GL_TEXTURE_2D || object == nullptr)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    const GLenum value = static_cast<GLenum>(v[0]);
    bool ok = true;
    switch (pname)
    {
    case GL_TEXTURE_MIN_FILTER:
        ok = value == GL_NEAREST || value == GL_LINEAR || value == GL_NEAREST_MIPMAP_NEAREST ||
             value == GL_LINEAR_MIPMAP_NEAREST || value == GL_NEAREST_MIPMAP_LINEAR || value == GL_LINEAR_MIPMAP_LINEAR;
        if (ok)
            object->minFilter = value;
        break;
    case GL_TEXTURE_MAG_FILTER:
        ok = value == GL_NEAREST || value == GL_LINEAR;
        if (ok)
            object->magFilter = value;
        break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        ok = value == GL_CLAMP || value == GL_REPEAT || value == GL_CLAMP_TO_EDGE || value == GL_CLAMP_TO_BORDER ||
             value == GL_MIRRORED_REPEAT;
        if (ok)
            (pname == GL_TEXTURE_WRAP_S ? object->wrapS : object->wrapT) = value;
        break;
    case GL_TEXTURE_BORDER_COLOR:
        for (int i = 0; i < 4; ++i)
            object->borderColor[i] = std::min(std::max(v[i], 0.0f), 1.0f);
        break;
    case GL_TEXTURE_PRIORITY:
        break;
    default:
        ok = false;
        break;
    }
    if (!ok)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    object->paramsDirty = true;
    // Set now on the ES side, so an upload or a foreign reader sees it.
    BindForChange(l);
    ApplyTextureParameters(*object);
    l.textureVersion++;
}

} // namespace

void FfglTexParameterfv(GLenum target, GLenum pname, const GLfloat* params)
{
    float v[4] = {params[0], 0, 0, 0};
    if (pname == GL_TEXTURE_BORDER_COLOR)
        std::memcpy(v, params, sizeof(v));
    FF_RECORD(FfglTexParameterfv(target, pname, v));
    TexParameter(target, pname, v);
}

void FfglTexParameterf(GLenum target, GLenum pname, GLfloat param)
{
    if (pname == GL_TEXTURE_BORDER_COLOR)
    {
        L().SetError(GL_INVALID_ENUM);
        return;
    }
    FfglTexParameterfv(target, pname, &param);
}

void FfglTexParameteri(GLenum target, GLenum pname, GLint param) { FfglTexParameterf(target, pname, static_cast<float>(param)); }

void FfglGetTexParameteriv(GLenum target, GLenum pname, GLint* params)
{
    Layer& l = L();
    const TextureObject* object = l.BoundTexture(l.state.texture.activeUnit);
    if (target != GL_TEXTURE_2D || object == nullptr)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    switch (pname)
    {
    case GL_TEXTURE_MIN_FILTER: params[0] = static_cast<GLint>(object->minFilter); break;
    case GL_TEXTURE_MAG_FILTER: params[0] = static_cast<GLint>(object->magFilter); break;
    case GL_TEXTURE_WRAP_S: params[0] = static_cast<GLint>(object->wrapS); break;
    case GL_TEXTURE_WRAP_T: params[0] = static_cast<GLint>(object->wrapT); break;
    case GL_TEXTURE_BORDER_COLOR:
        for (int i = 0; i < 4; ++i)
            params[i] = static_cast<GLint>(object->borderColor[i] * 2147483647.0);
        break;
    case GL_TEXTURE_RESIDENT: params[0] = GL_TRUE; break;
    case GL_TEXTURE_PRIORITY: params[0] = 1; break;
    default: l.SetError(GL_INVALID_ENUM); break;
    }
}

void FfglGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params)
{
    Layer& l = L();
    const TextureObject* object = l.BoundTexture(l.state.texture.activeUnit);
    if (target != GL_TEXTURE_2D || object == nullptr)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    const bool defined = (object->levels & (1u << level)) != 0;
    switch (pname)
    {
    case GL_TEXTURE_WIDTH: params[0] = defined ? std::max(1, object->width >> level) : 0; break;
    case GL_TEXTURE_HEIGHT: params[0] = defined ? std::max(1, object->height >> level) : 0; break;
    case GL_TEXTURE_INTERNAL_FORMAT: params[0] = defined || level == 0 ? object->internalFormat : 1; break;
    case GL_TEXTURE_BORDER: params[0] = 0; break;
    default: l.SetError(GL_INVALID_ENUM); break;
    }
}

void FfglPixelStorei(GLenum pname, GLint param)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    PixelStore& pack = l.client.pack;
    PixelStore& unpack = l.client.unpack;
    const bool alignment = pname == GL_PACK_ALIGNMENT || pname == GL_UNPACK_ALIGNMENT;
    if (alignment && param != 1 && param != 2 && param != 4 && param != 8)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    if (!alignment && param < 0 && pname != GL_PACK_SWAP_BYTES && pname != GL_UNPACK_SWAP_BYTES)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    switch (pname)
    {
    case GL_PACK_ALIGNMENT: pack.alignment = param; break;
    case GL_PACK_ROW_LENGTH: pack.rowLength = param; break;
    case GL_PACK_SKIP_ROWS: pack.skipRows = param; break;
    case GL_PACK_SKIP_PIXELS: pack.skipPixels = param; break;
    case GL_PACK_SWAP_BYTES: pack.swapBytes = param != 0; break;
    case GL_PACK_LSB_FIRST: pack.lsbFirst = param != 0; break;
    case GL_UNPACK_ALIGNMENT: unpack.alignment = param; break;
    case GL_UNPACK_ROW_LENGTH: unpack.rowLength = param; break;
    case GL_UNPACK_SKIP_ROWS: unpack.skipRows = param; break;
    case GL_UNPACK_SKIP_PIXELS: unpack.skipPixels = param; break;
    case GL_UNPACK_SWAP_BYTES: unpack.swapBytes = param != 0; break;
    case GL_UNPACK_LSB_FIRST: unpack.lsbFirst = param != 0; break;
    default: l.SetError(GL_INVALID_ENUM); break;
    }
}

void FfglReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    const int components = SourceComponents(format);
    if (components == 0 || format == GL_LUMINANCE || format == GL_LUMINANCE_ALPHA || type != GL_UNSIGNED_BYTE)
    {
        l.SetError(GL_INVALID_ENUM);
        return;
    }
    if (width < 0 || height < 0)
    {
        l.SetError(GL_INVALID_VALUE);
        return;
    }
    EsFunctions& es = Es();
    l.SyncState(false);
    if (format == GL_RGBA || (format == GL_BGRA && l.readBgra))
    {
        l.SyncPixelStore(true);
        es.ReadPixels(x, y, width, height, format, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    // Read as RGBA and rearrange, into client memory or into the bound pack buffer.
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    GLuint packBuffer = g_packBuffer;
    if (packBuffer != 0)
        es.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    l.SyncPixelStore(true, kTightStore);
    es.ReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    unsigned char* target = static_cast<unsigned char*>(pixels);
    const RowLayout rows = Rows(l.client.pack, width, components);
    void* mapped = nullptr;
    if (packBuffer != 0)
    {
        es.BindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer);
        GLint size = 0;
        es.GetBufferParameteriv(GL_PIXEL_PACK_BUFFER, GL_BUFFER_SIZE, &size);
        mapped = es.MapBufferRange != nullptr ? es.MapBufferRange(GL_PIXEL_PACK_BUFFER, 0, size, GL_MAP_WRITE_BIT)
                                              : nullptr;
        if (mapped == nullptr)
            return;
        target = static_cast<unsigned char*>(mapped) + reinterpret_cast<size_t>(pixels);
    }
    const bool bgr = format == GL_BGR || format == GL_BGRA;
    for (GLsizei row = 0; row < height; ++row)
    {
        unsigned char* to = target + rows.offset + row * rows.rowBytes;
        const unsigned char* from = rgba.data() + static_cast<size_t>(row) * width * 4;
        for (GLsizei column = 0; column < width; ++column, from += 4, to += components)
        {
            to[0] = bgr ? from[2] : from[0];
            to[1] = from[1];
            to[2] = bgr ? from[0] : from[2];
            if (components == 4)
                to[3] = from[3];
        }
    }
    if (mapped != nullptr)
        es.UnmapBuffer(GL_PIXEL_PACK_BUFFER);
}

void FfglDrawBuffer(GLenum mode)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    l.state.colorBuffer.drawBuffer = mode;
    // OpenGL ES names the window's buffer GL_BACK and a framebuffer's by attachment.
    GLenum buffer = mode == GL_FRONT || mode == GL_FRONT_LEFT || mode == GL_BACK_LEFT ? GL_BACK : mode;
    Es().DrawBuffers(1, &buffer);
}

void FfglReadBuffer(GLenum mode)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    l.state.pixelMode.readBuffer = mode;
    Es().ReadBuffer(mode == GL_FRONT || mode == GL_FRONT_LEFT || mode == GL_BACK_LEFT ? GL_BACK : mode);
}

void FfglFinish()
{
    if (L().loaded)
        Es().Finish();
}

void FfglFlush()
{
    if (L().loaded)
        Es().Flush();
}

// ---------------------------------------------------------------------------------------------
// Passed to OpenGL ES (beyond OpenGL 1.1: the library's framebuffers, blits and buffers)
// ---------------------------------------------------------------------------------------------

void FfglGenFramebuffers(GLsizei n, GLuint* framebuffers) { Es().GenFramebuffers(n, framebuffers); }
void FfglDeleteFramebuffers(GLsizei n, const GLuint* framebuffers) { Es().DeleteFramebuffers(n, framebuffers); }
void FfglBindFramebuffer(GLenum target, GLuint framebuffer) { Es().BindFramebuffer(target, framebuffer); }
void FfglFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level)
{
    Es().FramebufferTexture2D(target, attachment, textarget, texture, level);
}
void FfglFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer)
{
    Es().FramebufferRenderbuffer(target, attachment, renderbuffertarget, renderbuffer);
}
GLenum FfglCheckFramebufferStatus(GLenum target) { return Es().CheckFramebufferStatus(target); }
void FfglGenRenderbuffers(GLsizei n, GLuint* renderbuffers) { Es().GenRenderbuffers(n, renderbuffers); }
void FfglDeleteRenderbuffers(GLsizei n, const GLuint* renderbuffers) { Es().DeleteRenderbuffers(n, renderbuffers); }
void FfglBindRenderbuffer(GLenum target, GLuint renderbuffer) { Es().BindRenderbuffer(target, renderbuffer); }
void FfglRenderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height)
{
    Es().RenderbufferStorage(target, internalformat, width, height);
}

void FfglBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0, GLint dstX1,
                         GLint dstY1, GLbitfield mask, GLenum filter)
{
    // The scissor test applies to a blit: the ES side must have the layer's.
    L().SyncState(false);
    Es().BlitFramebuffer(srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter);
}

void FfglGenBuffers(GLsizei n, GLuint* buffers) { Es().GenBuffers(n, buffers); }

void FfglDeleteBuffers(GLsizei n, const GLuint* buffers)
{
    for (GLsizei i = 0; i < n; ++i)
        if (buffers[i] == g_packBuffer)
            g_packBuffer = 0;
    Es().DeleteBuffers(n, buffers);
    // The layer's own vertex buffer stays bound to GL_ARRAY_BUFFER.
    Es().BindBuffer(GL_ARRAY_BUFFER, L().streamBuffer);
}

void FfglBindBuffer(GLenum target, GLuint buffer)
{
    if (target == GL_PIXEL_PACK_BUFFER)
        g_packBuffer = buffer;
    Es().BindBuffer(target, buffer);
}

void FfglBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage)
{
    Es().BufferData(target, size, data, usage);
}

void* FfglMapBuffer(GLenum target, GLenum access)
{
    EsFunctions& es = Es();
    GLint size = 0;
    es.GetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    const GLbitfield bits = access == GL_READ_ONLY    ? GL_MAP_READ_BIT
                            : access == GL_WRITE_ONLY ? GL_MAP_WRITE_BIT
                                                      : GL_MAP_READ_BIT | GL_MAP_WRITE_BIT;
    return es.MapBufferRange(target, 0, size, bits);
}

GLboolean FfglUnmapBuffer(GLenum target) { return Es().UnmapBuffer(target); }

// ---------------------------------------------------------------------------------------------
// GLU's mipmaps
// ---------------------------------------------------------------------------------------------

GLint FfgluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                          GLenum type, const void* data)
{
    // Level 0 as given, then each level a box-filtered half of the one before, down to 1 x 1.
    Layer& l = L();
    const FormatChoice choice = ChooseFormat(internalFormat);
    if (target != GL_TEXTURE_2D || !choice.ok || SourceComponents(format) == 0 || type != GL_UNSIGNED_BYTE)
        return GLU_INVALID_ENUM;
    if (width < 1 || height < 1)
        return GLU_INVALID_VALUE;
    std::vector<unsigned char> level = Unpack(l.client.unpack, width, height, format, data, 4);
    const PixelStore saved = l.client.unpack;
    l.client.unpack = kTightStore;
    GLsizei w = width;
    GLsizei h = height;
    for (GLint n = 0;; ++n)
    {
        FfglTexImage2D(GL_TEXTURE_2D, n, internalFormat, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
        if (w == 1 && h == 1)
            break;
        const GLsizei nw = std::max(1, w / 2);
        const GLsizei nh = std::max(1, h / 2);
        std::vector<unsigned char> next(static_cast<size_t>(nw) * nh * 4);
        for (GLsizei y = 0; y < nh; ++y)
            for (GLsizei x = 0; x < nw; ++x)
                for (int c = 0; c < 4; ++c)
                {
                    int sum = 0;
                    int count = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx)
                        {
                            const GLsizei sx = std::min(w - 1, x * 2 + dx);
                            const GLsizei sy = std::min(h - 1, y * 2 + dy);
                            sum += level[(static_cast<size_t>(sy) * w + sx) * 4 + c];
                            ++count;
                        }
                    next[(static_cast<size_t>(y) * nw + x) * 4 + c] = static_cast<unsigned char>((sum + count / 2) / count);
                }
        level.swap(next);
        w = nw;
        h = nh;
    }
    l.client.unpack = saved;
    return 0;
}

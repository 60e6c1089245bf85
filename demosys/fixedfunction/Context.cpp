// The layer's life with a context (loading its ES functions, invalidation, release), the names
// wglGetProcAddress answers with, the error flag and every glGet.
#include "fixedfunction/FixedFunction.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>
#include <string>

#include "fixedfunction/EsFunctions.h"
#include "fixedfunction/Layer.h"

namespace ff {

bool QueryEnable(GLenum cap, bool* on);

EsFunctions& Es()
{
    static EsFunctions functions;
    return functions;
}

bool EsFunctions::Load(void* (*getProcAddress)(const char* name), std::string* missing)
{
    // Buffer mapping is optional (WebGL maps no buffers): without it the layer fills its buffers
    // with glBufferSubData and offers no glMapBuffer.
    auto optional = [](const char* name) {
        return std::strcmp(name, "MapBufferRange") == 0 || std::strcmp(name, "UnmapBuffer") == 0;
    };
    bool complete = true;
#define ZARNOVELT_ES_LOAD(upper, name)                                                            \
    name = reinterpret_cast<PFNGL##upper##PROC>(getProcAddress("gl" #name));                       \
    if (name == nullptr && complete && !optional(#name))                                           \
    {                                                                                              \
        complete = false;                                                                          \
        *missing = "gl" #name;                                                                     \
    }
    ZARNOVELT_ES_FUNCTIONS(ZARNOVELT_ES_LOAD)
#undef ZARNOVELT_ES_LOAD
    if (MapBufferRange == nullptr || UnmapBuffer == nullptr)
    {
        MapBufferRange = nullptr;
        UnmapBuffer = nullptr;
    }
    return complete;
}

} // namespace ff

using namespace ff;

// ---------------------------------------------------------------------------------------------
// The context
// ---------------------------------------------------------------------------------------------

bool FixedFunctionLoad(void* (*getProcAddress)(const char* name), std::string* error)
{
    Layer& l = L();
    if (l.loaded)
        l.ReleaseObjects(false);
    std::string missing;
    EsFunctions& es = Es();
    if (!es.Load(getProcAddress, &missing))
    {
        if (error != nullptr)
            *error = "the OpenGL ES context lacks " + missing;
        return false;
    }
    GLint major = 0;
    es.GetIntegerv(GL_MAJOR_VERSION, &major);
    if (es.GetError() != GL_NO_ERROR || major < 3)
    {
        if (error != nullptr)
            *error = "the context is not OpenGL ES 3.0 or later";
        return false;
    }
    GLint viewport[4] = {0, 0, 0, 0};
    es.GetIntegerv(GL_VIEWPORT, viewport);
    l.Reset(viewport[2], viewport[3]);
    const char* esExtensions = reinterpret_cast<const char*>(es.GetString(GL_EXTENSIONS));
    l.readBgra = esExtensions != nullptr && std::strstr(esExtensions, "GL_EXT_read_format_bgra") != nullptr;
    const char* esVersion = reinterpret_cast<const char*>(es.GetString(GL_VERSION));
    l.version = std::string("1.1 (fixed-function layer over ") + (esVersion != nullptr ? esVersion : "OpenGL ES") + ")";
    l.extensions = "GL_ARB_multitexture GL_ARB_texture_env_combine GL_EXT_texture_env_combine GL_ARB_texture_env_add "
                   "GL_EXT_texture_env_add GL_EXT_texture_edge_clamp GL_SGIS_texture_edge_clamp GL_EXT_bgra "
                   "GL_ARB_framebuffer_object GL_ARB_pixel_buffer_object";

    es.GenVertexArrays(1, &l.vertexArray);
    es.BindVertexArray(l.vertexArray);
    es.GenBuffers(1, &l.streamBuffer);
    es.BindBuffer(GL_ARRAY_BUFFER, l.streamBuffer);
    for (GLuint attribute = 0; attribute < kAttributeCount; ++attribute)
        es.EnableVertexAttribArray(attribute);
    l.loaded = true;
    return true;
}

void FixedFunctionInvalidate()
{
    Layer& l = L();
    if (!l.loaded)
        return;
    EsFunctions& es = Es();
    while (es.GetError() != GL_NO_ERROR)
    {
    }
    l.cache.known = false;
    for (auto& entry : l.textures)
        entry.second.paramsDirty = true;
    // The layer's vertex array holds its attribute set-up; foreign code binds its own.
    es.BindVertexArray(l.vertexArray);
    es.BindBuffer(GL_ARRAY_BUFFER, l.streamBuffer);
    es.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    es.BindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
}

void FixedFunctionRelease()
{
    Layer& l = L();
    l.ReleaseObjects(l.loaded);
    l.Reset(0, 0);
}

void FixedFunctionContextLost()
{
    Layer& l = L();
    l.ReleaseObjects(false);
    l.Reset(0, 0);
}

bool FixedFunctionLoaded() { return L().loaded; }

const char* FixedFunctionDescription() { return "OpenGL 1.1 through the fixed-function layer over OpenGL ES 3"; }

void* FixedFunctionGetProcAddress(const char* name)
{
    if (name == nullptr)
        return nullptr;
    // Buffers are mapped only where the context maps them (not in WebGL).
    if (Es().MapBufferRange == nullptr && (std::strcmp(name, "glMapBuffer") == 0 || std::strcmp(name, "glUnmapBuffer") == 0))
        return nullptr;
    struct Entry
    {
        const char* name;
        void* function;
    };
#define ZARNOVELT_FF_ENTRY(ret, function, args) {"gl" #function, reinterpret_cast<void*>(&Ffgl##function)},
    static const Entry kEntries[] = {
        ZARNOVELT_FF_FUNCTIONS(ZARNOVELT_FF_ENTRY)
        {"glActiveTextureARB", reinterpret_cast<void*>(&FfglActiveTexture)},
        {"glMultiTexCoord2fARB", reinterpret_cast<void*>(&FfglMultiTexCoord2f)},
        {"gluPerspective", reinterpret_cast<void*>(&FfgluPerspective)},
        {"gluLookAt", reinterpret_cast<void*>(&FfgluLookAt)},
        {"gluOrtho2D", reinterpret_cast<void*>(&FfgluOrtho2D)},
        {"gluBuild2DMipmaps", reinterpret_cast<void*>(&FfgluBuild2DMipmaps)},
    };
#undef ZARNOVELT_FF_ENTRY
    for (const Entry& entry : kEntries)
        if (std::strcmp(entry.name, name) == 0)
            return entry.function;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Errors and strings
// ---------------------------------------------------------------------------------------------

GLenum FfglGetError()
{
    Layer& l = L();
    if (l.error != GL_NO_ERROR)
    {
        const GLenum error = l.error;
        l.error = GL_NO_ERROR;
        return error;
    }
    if (l.inBegin)
    {
        // glGetError is not allowed between glBegin and glEnd either.
        return GL_INVALID_OPERATION;
    }
    return l.loaded ? Es().GetError() : GL_NO_ERROR;
}

const GLubyte* FfglGetString(GLenum name)
{
    Layer& l = L();
    if (l.InsideBegin() || !l.loaded)
        return nullptr;
    switch (name)
    {
    case GL_VERSION: return reinterpret_cast<const GLubyte*>(l.version.c_str());
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>(l.extensions.c_str());
    case GL_VENDOR:
    case GL_RENDERER: return Es().GetString(name);
    default: l.SetError(GL_INVALID_ENUM); return nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Queries
// ---------------------------------------------------------------------------------------------

namespace {

struct Values
{
    double v[16];
    int count = 0;
    bool color = false;   // colour components: glGetIntegerv maps 1.0 to the largest integer
    void Add(double value) { v[count++] = value; }
    void Add(const float* values, int n)
    {
        for (int i = 0; i < n; ++i)
            Add(values[i]);
    }
};

// The layer's answer for pname; false when OpenGL ES answers instead.
bool Query(GLenum pname, Values* out)
{
    Layer& l = L();
    const ServerState& s = l.state;
    const TextureUnit& unit = s.texture.units[s.texture.activeUnit];
    bool on = false;
    if (QueryEnable(pname, &on))
    {
        out->Add(on ? 1.0 : 0.0);
        return true;
    }
    switch (pname)
    {
    case GL_MATRIX_MODE: out->Add(s.transform.matrixMode); return true;
    case GL_MODELVIEW_MATRIX: out->Add(l.modelView.back().m, 16); return true;
    case GL_PROJECTION_MATRIX: out->Add(l.projection.back().m, 16); return true;
    case GL_TEXTURE_MATRIX: out->Add(l.textureMatrix[s.texture.activeUnit].back().m, 16); return true;
    case GL_MODELVIEW_STACK_DEPTH: out->Add(static_cast<double>(l.modelView.size())); return true;
    case GL_PROJECTION_STACK_DEPTH: out->Add(static_cast<double>(l.projection.size())); return true;
    case GL_TEXTURE_STACK_DEPTH: out->Add(static_cast<double>(l.textureMatrix[s.texture.activeUnit].size())); return true;
    case GL_MAX_MODELVIEW_STACK_DEPTH: out->Add(kModelViewStackDepth); return true;
    case GL_MAX_PROJECTION_STACK_DEPTH: out->Add(kProjectionStackDepth); return true;
    case GL_MAX_TEXTURE_STACK_DEPTH: out->Add(kTextureStackDepth); return true;
    case GL_ATTRIB_STACK_DEPTH: out->Add(static_cast<double>(l.attribStack.size())); return true;
    case GL_CLIENT_ATTRIB_STACK_DEPTH: out->Add(static_cast<double>(l.clientAttribStack.size())); return true;
    case GL_MAX_ATTRIB_STACK_DEPTH:
    case GL_MAX_CLIENT_ATTRIB_STACK_DEPTH: out->Add(kAttribStackDepth); return true;
    case GL_MAX_LIGHTS: out->Add(kLights); return true;
    case GL_MAX_TEXTURE_UNITS: out->Add(kUnits); return true;
    case GL_MAX_LIST_NESTING: out->Add(kListNesting); return true;
    case GL_CURRENT_COLOR: out->Add(s.current.color, 4); out->color = true; return true;
    case GL_CURRENT_NORMAL: out->Add(s.current.normal, 3); return true;
    case GL_CURRENT_TEXTURE_COORDS: out->Add(s.current.texCoord[s.texture.activeUnit], 4); return true;
    case GL_CURRENT_RASTER_POSITION: out->Add(s.current.rasterPos, 4); return true;
    case GL_CURRENT_RASTER_POSITION_VALID: out->Add(s.current.rasterPosValid ? 1 : 0); return true;
    case GL_VIEWPORT:
        for (GLint v : s.viewport.viewport)
            out->Add(v);
        return true;
    case GL_DEPTH_RANGE: out->Add(s.viewport.depthRange[0]); out->Add(s.viewport.depthRange[1]); out->color = true; return true;
    case GL_SCISSOR_BOX:
        for (GLint v : s.scissor.box)
            out->Add(v);
        return true;
    case GL_COLOR_CLEAR_VALUE: out->Add(s.colorBuffer.clearColor, 4); out->color = true; return true;
    case GL_DEPTH_CLEAR_VALUE: out->Add(s.depth.clear); out->color = true; return true;
    case GL_COLOR_WRITEMASK:
        for (bool m : s.colorBuffer.colorMask)
            out->Add(m ? 1 : 0);
        return true;
    case GL_DEPTH_WRITEMASK: out->Add(s.depth.mask ? 1 : 0); return true;
    case GL_DEPTH_FUNC: out->Add(s.depth.func); return true;
    case GL_BLEND_SRC: out->Add(s.colorBuffer.blendSrc); return true;
    case GL_BLEND_DST: out->Add(s.colorBuffer.blendDst); return true;
    case GL_ALPHA_TEST_FUNC: out->Add(s.colorBuffer.alphaFunc); return true;
    case GL_ALPHA_TEST_REF: out->Add(s.colorBuffer.alphaRef); out->color = true; return true;
    case GL_CULL_FACE_MODE: out->Add(s.polygon.cullFaceMode); return true;
    case GL_FRONT_FACE: out->Add(s.polygon.frontFace); return true;
    case GL_POLYGON_MODE: out->Add(s.polygon.modeFront); out->Add(s.polygon.modeBack); return true;
    case GL_SHADE_MODEL: out->Add(s.lighting.shadeModel); return true;
    case GL_LINE_WIDTH: out->Add(s.line.width); return true;
    case GL_POINT_SIZE: out->Add(s.point.size); return true;
    case GL_LIGHT_MODEL_AMBIENT: out->Add(s.lighting.modelAmbient, 4); out->color = true; return true;
    case GL_LIGHT_MODEL_LOCAL_VIEWER: out->Add(s.lighting.localViewer ? 1 : 0); return true;
    case GL_LIGHT_MODEL_TWO_SIDE: out->Add(s.lighting.twoSide ? 1 : 0); return true;
    case GL_COLOR_MATERIAL_FACE: out->Add(s.lighting.colorMaterialFace); return true;
    case GL_COLOR_MATERIAL_PARAMETER: out->Add(s.lighting.colorMaterialMode); return true;
    case GL_FOG_COLOR: out->Add(s.fog.color, 4); out->color = true; return true;
    case GL_FOG_DENSITY: out->Add(s.fog.density); return true;
    case GL_FOG_START: out->Add(s.fog.start); return true;
    case GL_FOG_END: out->Add(s.fog.end); return true;
    case GL_FOG_MODE: out->Add(s.fog.mode); return true;
    case GL_FOG_INDEX: out->Add(s.fog.index); return true;
    case GL_PERSPECTIVE_CORRECTION_HINT: out->Add(s.hint.perspectiveCorrection); return true;
    case GL_POINT_SMOOTH_HINT: out->Add(s.hint.pointSmooth); return true;
    case GL_LINE_SMOOTH_HINT: out->Add(s.hint.lineSmooth); return true;
    case GL_POLYGON_SMOOTH_HINT: out->Add(s.hint.polygonSmooth); return true;
    case GL_FOG_HINT: out->Add(s.hint.fog); return true;
    case GL_TEXTURE_BINDING_2D: out->Add(unit.binding2D); return true;
    case GL_ACTIVE_TEXTURE: out->Add(GL_TEXTURE0 + s.texture.activeUnit); return true;
    case GL_CLIENT_ACTIVE_TEXTURE: out->Add(GL_TEXTURE0 + l.client.clientActiveUnit); return true;
    case GL_PACK_ALIGNMENT: out->Add(l.client.pack.alignment); return true;
    case GL_PACK_ROW_LENGTH: out->Add(l.client.pack.rowLength); return true;
    case GL_PACK_SKIP_ROWS: out->Add(l.client.pack.skipRows); return true;
    case GL_PACK_SKIP_PIXELS: out->Add(l.client.pack.skipPixels); return true;
    case GL_PACK_SWAP_BYTES: out->Add(l.client.pack.swapBytes ? 1 : 0); return true;
    case GL_PACK_LSB_FIRST: out->Add(l.client.pack.lsbFirst ? 1 : 0); return true;
    case GL_UNPACK_ALIGNMENT: out->Add(l.client.unpack.alignment); return true;
    case GL_UNPACK_ROW_LENGTH: out->Add(l.client.unpack.rowLength); return true;
    case GL_UNPACK_SKIP_ROWS: out->Add(l.client.unpack.skipRows); return true;
    case GL_UNPACK_SKIP_PIXELS: out->Add(l.client.unpack.skipPixels); return true;
    case GL_UNPACK_SWAP_BYTES: out->Add(l.client.unpack.swapBytes ? 1 : 0); return true;
    case GL_UNPACK_LSB_FIRST: out->Add(l.client.unpack.lsbFirst ? 1 : 0); return true;
    case GL_LIST_INDEX: out->Add(l.compiling ? l.compilingName : 0); return true;
    case GL_LIST_MODE: out->Add(l.compiling ? l.compilingMode : 0); return true;
    case GL_LIST_BASE: out->Add(s.list.base); return true;
    case GL_DRAW_BUFFER: out->Add(s.colorBuffer.drawBuffer); return true;
    case GL_READ_BUFFER: out->Add(s.pixelMode.readBuffer); return true;
    case GL_VERTEX_ARRAY:
    case GL_NORMAL_ARRAY:
    case GL_COLOR_ARRAY:
    case GL_TEXTURE_COORD_ARRAY: out->Add(0); return true;
    default: return false;
    }
}

} // namespace

void FfglGetDoublev(GLenum pname, GLdouble* params)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    Values values;
    if (Query(pname, &values))
    {
        for (int i = 0; i < values.count; ++i)
            params[i] = values.v[i];
        return;
    }
    GLfloat floats[16];
    Es().GetFloatv(pname, floats);
    params[0] = floats[0];
}

void FfglGetFloatv(GLenum pname, GLfloat* params)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    Values values;
    if (Query(pname, &values))
    {
        for (int i = 0; i < values.count; ++i)
            params[i] = static_cast<float>(values.v[i]);
        return;
    }
    Es().GetFloatv(pname, params);
}

void FfglGetIntegerv(GLenum pname, GLint* params)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    Values values;
    if (Query(pname, &values))
    {
        for (int i = 0; i < values.count; ++i)
        {
            if (values.color)
            {
                // Colours map [-1, 1] onto the whole integer range, rounded to nearest.
                const double v = values.v[i] * 2147483647.0;
                params[i] = static_cast<GLint>(v < 0.0 ? v - 0.5 : v + 0.5);
            }
            else
                params[i] = static_cast<GLint>(std::lround(values.v[i]));
        }
        return;
    }
    Es().GetIntegerv(pname, params);
}

void FfglGetBooleanv(GLenum pname, GLboolean* params)
{
    Layer& l = L();
    if (l.InsideBegin())
        return;
    Values values;
    if (Query(pname, &values))
    {
        for (int i = 0; i < values.count; ++i)
            params[i] = values.v[i] != 0.0 ? GL_TRUE : GL_FALSE;
        return;
    }
    GLint integers[16];
    Es().GetIntegerv(pname, integers);
    params[0] = integers[0] != 0 ? GL_TRUE : GL_FALSE;
}

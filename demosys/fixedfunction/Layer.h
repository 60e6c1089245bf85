// The layer's one context: the GL 1.1 state, the matrix stacks, the texture objects it knows,
// the display lists, the error flag and the draw engine that turns a glBegin/glEnd into an
// OpenGL ES draw. Internal to demosys/fixedfunction.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fixedfunction/DisplayList.h"
#include "fixedfunction/Matrix.h"
#include "fixedfunction/Programs.h"
#include "fixedfunction/State.h"

namespace ff {

// What the layer knows of a texture object: enough to tell whether it is complete (an
// incomplete texture switches its unit off, as OpenGL 1.1 says), what it holds, and how it
// wraps.
struct TextureObject
{
    GLsizei width = 0;             // level 0
    GLsizei height = 0;
    uint32_t levels = 0;           // bit n: level n has an image
    GLint internalFormat = 1;      // as asked for
    bool hasAlpha = false;         // base format RGBA (else RGB)
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLenum magFilter = GL_LINEAR;
    GLenum wrapS = GL_REPEAT;
    GLenum wrapT = GL_REPEAT;
    float borderColor[4] = {0, 0, 0, 0};
    bool paramsDirty = true;       // the ES texture's filters and wraps are set at the next bind
    bool Complete() const;
};

// One vertex as the draw engine streams it.
struct Vertex
{
    float position[4];
    float color[4];
    float normal[3];
    float tex[kUnits][2];
};

// The ES state the layer last set, so a draw sets only what changed. `known` false: set all.
struct EsCache
{
    bool known = false;
    bool blend, depthTest, scissorTest, cullFace;
    GLenum blendSrc, blendDst, depthFunc, cullFaceMode, frontFace;
    bool depthMask;
    bool colorMask[4];
    GLint viewport[4];
    float depthRange[2];
    GLint scissor[4];
    float clearColor[4];
    float clearDepth;
    GLuint program;
    int activeUnit;
    GLuint textures[kUnits];
    PixelStore pack, unpack;
    float lineWidth;
};

struct AttribEntry
{
    GLbitfield mask;
    ServerState state;
    // The texture group also holds the bound textures' parameters.
    GLuint boundTextures[kUnits];
    TextureObject boundObjects[kUnits];
    bool boundExists[kUnits];
};

struct ClientAttribEntry
{
    GLbitfield mask;
    ClientState state;
};

class Layer
{
public:
    // State
    ServerState state;
    ClientState client;
    std::vector<Mat4> modelView;
    std::vector<Mat4> projection;
    std::vector<Mat4> textureMatrix[kUnits];
    std::vector<AttribEntry> attribStack;
    std::vector<ClientAttribEntry> clientAttribStack;
    std::unordered_map<GLuint, TextureObject> textures;
    GLenum error = GL_NO_ERROR;

    // Immediate mode
    bool inBegin = false;
    GLenum primitive = 0;
    std::vector<Vertex> vertices;

    // Display lists
    std::unordered_map<GLuint, std::unique_ptr<DisplayList>> lists;
    GLuint nextListName = 1;      // above every list name handed out so far
    std::unique_ptr<DisplayList> compiling;
    GLuint compilingName = 0;
    GLenum compilingMode = 0;
    int executingDepth = 0;

    // Versions of the state the programs' uniforms follow.
    uint32_t transformVersion = 1;
    uint32_t lightingVersion = 1;
    uint32_t fogVersion = 1;
    uint32_t textureVersion = 1;

    // The draw engine's ES objects and what it last set.
    bool loaded = false;
    EsCache cache;
    GLuint vertexArray = 0;
    GLuint streamBuffer = 0;
    size_t streamSize = 0;
    size_t streamOffset = 0;
    ProgramCache programs;
    std::string extensions;
    std::string version;
    bool readBgra = false;        // the context reads GL_BGRA itself

    void Reset(int viewportWidth, int viewportHeight);
    void SetError(GLenum code)
    {
        if (error == GL_NO_ERROR)
            error = code;
    }
    Mat4& CurrentMatrix();
    std::vector<Mat4>& CurrentStack();
    void MatrixChanged();
    TextureObject* BoundTexture(int unit);
    // True (with GL_INVALID_OPERATION set) when called between glBegin and glEnd.
    bool InsideBegin();
    // The bound texture of the unit when texturing is on there and the texture is complete.
    TextureObject* ActiveTexture(int unit);

    // The draw engine (Draw.cpp).
    void SyncState(bool forDraw);
    // Sets the ES pack (or unpack) state to `wanted`; the client's own state by default.
    void SyncPixelStore(bool pack);
    void SyncPixelStore(bool pack, const PixelStore& wanted);
    void DrawVertices(GLenum mode, const Vertex* data, size_t count);
    // Draws a display list's static mesh; false when the state needs the list replayed instead.
    bool DrawStatic(const StaticMesh& mesh);
    void ReleaseObjects(bool callGl);
};

Layer& L();

// The triangles of a primitive of `count` vertices, as vertex indices, with each triangle's
// edges that belong to the primitive's outline (bit 0: first to second vertex, bit 1: second
// to third, bit 2: third to first). The last vertex of each triangle is the one flat shading
// takes, as GL says for each primitive, except for quads split along their first diagonal
// (firstDiagonal: corners 0 to 2), which the draw engine uses only for smooth shading.
void Triangulate(GLenum mode, size_t count, bool firstDiagonal, std::vector<uint32_t>* indices,
                 std::vector<uint8_t>* edges);
// GL_TRIANGLES to GL_POLYGON: the primitives that have faces.
bool IsTriangleMode(GLenum mode);
// Sets the bound ES texture's filters and wraps from the object's state.
void ApplyTextureParameters(TextureObject& object);

} // namespace ff

// A static triangle mesh read from a MilkShape 3D file, with one GL texture per material that
// names a bitmap. Model owns the data and draws it; Ms3dModel fills it from ".ms3d" bytes.
// Draw sets only materials, the texture binding and the GL_TEXTURE_2D enable (restored on
// return); the caller owns matrices, lighting, blending and depth state.
//
// Files: Model.cpp (ownership, no GL), ModelDraw.cpp (Draw, ReloadTextures), Ms3dParse.cpp
// (ParseMs3d over bytes, no GL), Ms3dModel.cpp (the file read).
#pragma once

#include <cstddef>
#include <cstdint>

struct Mesh
{
    int32_t materialIndex;      // index into m_materials; negative: no material
    int32_t triangleCount;      // entries in triangleIndices
    int32_t* triangleIndices;   // indices into m_triangles (owned)
};

struct Material
{
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emissive[4];
    float shininess;
    uint32_t texture;           // GL texture name; 0 = untextured
    char* textureFileName;      // bitmap path as stored in the file (owned); may be empty
};

struct Triangle
{
    float vertexNormals[3][3];
    float s[3];
    float t[3];                 // stored as 1 - (file value)
    int32_t vertexIndices[3];
};

struct Vertex
{
    int8_t boneId;
    float location[3];
};

class Model
{
public:
    // An empty model: every count 0, every array null; it draws nothing.
    Model();
    // Frees everything the model allocated. GL texture names are left alone: effects are
    // destroyed after the library has torn the GL context down.
    virtual ~Model();

    // Reads the file and fills the model; true on success. On failure the model stays as it was.
    // Called from an effect's Init, with a GL context current.
    virtual bool LoadModelData(const char* pszFileName) = 0;

    // Issues the mesh to GL with the caller's matrices and state, one glBegin/glEnd per mesh.
    // Each mesh with a material sets the front-face material and binds its texture (or turns
    // texturing off); GL_TEXTURE_2D is restored on return, the last binding and material stay.
    void Draw();

    // (Re)creates one GL texture per material that names a bitmap, deleting the names the
    // previous call made. Every call reads every named bitmap again: one that appeared since
    // the last call loads now, and one that cannot be decoded reports its message again (a
    // missing file stays silent); its material stays untextured. Needs a current GL context.
    void ReloadTextures();

    // Frees every array and leaves the model empty (counts 0, arrays null). GL texture names
    // are not deleted: this also runs where no GL context is current.
    void Clear();

    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    int32_t m_meshCount;
    Mesh* m_meshes;
    int32_t m_materialCount;
    Material* m_materials;
    int32_t m_triangleCount;
    Triangle* m_triangles;
    int32_t m_vertexCount;
    Vertex* m_vertices;
};

class Ms3dModel : public Model
{
public:
    Ms3dModel();
    ~Ms3dModel() override;

    // Reads a ".ms3d" file (version 3 or 4) in one read and parses it with ParseMs3d, then
    // calls ReloadTextures. False, with the model unchanged, when the file cannot be read or
    // the bytes are not a valid model. Needs a current GL context.
    bool LoadModelData(const char* pszFileName) override;
};

// Parses ".ms3d" bytes (version 3 or 4) into model without touching GL: every texture is 0
// until ReloadTextures. Every section count is checked against the bytes left, every group
// triangle index against the triangle count, every triangle vertex index against the vertex
// count and every non-negative material index against the material count. On success the
// model's previous content is freed and replaced; on any failure false is returned and the
// model is left as it was (empty for a new model). Bytes after the materials are ignored.
// A free function over bytes, so that it needs neither GL nor a file.
bool ParseMs3d(const unsigned char* data, size_t size, Model* model);

// A static triangle mesh read from a MilkShape 3D file, with one GL texture per material that
// names a bitmap. Model owns the data and draws it; Ms3dModel fills it from ".ms3d" bytes.
// Draw sets only materials, the texture binding and the GL_TEXTURE_2D enable (restored on
// return); the caller owns matrices, lighting, blending and depth state.
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
    Model();
    virtual ~Model();

    // Reads the file and fills the model; true on success. On failure the model stays as it was.
    virtual bool LoadModelData(const char* pszFileName) = 0;

    // Issues the mesh to GL with the caller's matrices and state, one glBegin/glEnd per mesh.
    void Draw();

    // (Re)creates one GL texture per material that names a bitmap, deleting the names the
    // previous call made. Needs a current GL context.
    void ReloadTextures();

    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

protected:
    // Frees every array and leaves the model empty (counts 0, arrays null).
    void Clear();

public:
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
    // the bytes are not a valid model.
    bool LoadModelData(const char* pszFileName) override;

    // Parses ".ms3d" bytes into this model without touching GL (no textures are made).
    // Every count and index is checked against the buffer and the arrays; on any failure the
    // model is left empty and false is returned.
    bool ParseMs3d(const unsigned char* data, size_t size);
};

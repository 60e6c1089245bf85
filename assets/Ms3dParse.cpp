// The ".ms3d" reader: header, vertices, triangles, groups and materials, little-endian and
// packed, in that order; whatever follows the materials (animation, joints, comments) is not
// read. Pure byte work (no GL, no files).
//
// The file is trusted for nothing: every section count is checked against the bytes left
// before its array is allocated, and every index against the array it names, so a bad file
// is refused as a whole and never leaves a half-filled model.
#include <cstring>

#include "Model.h"

namespace {

constexpr char kIdentifier[10] = {'M', 'S', '3', 'D', '0', '0', '0', '0', '0', '0'};
constexpr size_t kHeaderSize = 14;
constexpr size_t kVertexSize = 15;
constexpr size_t kTriangleSize = 70;
constexpr size_t kGroupNameEnd = 33;       // flags (1) + name (32): the triangle count follows
constexpr size_t kGroupFixedSize = 36;     // flags, name, count and material index
constexpr size_t kMaterialSize = 361;
constexpr size_t kTextureNameOffset = 105;
constexpr size_t kTextureNameSize = 128;

uint16_t ReadU16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

float ReadFloat(const unsigned char* p)
{
    const uint32_t bits = ReadU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

void ReadFloats(const unsigned char* p, float* out, int count)
{
    for (int i = 0; i < count; ++i)
        out[i] = ReadFloat(p + 4 * i);
}

// A model to fill while parsing. If the parse fails half-way, its destructor frees what was
// allocated so far; the counts are only raised once their array exists.
class StagingModel final : public Model
{
public:
    bool LoadModelData(const char*) override { return false; }
};

// Walks the buffer from front to back; Take hands out the next n bytes only if they are there.
class Cursor
{
public:
    Cursor(const unsigned char* data, size_t size) : m_data(data), m_size(size) {}

    size_t Left() const { return m_size - m_pos; }

    const unsigned char* Take(size_t count)
    {
        if (Left() < count)
            return nullptr;
        const unsigned char* start = m_data + m_pos;
        m_pos += count;
        return start;
    }

    // The uint16 count that opens a section; false when the buffer ends first.
    bool TakeCount(uint16_t* count)
    {
        const unsigned char* p = Take(2);
        if (p == nullptr)
            return false;
        *count = ReadU16(p);
        return true;
    }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

bool ParseVertices(Cursor& cursor, Model& model)
{
    uint16_t count = 0;
    if (!cursor.TakeCount(&count) || cursor.Left() / kVertexSize < count)
        return false;
    if (count == 0)
        return true;
    model.m_vertices = new Vertex[count]();
    model.m_vertexCount = count;
    for (uint16_t i = 0; i < count; ++i)
    {
        const unsigned char* p = cursor.Take(kVertexSize);
        Vertex& vertex = model.m_vertices[i];
        ReadFloats(p + 1, vertex.location, 3);
        vertex.boneId = static_cast<int8_t>(p[13]);
    }
    return true;
}

bool ParseTriangles(Cursor& cursor, Model& model)
{
    uint16_t count = 0;
    if (!cursor.TakeCount(&count) || cursor.Left() / kTriangleSize < count)
        return false;
    if (count == 0)
        return true;
    model.m_triangles = new Triangle[count]();
    model.m_triangleCount = count;
    for (uint16_t i = 0; i < count; ++i)
    {
        const unsigned char* p = cursor.Take(kTriangleSize);
        Triangle& triangle = model.m_triangles[i];
        for (int corner = 0; corner < 3; ++corner)
        {
            triangle.vertexIndices[corner] = ReadU16(p + 2 + 2 * corner);
            if (triangle.vertexIndices[corner] >= model.m_vertexCount)
                return false;
            ReadFloats(p + 8 + 12 * corner, triangle.vertexNormals[corner], 3);
            triangle.s[corner] = ReadFloat(p + 44 + 4 * corner);
            // The file counts t from the top of the picture, GL from the bottom.
            triangle.t[corner] = 1.0f - ReadFloat(p + 56 + 4 * corner);
        }
    }
    return true;
}

bool ParseGroups(Cursor& cursor, Model& model)
{
    uint16_t count = 0;
    if (!cursor.TakeCount(&count) || cursor.Left() / kGroupFixedSize < count)
        return false;
    if (count == 0)
        return true;
    model.m_meshes = new Mesh[count]();
    model.m_meshCount = count;
    for (uint16_t i = 0; i < count; ++i)
    {
        const unsigned char* p = cursor.Take(kGroupNameEnd + 2);
        if (p == nullptr)
            return false;
        const uint16_t triangleCount = ReadU16(p + kGroupNameEnd);
        const unsigned char* indices = cursor.Take(2 * size_t{triangleCount} + 1);
        if (indices == nullptr)
            return false;
        Mesh& mesh = model.m_meshes[i];
        if (triangleCount > 0)
        {
            mesh.triangleIndices = new int32_t[triangleCount];
            mesh.triangleCount = triangleCount;
        }
        for (uint16_t k = 0; k < triangleCount; ++k)
        {
            mesh.triangleIndices[k] = ReadU16(indices + 2 * k);
            if (mesh.triangleIndices[k] >= model.m_triangleCount)
                return false;
        }
        // Checked against the material count once the materials are read.
        mesh.materialIndex = static_cast<int8_t>(indices[2 * triangleCount]);
    }
    return true;
}

bool ParseMaterials(Cursor& cursor, Model& model)
{
    uint16_t count = 0;
    if (!cursor.TakeCount(&count) || cursor.Left() / kMaterialSize < count)
        return false;
    if (count == 0)
        return true;
    model.m_materials = new Material[count]();
    model.m_materialCount = count;
    for (uint16_t i = 0; i < count; ++i)
    {
        const unsigned char* p = cursor.Take(kMaterialSize);
        Material& material = model.m_materials[i];
        ReadFloats(p + 32, material.ambient, 4);
        ReadFloats(p + 48, material.diffuse, 4);
        ReadFloats(p + 64, material.specular, 4);
        ReadFloats(p + 80, material.emissive, 4);
        material.shininess = ReadFloat(p + 96);
        material.texture = 0;
        // The name runs to its first NUL; a field without one ends with the field.
        const unsigned char* name = p + kTextureNameOffset;
        const void* nul = std::memchr(name, 0, kTextureNameSize);
        const size_t length = nul != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - name)
                                             : kTextureNameSize;
        material.textureFileName = new char[length + 1];
        std::memcpy(material.textureFileName, name, length);
        material.textureFileName[length] = '\0';
    }
    return true;
}

// Hands the arrays of from over to to (which must be empty) and leaves from empty.
void MoveContent(Model& from, Model& to)
{
    to.m_meshCount = from.m_meshCount;
    to.m_meshes = from.m_meshes;
    to.m_materialCount = from.m_materialCount;
    to.m_materials = from.m_materials;
    to.m_triangleCount = from.m_triangleCount;
    to.m_triangles = from.m_triangles;
    to.m_vertexCount = from.m_vertexCount;
    to.m_vertices = from.m_vertices;
    from.m_meshCount = 0;
    from.m_meshes = nullptr;
    from.m_materialCount = 0;
    from.m_materials = nullptr;
    from.m_triangleCount = 0;
    from.m_triangles = nullptr;
    from.m_vertexCount = 0;
    from.m_vertices = nullptr;
}

} // namespace

bool ParseMs3d(const unsigned char* data, size_t size, Model* model)
{
    if (data == nullptr || model == nullptr || size < kHeaderSize)
        return false;
    if (std::memcmp(data, kIdentifier, sizeof(kIdentifier)) != 0)
        return false;
    const int32_t version = static_cast<int32_t>(ReadU32(data + 10));
    if (version < 3 || version > 4)
        return false;

    Cursor cursor(data, size);
    cursor.Take(kHeaderSize);
    StagingModel staging;
    if (!ParseVertices(cursor, staging) || !ParseTriangles(cursor, staging) || !ParseGroups(cursor, staging) ||
        !ParseMaterials(cursor, staging))
        return false;
    // A negative index means "no material"; any other must name one of the materials.
    for (int32_t i = 0; i < staging.m_meshCount; ++i)
        if (staging.m_meshes[i].materialIndex >= staging.m_materialCount)
            return false;

    model->Clear();
    MoveContent(staging, *model);
    return true;
}

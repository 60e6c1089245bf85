// Building triangle meshes and writing them as MilkShape 3D files (version 4): vertices shared
// by index, one normal and texture coordinate per triangle corner, groups that name a
// material (or -1), and materials that name a bitmap.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Writers.h"

struct Vec3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
Vec3 Normalised(Vec3 v);

struct MeshMaterial
{
    std::string name;
    std::array<float, 4> ambient{0.2f, 0.2f, 0.2f, 1.0f};
    std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    std::array<float, 4> specular{0.0f, 0.0f, 0.0f, 1.0f};
    std::array<float, 4> emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
    std::string texture;  // bitmap path as the demo opens it ("dat/..."), or empty
};

class MeshBuilder
{
public:
    // Returns the material's index.
    int AddMaterial(const MeshMaterial& material);
    // Returns the group's index; material -1 draws untextured with the previous material.
    int AddGroup(const std::string& name, int material);

    using SurfaceFunction = std::function<Vec3(float u, float v)>;
    using TextureFunction = std::function<std::array<float, 2>(float u, float v)>;

    // A parametric surface over (u, v) in [0, 1]^2, sampled on a (columns + 1) x (rows + 1)
    // grid (u wraps around when `wrapU`, sharing the seam's vertices). Normals come from the
    // surface's partial derivatives and face away from `centre` (the point the surface wraps
    // around at (u, v), e.g. a tube's axis), or towards it when `inward`. Texture coordinates
    // are (u * repeatU, v * repeatV).
    void AddSurface(int group, int columns, int rows, bool wrapU, const SurfaceFunction& position,
                    const SurfaceFunction& centre, float repeatU = 1.0f, float repeatV = 1.0f, bool inward = false);

    // The same with explicit u and v samples (both ascending, from 0 to 1 for wrapping) and
    // texture coordinates from a function.
    void AddSurfaceAt(int group, const std::vector<float>& us, const std::vector<float>& vs, bool wrapU,
                      const SurfaceFunction& position, const SurfaceFunction& centre, const TextureFunction& texture,
                      bool inward = false);

    // Smallest box holding every vertex.
    void Bounds(Vec3* low, Vec3* high) const;
    size_t VertexCount() const { return m_vertices.size(); }
    size_t TriangleCount() const { return m_triangles.size(); }

    // The ".ms3d" bytes. Throws std::runtime_error when a count exceeds the format's limits.
    Bytes Serialise() const;

private:
    struct Corner
    {
        int vertex;
        Vec3 normal;
        float s;
        float t;
    };
    struct Triangle
    {
        std::array<Corner, 3> corners;
        int group;
    };
    struct Group
    {
        std::string name;
        int material;
        std::vector<int> triangles;
    };

    std::vector<Vec3> m_vertices;
    std::vector<Triangle> m_triangles;
    std::vector<Group> m_groups;
    std::vector<MeshMaterial> m_materials;
};

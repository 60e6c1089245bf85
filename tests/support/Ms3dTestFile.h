// Builds small MilkShape 3D files (version 4) for tests: vertices, triangles, groups and
// materials, written little-endian and packed the way the model reader expects them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Projection.h"

struct Ms3dTestMaterial
{
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float emissive[4] = {0, 0, 0, 1};
    float shininess = 0.0f;
    std::string texture;
};

// Glows in one colour whatever the lights: only emission, diffuse alpha 1.
inline Ms3dTestMaterial EmissiveMaterial(float r, float g, float b)
{
    Ms3dTestMaterial material;
    material.emissive[0] = r;
    material.emissive[1] = g;
    material.emissive[2] = b;
    return material;
}

class Ms3dTestFile
{
public:
    // Adds an empty group drawn with the given material (-1: none); returns its index.
    int AddGroup(int material)
    {
        m_groups.push_back(Group{{}, static_cast<int8_t>(material)});
        return static_cast<int>(m_groups.size()) - 1;
    }

    int AddMaterial(const Ms3dTestMaterial& material)
    {
        m_materials.push_back(material);
        return static_cast<int>(m_materials.size()) - 1;
    }

    // A quad of two triangles (a, b, c) and (a, c, d) in group, every corner with normal n and
    // texture coordinates (0,0) (1,0) (1,1) (0,1) in file terms.
    void AddQuad(int group, Point3 a, Point3 b, Point3 c, Point3 d, Point3 n)
    {
        const uint16_t first = static_cast<uint16_t>(m_vertices.size());
        for (const Point3& p : {a, b, c, d})
            m_vertices.push_back(p);
        AddTriangle(group, {first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2)},
                    {0, 1, 1}, {0, 0, 1}, n);
        AddTriangle(group, {first, static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 3)},
                    {0, 1, 0}, {0, 1, 1}, n);
    }

    // An axis-aligned box from lo to hi, faces pointing outwards.
    void AddBox(int group, Point3 lo, Point3 hi)
    {
        const Point3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                             {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
        AddQuad(group, p[4], p[5], p[6], p[7], {0, 0, 1});
        AddQuad(group, p[1], p[0], p[3], p[2], {0, 0, -1});
        AddQuad(group, p[5], p[1], p[2], p[6], {1, 0, 0});
        AddQuad(group, p[0], p[4], p[7], p[3], {-1, 0, 0});
        AddQuad(group, p[7], p[6], p[2], p[3], {0, 1, 0});
        AddQuad(group, p[0], p[1], p[5], p[4], {0, -1, 0});
    }

    std::vector<uint8_t> Bytes() const
    {
        const char id[] = "MS3D000000";
        std::vector<uint8_t> out(id, id + 10);
        PutU32(out, 4);
        PutU16(out, m_vertices.size());
        for (const Point3& v : m_vertices)
        {
            out.push_back(0);
            PutFloat(out, static_cast<float>(v.x));
            PutFloat(out, static_cast<float>(v.y));
            PutFloat(out, static_cast<float>(v.z));
            out.push_back(static_cast<uint8_t>(-1));
            out.push_back(0);
        }
        PutU16(out, m_triangles.size());
        for (const Triangle& t : m_triangles)
        {
            PutU16(out, 0);
            for (uint16_t index : t.vertices)
                PutU16(out, index);
            for (int corner = 0; corner < 3; ++corner)
            {
                PutFloat(out, static_cast<float>(t.normal.x));
                PutFloat(out, static_cast<float>(t.normal.y));
                PutFloat(out, static_cast<float>(t.normal.z));
            }
            for (float s : t.s)
                PutFloat(out, s);
            for (float tt : t.t)
                PutFloat(out, tt);
            out.push_back(1);
            out.push_back(0);
        }
        PutU16(out, m_groups.size());
        for (const Group& g : m_groups)
        {
            out.push_back(0);
            out.insert(out.end(), 32, 0);
            PutU16(out, g.triangles.size());
            for (uint16_t index : g.triangles)
                PutU16(out, index);
            out.push_back(static_cast<uint8_t>(g.material));
        }
        PutU16(out, m_materials.size());
        for (const Ms3dTestMaterial& m : m_materials)
        {
            out.insert(out.end(), 32, 0);
            for (const float* colour : {m.ambient, m.diffuse, m.specular, m.emissive})
                for (int i = 0; i < 4; ++i)
                    PutFloat(out, colour[i]);
            PutFloat(out, m.shininess);
            PutFloat(out, 1.0f);
            out.push_back(0);
            char name[128] = {};
            std::strncpy(name, m.texture.c_str(), sizeof(name) - 1);
            out.insert(out.end(), name, name + 128);
            out.insert(out.end(), 128, 0);
        }
        return out;
    }

private:
    struct Triangle
    {
        uint16_t vertices[3];
        float s[3];
        float t[3];
        Point3 normal;
    };

    struct Group
    {
        std::vector<uint16_t> triangles;
        int8_t material;
    };

    void AddTriangle(int group, std::array<uint16_t, 3> v, std::array<float, 3> s, std::array<float, 3> t,
                     Point3 n)
    {
        m_groups[group].triangles.push_back(static_cast<uint16_t>(m_triangles.size()));
        m_triangles.push_back(Triangle{{v[0], v[1], v[2]}, {s[0], s[1], s[2]}, {t[0], t[1], t[2]}, n});
    }

    static void PutU16(std::vector<uint8_t>& out, size_t value)
    {
        out.push_back(static_cast<uint8_t>(value & 0xFF));
        out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    }

    static void PutU32(std::vector<uint8_t>& out, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
    }

    static void PutFloat(std::vector<uint8_t>& out, float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        PutU32(out, bits);
    }

    std::vector<Point3> m_vertices;
    std::vector<Triangle> m_triangles;
    std::vector<Group> m_groups;
    std::vector<Ms3dTestMaterial> m_materials;
};

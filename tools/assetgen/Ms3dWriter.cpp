#include "Ms3dWriter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

Vec3 Normalised(Vec3 v)
{
    const float length = std::sqrt(Dot(v, v));
    return length > 1e-12f ? v * (1.0f / length) : Vec3{0.0f, 1.0f, 0.0f};
}

int MeshBuilder::AddMaterial(const MeshMaterial& material)
{
    m_materials.push_back(material);
    return static_cast<int>(m_materials.size()) - 1;
}

int MeshBuilder::AddGroup(const std::string& name, int material)
{
    m_groups.push_back({name, material, {}});
    return static_cast<int>(m_groups.size()) - 1;
}

void MeshBuilder::AddSurface(int group, int columns, int rows, bool wrapU, const SurfaceFunction& position,
                             const SurfaceFunction& centre, float repeatU, float repeatV, bool inward)
{
    std::vector<float> us(columns + 1);
    std::vector<float> vs(rows + 1);
    for (int i = 0; i <= columns; ++i)
        us[i] = static_cast<float>(i) / columns;
    for (int j = 0; j <= rows; ++j)
        vs[j] = static_cast<float>(j) / rows;
    AddSurfaceAt(group, us, vs, wrapU, position, centre,
                 [repeatU, repeatV](float u, float v) { return std::array<float, 2>{u * repeatU, v * repeatV}; }, inward);
}

void MeshBuilder::AddSurfaceAt(int group, const std::vector<float>& us, const std::vector<float>& vs, bool wrapU,
                               const SurfaceFunction& position, const SurfaceFunction& centre,
                               const TextureFunction& texture, bool inward)
{
    const int columns = static_cast<int>(us.size()) - 1;
    const int rows = static_cast<int>(vs.size()) - 1;
    const int uniqueColumns = wrapU ? columns : columns + 1;
    const int base = static_cast<int>(m_vertices.size());
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i < uniqueColumns; ++i)
            m_vertices.push_back(position(us[i], vs[j]));
    auto index = [&](int i, int j) { return base + j * uniqueColumns + (wrapU ? i % columns : i); };

    // Normal from central differences of the surface; at a pole (degenerate derivative) the
    // difference is taken a little further in.
    auto normalAt = [&](float u, float v) {
        const float h = 1e-3f;
        Vec3 du = position(std::min(u + h, 1.0f), v) - position(std::max(u - h, 0.0f), v);
        Vec3 dv = position(u, std::min(v + h, 1.0f)) - position(u, std::max(v - h, 0.0f));
        if (Dot(du, du) < 1e-12f)
            du = position(std::min(u + h, 1.0f), std::clamp(v, 0.02f, 0.98f)) -
                 position(std::max(u - h, 0.0f), std::clamp(v, 0.02f, 0.98f));
        if (Dot(dv, dv) < 1e-12f)
            dv = position(u, std::min(v + 0.02f, 1.0f)) - position(u, std::max(v - 0.02f, 0.0f));
        return Normalised(Cross(du, dv));
    };
    // Which way dP/du x dP/dv points, decided once for the whole surface by how the raw normals
    // lie against the direction away from the centre.
    float away = 0.0f;
    for (float v : vs)
        for (float u : us)
            away += Dot(normalAt(u, v), position(u, v) - centre(u, v));
    const bool flip = (away < 0.0f) != inward;

    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
        {
            const int a = index(i, j);
            const int b = index(i + 1, j);
            const int c = index(i + 1, j + 1);
            const int d = index(i, j + 1);
            auto corner = [&](int vertex, int ci, int cj) {
                const auto st = texture(us[ci], vs[cj]);
                const Vec3 n = normalAt(us[ci], vs[cj]);
                return Corner{vertex, flip ? n * -1.0f : n, st[0], st[1]};
            };
            const Corner ca = corner(a, i, j);
            const Corner cb = corner(b, i + 1, j);
            const Corner cc = corner(c, i + 1, j + 1);
            const Corner cd = corner(d, i, j + 1);
            // Skip triangles that collapsed to a line at a pole.
            auto add = [&](const Corner& p, const Corner& q, const Corner& r) {
                if (p.vertex == q.vertex || q.vertex == r.vertex || p.vertex == r.vertex)
                    return;
                const Vec3 e1 = m_vertices[q.vertex] - m_vertices[p.vertex];
                const Vec3 e2 = m_vertices[r.vertex] - m_vertices[p.vertex];
                const Vec3 n = Cross(e1, e2);
                if (Dot(n, n) < 1e-10f)
                    return;
                m_groups[group].triangles.push_back(static_cast<int>(m_triangles.size()));
                if (flip)
                    m_triangles.push_back({{p, r, q}, group});
                else
                    m_triangles.push_back({{p, q, r}, group});
            };
            add(ca, cb, cc);
            add(ca, cc, cd);
        }
}

void MeshBuilder::Bounds(Vec3* low, Vec3* high) const
{
    const float big = std::numeric_limits<float>::max();
    *low = {big, big, big};
    *high = {-big, -big, -big};
    for (const Vec3& v : m_vertices)
    {
        low->x = std::min(low->x, v.x);
        low->y = std::min(low->y, v.y);
        low->z = std::min(low->z, v.z);
        high->x = std::max(high->x, v.x);
        high->y = std::max(high->y, v.y);
        high->z = std::max(high->z, v.z);
    }
}

Bytes MeshBuilder::Serialise() const
{
    if (m_vertices.size() > 65535 || m_triangles.size() > 65535 || m_groups.size() > 65535 || m_materials.size() > 127)
        throw std::runtime_error("mesh too large for the .ms3d format");
    Bytes out;
    for (char c : std::string("MS3D000000"))
        PutU8(&out, static_cast<uint8_t>(c));
    PutU32(&out, 4);

    PutU16(&out, static_cast<uint32_t>(m_vertices.size()));
    for (const Vec3& v : m_vertices)
    {
        PutU8(&out, 0);
        PutF32(&out, v.x);
        PutF32(&out, v.y);
        PutF32(&out, v.z);
        PutU8(&out, 0xFF);  // bone -1: no skeleton
        PutU8(&out, 0);
    }

    PutU16(&out, static_cast<uint32_t>(m_triangles.size()));
    for (const Triangle& tri : m_triangles)
    {
        PutU16(&out, 0);
        for (const Corner& c : tri.corners)
            PutU16(&out, static_cast<uint32_t>(c.vertex));
        for (const Corner& c : tri.corners)
        {
            PutF32(&out, c.normal.x);
            PutF32(&out, c.normal.y);
            PutF32(&out, c.normal.z);
        }
        for (const Corner& c : tri.corners)
            PutF32(&out, c.s);
        // The file stores t flipped (readers use 1 - t), so a picture's top row is t = 0 here.
        for (const Corner& c : tri.corners)
            PutF32(&out, 1.0f - c.t);
        PutU8(&out, 1);
        PutU8(&out, static_cast<uint32_t>(tri.group));
    }

    PutU16(&out, static_cast<uint32_t>(m_groups.size()));
    for (const Group& group : m_groups)
    {
        PutU8(&out, 0);
        PutFixedString(&out, group.name, 32);
        PutU16(&out, static_cast<uint32_t>(group.triangles.size()));
        for (int t : group.triangles)
            PutU16(&out, static_cast<uint32_t>(t));
        PutU8(&out, static_cast<uint32_t>(static_cast<int8_t>(group.material)) & 0xFF);
    }

    PutU16(&out, static_cast<uint32_t>(m_materials.size()));
    for (const MeshMaterial& m : m_materials)
    {
        PutFixedString(&out, m.name, 32);
        for (float v : m.ambient)
            PutF32(&out, v);
        for (float v : m.diffuse)
            PutF32(&out, v);
        for (float v : m.specular)
            PutF32(&out, v);
        for (float v : m.emissive)
            PutF32(&out, v);
        PutF32(&out, m.shininess);
        PutF32(&out, 1.0f);  // transparency
        PutU8(&out, 0);      // mode
        PutFixedString(&out, m.texture, 128);
        PutFixedString(&out, "", 128);
    }

    // Animation settings and an empty skeleton, as version 4 files carry them.
    PutF32(&out, 24.0f);
    PutF32(&out, 0.0f);
    PutU32(&out, 1);
    PutU16(&out, 0);
    return out;
}

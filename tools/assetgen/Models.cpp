// Model geometry from a few primitives (ellipsoids, tubes along smooth paths, surfaces of
// revolution), sized for the cameras that show them:
//   - the dancer is seen from about 135 units away, looking at (0, 10, 0), so she stands from
//     y = -23 to her raised hand at y = 45;
//   - the tunnel surrounds a viewer at the origin while its own origin swings between z = 95
//     and 335, so it runs from z = -90 to z = -1050 (all of it that can ever show) with a
//     radius of 26;
//   - the headphones are seen from (75, 75, 75), about 120 units away, so they are ~42 wide.
// Each model's last group that sets a material uses GL's default material values, because
// later effects draw with whatever material the model left current.
#include "Models.h"

#include <cmath>

#include "ModelTextures.h"
#include "Ms3dWriter.h"

namespace
{

constexpr float kTwoPi = 6.28318531f;
constexpr float kPi = 3.14159265f;

MeshMaterial DefaultMaterial(const std::string& name)
{
    MeshMaterial m;
    m.name = name;
    return m;
}

MeshMaterial Material(const std::string& name, std::array<float, 4> ambient, std::array<float, 4> diffuse,
                      std::array<float, 4> specular, std::array<float, 4> emissive, float shininess,
                      const std::string& texture)
{
    MeshMaterial m;
    m.name = name;
    m.ambient = ambient;
    m.diffuse = diffuse;
    m.specular = specular;
    m.emissive = emissive;
    m.shininess = shininess;
    m.texture = texture;
    return m;
}

void AddEllipsoid(MeshBuilder* mesh, int group, Vec3 centre, Vec3 radii, int columns = 24, int rows = 16,
                  float polarEnd = 1.0f)
{
    mesh->AddSurface(
        group, columns, rows, true,
        [=](float u, float v) {
            const float theta = v * polarEnd * kPi;
            const float phi = u * kTwoPi;
            return Vec3{centre.x + radii.x * std::sin(theta) * std::cos(phi), centre.y + radii.y * std::cos(theta),
                        centre.z + radii.z * std::sin(theta) * std::sin(phi)};
        },
        [=](float, float) { return centre; });
}

// A smooth path through control points (Catmull-Rom), parameterised 0..1 by segment.
Vec3 PathPoint(const std::vector<Vec3>& points, float v)
{
    const int segments = static_cast<int>(points.size()) - 1;
    const float f = std::clamp(v, 0.0f, 1.0f) * segments;
    const int i = std::min(static_cast<int>(f), segments - 1);
    const float t = f - i;
    const Vec3 p0 = points[std::max(i - 1, 0)];
    const Vec3 p1 = points[i];
    const Vec3 p2 = points[i + 1];
    const Vec3 p3 = points[std::min(i + 2, segments)];
    const float t2 = t * t;
    const float t3 = t2 * t;
    return (p1 * 2.0f + (p2 - p0) * t + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * t2 + (p1 * 3.0f - p0 - p2 * 3.0f + p3) * t3) *
           0.5f;
}

// A tube along a smooth path with a radius that varies along it (radius(v)); elliptical when
// `flatten` squeezes the second axis.
void AddTube(MeshBuilder* mesh, int group, const std::vector<Vec3>& path, const std::function<float(float)>& radius,
             int columns, int rows, float flatten = 1.0f, float repeatU = 1.0f, float repeatV = 1.0f)
{
    auto frame = [path](float v, Vec3* n, Vec3* b) {
        const Vec3 tangent = Normalised(PathPoint(path, std::min(v + 0.01f, 1.0f)) - PathPoint(path, std::max(v - 0.01f, 0.0f)));
        const Vec3 reference = std::fabs(tangent.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
        *n = Normalised(Cross(reference, tangent));
        *b = Cross(tangent, *n);
    };
    mesh->AddSurface(
        group, columns, rows, true,
        [=](float u, float v) {
            Vec3 n, b;
            frame(v, &n, &b);
            const float a = u * kTwoPi;
            const float r = radius(v);
            return PathPoint(path, v) + n * (r * std::cos(a)) + b * (r * flatten * std::sin(a));
        },
        [=](float, float v) { return PathPoint(path, v); }, repeatU, repeatV);
}

// Piecewise-linear interpolation of (v, value) pairs.
std::function<float(float)> Profile(std::vector<std::pair<float, float>> stops)
{
    return [stops](float v) {
        if (v <= stops.front().first)
            return stops.front().second;
        for (size_t i = 1; i < stops.size(); ++i)
            if (v <= stops[i].first)
            {
                const float t = (v - stops[i - 1].first) / (stops[i].first - stops[i - 1].first);
                const float s = t * t * (3.0f - 2.0f * t);
                return stops[i - 1].second + (stops[i].second - stops[i - 1].second) * s;
            }
        return stops.back().second;
    };
}

// A surface of revolution about the y axis with elliptical sections: v runs from the top
// (y = top) to the bottom (y = bottom); radiusX(v) and radiusZ(v) give the section.
void AddLoft(MeshBuilder* mesh, int group, float top, float bottom, const std::function<float(float)>& radiusX,
             const std::function<float(float)>& radiusZ, float offsetZ, int columns, int rows, float repeatU = 1.0f,
             float repeatV = 1.0f)
{
    mesh->AddSurface(
        group, columns, rows, true,
        [=](float u, float v) {
            const float a = u * kTwoPi;
            const float y = top + (bottom - top) * v;
            return Vec3{radiusX(v) * std::cos(a), y, offsetZ + radiusZ(v) * std::sin(a)};
        },
        [=](float, float v) { return Vec3{0.0f, top + (bottom - top) * v, offsetZ}; }, repeatU, repeatV);
}

Bytes MakeDancer()
{
    MeshBuilder mesh;
    const int skin = mesh.AddMaterial(Material("skin", {0.35f, 0.25f, 0.25f, 1.0f}, {1.0f, 0.78f, 0.72f, 0.85f},
                                               {0.6f, 0.5f, 0.5f, 1.0f}, {0.12f, 0.05f, 0.08f, 1.0f}, 24.0f,
                                               "dat/b_skin.bmp"));
    const int dress = mesh.AddMaterial(Material("dress", {0.3f, 0.1f, 0.3f, 1.0f}, {1.0f, 0.55f, 0.95f, 0.9f},
                                                {0.9f, 0.8f, 1.0f, 1.0f}, {0.18f, 0.02f, 0.15f, 1.0f}, 60.0f,
                                                "dat/b_dress.bmp"));
    const int hair = mesh.AddMaterial(Material("hair", {0.2f, 0.1f, 0.25f, 1.0f}, {0.85f, 0.45f, 1.0f, 0.8f},
                                               {0.5f, 0.5f, 0.7f, 1.0f}, {0.06f, 0.02f, 0.12f, 1.0f}, 40.0f,
                                               "dat/b_hair.bmp"));
    const int plain = mesh.AddMaterial(DefaultMaterial("sandals"));

    const int body = mesh.AddGroup("body", skin);
    const int gown = mesh.AddGroup("dress", dress);
    const int mane = mesh.AddGroup("hair", hair);
    const int feet = mesh.AddGroup("sandals", plain);
    const int trim = mesh.AddGroup("belt", -1);

    // Head, neck and torso.
    AddEllipsoid(&mesh, body, {0.0f, 38.0f, 0.3f}, {3.2f, 4.3f, 3.7f});
    AddTube(&mesh, body, {{0.0f, 36.0f, 0.0f}, {0.0f, 31.0f, 0.0f}}, Profile({{0.0f, 1.3f}, {1.0f, 1.6f}}), 12, 4);
    AddLoft(&mesh, body, 32.5f, 8.0f,
            Profile({{0.0f, 1.8f}, {0.08f, 5.4f}, {0.3f, 4.6f}, {0.62f, 3.5f}, {1.0f, 5.0f}}),
            Profile({{0.0f, 1.5f}, {0.08f, 2.6f}, {0.3f, 3.1f}, {0.62f, 2.5f}, {1.0f, 3.4f}}), 0.0f, 24, 20);

    // Dress: bodice from the bust line to the waist, then a flared skirt to the knees.
    AddLoft(&mesh, gown, 26.0f, -4.0f,
            Profile({{0.0f, 4.85f}, {0.3f, 3.75f}, {0.45f, 4.9f}, {1.0f, 8.2f}}),
            Profile({{0.0f, 3.35f}, {0.3f, 2.75f}, {0.45f, 3.6f}, {1.0f, 6.6f}}), 0.0f, 32, 24, 2.0f, 1.0f);
    // Straps over the shoulders.
    for (float side : {-1.0f, 1.0f})
        AddTube(&mesh, gown, {{side * 3.4f, 26.0f, 2.6f}, {side * 3.8f, 30.5f, 1.2f}, {side * 3.6f, 31.6f, -0.6f}, {side * 3.4f, 26.0f, -2.4f}},
                [](float) { return 0.45f; }, 8, 12);

    // Legs: thigh, knee, calf, ankle.
    for (float side : {-1.0f, 1.0f})
    {
        AddTube(&mesh, body, {{side * 2.4f, 9.0f, 0.0f}, {side * 2.2f, -6.0f, 0.4f}, {side * 2.0f, -20.0f, -0.2f}},
                Profile({{0.0f, 2.4f}, {0.45f, 1.45f}, {0.62f, 1.65f}, {1.0f, 0.9f}}), 16, 20);
        // Sandals with a little heel.
        AddEllipsoid(&mesh, feet, {side * 2.0f, -21.6f, 1.2f}, {1.2f, 1.2f, 2.9f}, 16, 10);
        AddTube(&mesh, feet, {{side * 2.0f, -21.0f, -1.2f}, {side * 2.0f, -23.0f, -1.4f}}, [](float) { return 0.45f; }, 8, 2);
    }

    // Arms: the right one raised over the head, the left resting on the hip.
    AddTube(&mesh, body, {{5.0f, 29.8f, 0.0f}, {8.6f, 35.5f, 0.8f}, {8.0f, 41.0f, 1.2f}, {6.2f, 43.0f, 1.0f}},
            Profile({{0.0f, 1.35f}, {0.4f, 1.05f}, {1.0f, 0.75f}}), 12, 18);
    AddEllipsoid(&mesh, body, {5.6f, 44.2f, 1.0f}, {0.8f, 1.5f, 0.6f}, 10, 8);
    AddTube(&mesh, body, {{-5.0f, 29.8f, 0.0f}, {-8.4f, 22.5f, -0.6f}, {-6.0f, 16.8f, 1.0f}, {-4.8f, 16.0f, 1.6f}},
            Profile({{0.0f, 1.35f}, {0.45f, 1.05f}, {1.0f, 0.75f}}), 12, 18);

    // Hair: a cap over the top and back of the head and a long ponytail.
    AddEllipsoid(&mesh, mane, {0.0f, 38.6f, -0.2f}, {3.55f, 4.55f, 4.05f}, 24, 12, 0.55f);
    AddTube(&mesh, mane, {{0.0f, 41.0f, -3.2f}, {0.0f, 39.5f, -5.2f}, {0.4f, 34.0f, -6.0f}, {1.2f, 27.0f, -5.4f}},
            Profile({{0.0f, 1.6f}, {0.2f, 1.9f}, {1.0f, 0.3f}}), 12, 16);

    // Belt: a thin ring at the waist, drawn with the material last set.
    AddTube(&mesh, trim, {{0.0f, 17.4f, 0.0f}, {0.0f, 17.0f, 0.0f}}, [](float) { return 3.95f; }, 28, 1, 0.76f);
    return mesh.Serialise();
}

// Only the part of the tube that can ever show is built. The viewer's eye runs along the axis
// between model z = -95 and -335 while the model slides, and the near plane lies one unit ahead
// of it, so nothing above z = -96 is ever drawn. Ahead, the black fog (e^(-0.01 d)) leaves less
// than half an 8-bit step of even a white light strip beyond 623 units, and the tube ends 700
// units past the farthest-forward eye; past its end the frame keeps the black it was cleared to,
// as the fogged tube left it.
constexpr float kTunnelNeverDrawnAbove = -96.0f;
constexpr float kTunnelFront = -90.0f;
constexpr float kTunnelBack = -1050.0f;

Bytes MakeTunnel()
{
    MeshBuilder mesh;
    // Unlit: only the textures and the current colour show, so both materials keep GL's
    // default values.
    MeshMaterial ribMaterial = DefaultMaterial("ribs");
    ribMaterial.texture = "dat/t_rib.bmp";
    MeshMaterial panelMaterial = DefaultMaterial("panels");
    panelMaterial.texture = "dat/t_panel.bmp";
    const int rib = mesh.AddMaterial(ribMaterial);
    const int panel = mesh.AddMaterial(panelMaterial);
    const int ribs = mesh.AddGroup("ribs", rib);
    const int panels = mesh.AddGroup("panels", panel);
    const int lights = mesh.AddGroup("light strips", -1);

    constexpr float kPeriod = 40.0f;
    constexpr float kRadius = 26.0f;
    constexpr int kSides = 24;
    const int periods = static_cast<int>((kTunnelFront - kTunnelBack) / kPeriod);

    auto angles = [] {
        std::vector<float> us;
        for (int i = 0; i <= kSides; ++i)
            us.push_back(static_cast<float>(i) / kSides);
        return us;
    }();
    // Each period: a rib (the wall steps inwards to radius 21 and back) then a panel section.
    // The rib's near slope, the one the viewer looks at, is curved in three rows. Its far slope
    // hides behind the crest except at the sides of the view while a rib passes close by, and
    // only its part next to the crest shows there: two rows, the bend kept where it shows.
    const std::vector<float> ribStops = {0.0f, 0.15f, 0.3f, 0.5f, 0.7f, 1.0f};
    for (int p = 0; p < periods; ++p)
    {
        const float z0 = kTunnelFront - p * kPeriod;
        auto ribRadius = [](float f) { return kRadius - 5.0f * std::sin(f * kPi); };
        // Rows wholly behind the near plane (the first rib's near slope) are left out.
        size_t firstRow = 0;
        while (firstRow + 2 < ribStops.size() && z0 - ribStops[firstRow + 1] * 8.0f > kTunnelNeverDrawnAbove)
            ++firstRow;
        mesh.AddSurfaceAt(
            ribs, angles, std::vector<float>(ribStops.begin() + firstRow, ribStops.end()), true,
            [=](float u, float v) {
                const float a = u * kTwoPi;
                const float r = ribRadius(v);
                return Vec3{r * std::cos(a), r * std::sin(a), z0 - v * 8.0f};
            },
            [=](float, float v) { return Vec3{0.0f, 0.0f, z0 - v * 8.0f}; },
            [](float u, float v) { return std::array<float, 2>{u * 6.0f, v}; }, true);
        mesh.AddSurfaceAt(
            panels, angles, {0.0f, 0.5f, 1.0f}, true,
            [=](float u, float v) {
                const float a = u * kTwoPi;
                // A slight outward bulge between the ribs.
                const float r = kRadius + 1.2f * std::sin(v * kPi);
                return Vec3{r * std::cos(a), r * std::sin(a), z0 - 8.0f - v * (kPeriod - 8.0f)};
            },
            [=](float, float v) { return Vec3{0.0f, 0.0f, z0 - 8.0f - v * (kPeriod - 8.0f)}; },
            [](float u, float v) { return std::array<float, 2>{u * 4.0f, v}; }, true);
    }
    // Four light strips along the tube, just inside the panels, facing the axis. Rows of 10
    // units: the strip that crosses the near plane is then too short to reach into the view,
    // where its fog would be drawn from a vertex behind the viewer.
    for (int strip = 0; strip < 4; ++strip)
    {
        const float angle = kTwoPi * (strip + 0.5f) / 4.0f;
        const Vec3 across{-std::sin(angle), std::cos(angle), 0.0f};
        const Vec3 out{std::cos(angle), std::sin(angle), 0.0f};
        mesh.AddSurface(
            lights, 1, periods * 4, false,
            [=](float u, float v) {
                return out * (kRadius - 0.3f) + across * ((u - 0.5f) * 1.4f) +
                       Vec3{0.0f, 0.0f, kTunnelFront + (kTunnelBack - kTunnelFront) * v};
            },
            [=](float, float v) { return Vec3{0.0f, 0.0f, kTunnelFront + (kTunnelBack - kTunnelFront) * v}; }, 1.0f,
            1.0f, true);
    }
    return mesh.Serialise();
}

Bytes MakeHeadphones()
{
    MeshBuilder mesh;
    const int leather = mesh.AddMaterial(Material("band", {0.25f, 0.22f, 0.25f, 1.0f}, {0.9f, 0.85f, 0.95f, 1.0f},
                                                  {0.3f, 0.3f, 0.3f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 12.0f,
                                                  "dat/h_band.bmp"));
    const int shell = mesh.AddMaterial(Material("shell", {0.3f, 0.3f, 0.35f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f},
                                                {1.0f, 1.0f, 1.0f, 1.0f}, {0.05f, 0.02f, 0.08f, 1.0f}, 80.0f,
                                                "dat/h_shell.bmp"));
    const int metal = mesh.AddMaterial(Material("metal", {0.3f, 0.3f, 0.3f, 1.0f}, {0.7f, 0.72f, 0.8f, 1.0f},
                                                {1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 100.0f, ""));
    const int cushion = mesh.AddMaterial(DefaultMaterial("cushions"));

    const int band = mesh.AddGroup("headband", leather);
    const int cups = mesh.AddGroup("cups", shell);
    const int sliders = mesh.AddGroup("sliders", metal);
    const int pads = mesh.AddGroup("cushions", cushion);
    const int cable = mesh.AddGroup("cable", -1);

    // Headband: an arc over the top, flattened into a strap, and a softer pad under it.
    std::vector<Vec3> arc;
    for (int i = 0; i <= 12; ++i)
    {
        const float a = kPi * i / 12.0f;
        arc.push_back({17.5f * std::cos(a), 4.0f + 17.5f * std::sin(a), 0.0f});
    }
    AddTube(&mesh, band, arc, [](float) { return 0.9f; }, 16, 40, 2.9f, 1.0f, 4.0f);
    std::vector<Vec3> padArc;
    for (int i = 0; i <= 8; ++i)
    {
        const float a = kPi * (0.22f + 0.56f * i / 8.0f);
        padArc.push_back({15.8f * std::cos(a), 4.0f + 15.8f * std::sin(a), 0.0f});
    }
    AddTube(&mesh, pads, padArc, Profile({{0.0f, 0.6f}, {0.1f, 1.4f}, {0.9f, 1.4f}, {1.0f, 0.6f}}), 12, 24);

    for (float side : {-1.0f, 1.0f})
    {
        // Slider from the band's end to the cup's yoke.
        AddTube(&mesh, sliders, {{side * 17.5f, 4.5f, 0.0f}, {side * 17.8f, -1.0f, 0.0f}}, [](float) { return 0.9f; }, 10, 3);
        AddTube(&mesh, sliders, {{side * 17.8f, -1.0f, -7.4f}, {side * 17.8f, 0.2f, 0.0f}, {side * 17.8f, -1.0f, 7.4f}},
                [](float) { return 0.55f; }, 8, 12);
        // Cup: a closed drum facing sideways, x from 16 to 21 on each side.
        const float inner = side * 16.0f;
        const float outer = side * 21.0f;
        const Vec3 cupCentre{side * 18.5f, -7.5f, 0.0f};
        mesh.AddSurface(
            cups, 28, 6, true,
            [=](float u, float v) {
                const float a = u * kTwoPi;
                // Side wall (v < 0.7), then the outer face closing in to the centre.
                float x, r;
                if (v < 0.7f)
                {
                    x = inner + (outer - inner) * (v / 0.7f);
                    r = 7.2f - 0.6f * (v / 0.7f);
                }
                else
                {
                    x = outer;
                    r = 6.6f * (1.0f - (v - 0.7f) / 0.3f);
                }
                return Vec3{x, -7.5f + r * std::cos(a), r * std::sin(a)};
            },
            [=](float, float) { return cupCentre; }, 1.0f, 1.0f);
        // The inner face of the drum, seen through the cushion's opening.
        mesh.AddSurface(
            pads, 24, 2, true,
            [=](float u, float v) {
                const float a = u * kTwoPi;
                const float r = 7.2f * (1.0f - v);
                return Vec3{inner, -7.5f + r * std::cos(a), r * std::sin(a)};
            },
            [=](float, float) { return cupCentre; });
        // Ear cushion: a ring on the inner side of the cup.
        mesh.AddSurface(
            pads, 24, 12, true,
            [=](float u, float v) {
                const float a = u * kTwoPi;
                const float b = v * kTwoPi;
                const float ring = 5.6f + 1.7f * std::cos(b);
                return Vec3{inner - side * 1.2f + side * 1.7f * std::sin(b), -7.5f + ring * std::cos(a), ring * std::sin(a)};
            },
            [=](float u, float) {
                const float a = u * kTwoPi;
                return Vec3{inner - side * 1.2f, -7.5f + 5.6f * std::cos(a), 5.6f * std::sin(a)};
            });
    }
    // A short coiled cable from the left cup.
    std::vector<Vec3> coil;
    for (int i = 0; i <= 40; ++i)
    {
        const float t = i / 40.0f;
        coil.push_back({-19.5f + 0.8f * std::cos(t * 30.0f), -14.0f - 4.5f * t, 0.8f * std::sin(t * 30.0f) + 2.0f * t});
    }
    AddTube(&mesh, cable, coil, [](float) { return 0.35f; }, 6, 120);
    return mesh.Serialise();
}

}  // namespace

void MakeModels(Generated* out)
{
    out->AddFile("dat/m_bitch.ms3d", MakeDancer());
    out->AddFile("dat/m_tunnel.ms3d", MakeTunnel());
    out->AddFile("dat/m_headphone.ms3d", MakeHeadphones());
    MakeModelTextures(out);
}

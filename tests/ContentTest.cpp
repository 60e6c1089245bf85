// The generated data directory (tools/assetgen): every file the effects name exists and loads
// through the demo's own readers, the pictures have the shape their effects draw them with,
// the models fit their cameras, the script covers the whole show on the beat, the soundtrack
// is as long as the show, the generator is deterministic and within its budgets, frames from
// the middle of each scene show a picture, and the landscape fills the view while it is shown.
//
// Sections: texture files; masks, pictures and glows; models; height map; soundtrack; script;
// generator; rendered scenes; the landscape flight; the generator's parts (writers against the
// demo's readers, shapes, resampling, the beat grid, the encoder).
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "Clear.h"
#include "DibTexture.h"
#include "GlTestContext.h"
#include "Land.h"
#include "codecs/ImageCodec.h"
#include "assetgen/Canvas.h"
#include "assetgen/Flight.h"
#include "assetgen/Ms3dWriter.h"
#include "assetgen/Music.h"
#include "assetgen/Random.h"
#include "assetgen/Shapes.h"
#include "assetgen/Show.h"
#include "assetgen/Writers.h"
#include "Model.h"
#include "FrameSaver.h"
#include "TestFiles.h"
#include "script/Timeline.h"
#include "support/WholeFile.h"

namespace fs = std::filesystem;

namespace
{

const std::vector<std::string> kEffects = {"BALLS", "BACKGROUND", "IMAGE",  "CLEAR",  "FLAG",
                                           "PARTY", "BITCH",      "CREDITS", "STARFIELD", "LAND",
                                           "TUNNEL", "BORDER",    "KAOS",   "SPIRAL", "SPACE"};

struct TextureFile
{
    const char* path;
    int type;  // 1 JPEG, 3 TGA, as the effects load them
};

// Every picture an effect loads, with the image type it asks for.
const std::vector<TextureFile> kTextures = {
    {"kaos/k_loudspeaker_l_image.jpg", 1}, {"kaos/k_loudspeaker_l_mask.jpg", 1},
    {"kaos/k_loudspeaker_r_image.jpg", 1}, {"kaos/k_loudspeaker_r_mask.jpg", 1},
    {"kaos/k_quillmarsh_glow_02_image.jpg", 1}, {"kaos/k_quillmarsh_glow_02_mask.jpg", 1},
    {"kaos/k_fuckhouse_image.jpg", 1},     {"kaos/k_fuckhouse_mask.jpg", 1},
    {"kaos/k_fuckhouse_outershape.jpg", 1}, {"kaos/k_bitch_image.jpg", 1},
    {"kaos/k_bitch_mask.jpg", 1},          {"kaos/k_tcube_image.jpg", 1},
    {"kaos/k_tcube_env.jpg", 1},           {"kaos/k_head_image.jpg", 1},
    {"kaos/k_head_mask.jpg", 1},           {"images/i_hp_glow_image.jpg", 1},
    {"images/i_hp_glow_mask.jpg", 1},      {"images/i_greetings_01.jpg", 1},
    {"images/i_greetings_02.jpg", 1},      {"spiral/t_cube_1.jpg", 1},
    {"spiral/t_cube_2.jpg", 1},            {"particle.jpg", 1},
    {"lightball.jpg", 1},                  {"star_64.jpg", 1},
    {"t_flag.jpg", 1},                     {"t_terrain_1.jpg", 1},
    {"t_background_01.jpg", 1},            {"t_background_02.jpg", 1},
    {"t_background_03.jpg", 1},            {"txt_coding.jpg", 1},
    {"txt_qv517.jpg", 1},                  {"t_BorderImage.tga", 3},
    {"t_BorderMask.tga", 3},
};

std::string DataPath(const std::string& relative) { return DataDir() + "/" + relative; }

// Loads a picture the way the library does; fails the test on any error.
DecodedImage LoadPicture(const std::string& relative)
{
    DecodedImage image;
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(ReadWholeFile(DataPath(relative), &bytes)) << relative;
    const bool tga = relative.size() > 4 && relative.substr(relative.size() - 4) == ".tga";
    const bool ok = tga ? DecodeTga(bytes.data(), bytes.size(), &image, &error)
                        : DecodeJpeg(bytes.data(), bytes.size(), &image, &error);
    EXPECT_TRUE(ok) << relative << ": " << error;
    return image;
}

// Brightest channel of a pixel, 0..1. Rows count from the bottom (GL order).
float Level(const DecodedImage& image, int x, int y)
{
    const size_t i = (static_cast<size_t>(y) * image.width + x) * image.channels;
    return std::max({image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]}) / 255.0f;
}

bool IsPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// ---------------------------------------------------------------------------------------------
// Texture files
// ---------------------------------------------------------------------------------------------

TEST(Content, EveryPictureTheEffectsLoadDecodesAtAPowerOfTwoSize)
{
    for (const TextureFile& texture : kTextures)
    {
        SCOPED_TRACE(texture.path);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(DataPath(texture.path), &bytes));
        // The file is of the type the effect asks the library for.
        if (texture.type == 1)
        {
            EXPECT_TRUE(bytes.size() > 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF);
        }
        const DecodedImage image = LoadPicture(texture.path);
        EXPECT_TRUE(IsPowerOfTwo(image.width) && image.width >= 64 && image.width <= 512) << image.width;
        EXPECT_TRUE(IsPowerOfTwo(image.height) && image.height >= 64 && image.height <= 512) << image.height;
    }
}

struct MaskedPair
{
    const char* image;
    const char* mask;
};

// Mask/picture pairs as the effects draw them: the mask multiplies the frame, the picture is
// added. Black mask where the picture lies, white where the frame shows through, and a
// picture that is black wherever the mask is white.
TEST(Content, MasksAndPicturesFitTogether)
{
    const std::vector<MaskedPair> pairs = {
        {"kaos/k_loudspeaker_l_image.jpg", "kaos/k_loudspeaker_l_mask.jpg"},
        {"kaos/k_loudspeaker_r_image.jpg", "kaos/k_loudspeaker_r_mask.jpg"},
        {"kaos/k_quillmarsh_glow_02_image.jpg", "kaos/k_quillmarsh_glow_02_mask.jpg"},
        {"kaos/k_fuckhouse_image.jpg", "kaos/k_fuckhouse_mask.jpg"},
        {"kaos/k_bitch_image.jpg", "kaos/k_bitch_mask.jpg"},
        {"kaos/k_head_image.jpg", "kaos/k_head_mask.jpg"},
        {"images/i_hp_glow_image.jpg", "images/i_hp_glow_mask.jpg"},
        {"t_BorderImage.tga", "t_BorderMask.tga"},
    };
    for (const MaskedPair& pair : pairs)
    {
        SCOPED_TRACE(pair.image);
        const DecodedImage image = LoadPicture(pair.image);
        const DecodedImage mask = LoadPicture(pair.mask);
        ASSERT_EQ(image.width, mask.width);
        ASSERT_EQ(image.height, mask.height);
        int white = 0, black = 0, leaks = 0, total = image.width * image.height;
        double insideLight = 0.0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
            {
                const float m = Level(mask, x, y);
                const float p = Level(image, x, y);
                if (m >= 0.9f)
                {
                    ++white;
                    if (p > 0.25f)
                        ++leaks;
                }
                else if (m <= 0.1f)
                {
                    ++black;
                    insideLight += p;
                }
            }
        // Nearly every pixel is clearly black or white; soft edges are a thin rim.
        EXPECT_GT(white + black, total * 0.9);
        EXPECT_GT(white, total * 0.05);
        EXPECT_GT(black, total * 0.05);
        // Nothing of the picture is added where the frame must show through.
        EXPECT_LT(leaks, white * 0.01) << leaks << " bright pixels under a white mask";
        // Inside the cut-out the picture carries something to see.
        EXPECT_GT(insideLight / black, 0.08);
    }
}

// Pictures added without a mask: black ground, bright content.
TEST(Content, AddedPicturesStandOnBlack)
{
    for (const char* path : {"images/i_greetings_01.jpg", "images/i_greetings_02.jpg", "txt_coding.jpg",
                             "txt_qv517.jpg", "kaos/k_fuckhouse_outershape.jpg", "kaos/k_head_image.jpg"})
    {
        SCOPED_TRACE(path);
        const DecodedImage image = LoadPicture(path);
        float brightest = 0.0f;
        double edge = 0.0;
        int edgeCount = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
            {
                brightest = std::max(brightest, Level(image, x, y));
                if (x < 2 || y < 2 || x >= image.width - 2 || y >= image.height - 2)
                {
                    edge += Level(image, x, y);
                    ++edgeCount;
                }
            }
        EXPECT_GT(brightest, 0.8f);
        EXPECT_LT(edge / edgeCount, 0.05);
    }
}

// Glow sprites: bright in the middle, falling off with the distance, black at the rim.
// The show lays the first greetings card (8 units high at 13.5 units, 5.59 units half the view)
// over its letterbox, which shows from 0.6 below the middle of the view to 0.7 above: the
// card's lowest 8 % and top 1 % are cut off, and nothing of it may be there.
TEST(Content, FirstGreetingsCardFitsTheLetterbox)
{
    const DecodedImage image = LoadPicture("images/i_greetings_01.jpg");
    const double halfView = 13.5 * std::tan(22.5 * 3.14159265358979 / 180.0);
    const double cutBelow = (4.0 - 0.6 * halfView) / 8.0;
    const double cutAbove = (4.0 - 0.7 * halfView) / 8.0;
    EXPECT_NEAR(cutBelow, 0.081, 0.002);
    float below = 0.0f, above = 0.0f;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            if (y < cutBelow * image.height + 1)
                below = std::max(below, Level(image, x, y));
            if (y > image.height - 1 - cutAbove * image.height - 1)
                above = std::max(above, Level(image, x, y));
        }
    EXPECT_LT(below, 0.08f) << "lit in the part the letterbox cuts off at the bottom";
    EXPECT_LT(above, 0.08f) << "lit in the part the letterbox cuts off at the top";
}

TEST(Content, GlowSpritesFallOffToBlack)
{
    for (const char* path : {"particle.jpg", "lightball.jpg", "star_64.jpg"})
    {
        SCOPED_TRACE(path);
        const DecodedImage image = LoadPicture(path);
        const float cx = image.width * 0.5f;
        const float cy = image.height * 0.5f;
        // Mean level in rings from the centre out to the edge.
        std::vector<double> sum(10, 0.0);
        std::vector<int> count(10, 0);
        float rim = 0.0f;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
            {
                const float r = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / cx;
                const float v = Level(image, x, y);
                if (r < 1.0f)
                {
                    sum[static_cast<int>(r * 10)] += v;
                    ++count[static_cast<int>(r * 10)];
                }
                if (x == 0 || y == 0 || x == image.width - 1 || y == image.height - 1)
                    rim = std::max(rim, v);
            }
        EXPECT_GT(sum[0] / count[0], 0.85);
        for (int ring = 1; ring < 10; ++ring)
            EXPECT_LE(sum[ring] / count[ring], sum[ring - 1] / count[ring - 1] + 0.02) << "ring " << ring;
        EXPECT_LT(sum[9] / count[9], 0.03);
        EXPECT_LT(rim, 0.04f);
    }
}

// The landscape reads t = height / 512: the lower half of the terrain picture holds the
// height bands (distinct colours from bottom to middle); the upper half meets it at the wrap.
// s = x / 512 runs across it once: the grid lines are columns.
TEST(Content, TerrainPictureCarriesHeightBandsInItsLowerHalf)
{
    const DecodedImage image = LoadPicture("t_terrain_1.jpg");
    auto rowColour = [&](float t) {
        const int y = std::clamp(static_cast<int>(t * image.height), 0, image.height - 1);
        std::vector<double> mean(3, 0.0);
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c)
                mean[c] += image.pixels[(static_cast<size_t>(y) * image.width + x) * image.channels + c] / 255.0 / image.width;
        return mean;
    };
    auto distance = [](const std::vector<double>& a, const std::vector<double>& b) {
        return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
    };
    const auto low = rowColour(0.03f);
    const auto middle = rowColour(0.15f);
    const auto high = rowColour(0.47f);
    EXPECT_GT(distance(low, middle), 0.3);
    EXPECT_GT(distance(middle, high), 0.3);
    EXPECT_LT(distance(rowColour(0.01f), rowColour(0.99f)), 0.15);
    // In the show's palette: violet valley floors, magenta slopes, cyan ridges.
    EXPECT_GT(low[2], low[1] + 0.2) << "violet: blue over green";
    EXPECT_GT(middle[0], middle[1] + 0.4) << "magenta: red over green";
    EXPECT_GT(middle[2], middle[1] + 0.2) << "magenta: blue over green";
    EXPECT_GT(high[1], high[0] + 0.2) << "cyan: green over red";
    EXPECT_GT(high[2], high[0] + 0.2) << "cyan: blue over red";
    // Neon lines along x: 32 bright columns, one every eighth of the picture's width, with
    // darker ground between them.
    const int y = image.height / 4;
    auto brightness = [&](int x) {
        const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + (x % image.width)) * image.channels];
        return (p[0] + p[1] + p[2]) / 3.0;
    };
    const int spacing = image.width / 32;
    for (int k = 1; k < 32; ++k)
        EXPECT_GT(brightness(k * spacing), brightness(k * spacing + spacing / 2) + 40.0) << "line " << k;
}

TEST(Content, SphereMapsAreBrightDiscsOnBlack)
{
    for (const char* path : {"kaos/k_tcube_env.jpg", "spiral/t_cube_1.jpg", "spiral/t_cube_2.jpg"})
    {
        SCOPED_TRACE(path);
        const DecodedImage image = LoadPicture(path);
        EXPECT_LT(Level(image, 0, 0), 0.05f);
        EXPECT_LT(Level(image, image.width - 1, image.height - 1), 0.05f);
        double inside = 0.0;
        int count = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                if (std::hypot(x + 0.5 - image.width / 2.0, y + 0.5 - image.height / 2.0) < image.width * 0.45)
                {
                    inside += Level(image, x, y);
                    ++count;
                }
        EXPECT_GT(inside / count, 0.25);
    }
}

TEST(Content, TheThreeBackgroundsDiffer)
{
    const DecodedImage a = LoadPicture("t_background_01.jpg");
    const DecodedImage b = LoadPicture("t_background_02.jpg");
    const DecodedImage c = LoadPicture("t_background_03.jpg");
    auto difference = [](const DecodedImage& p, const DecodedImage& q) {
        double sum = 0.0;
        for (size_t i = 0; i < std::min(p.pixels.size(), q.pixels.size()); ++i)
            sum += std::abs(p.pixels[i] - q.pixels[i]) / 255.0;
        return sum / p.pixels.size();
    };
    EXPECT_GT(difference(a, b), 0.08);
    EXPECT_GT(difference(b, c), 0.08);
    EXPECT_GT(difference(a, c), 0.08);
}

// ---------------------------------------------------------------------------------------------
// Models
// ---------------------------------------------------------------------------------------------

struct Box
{
    float low[3] = {1e30f, 1e30f, 1e30f};
    float high[3] = {-1e30f, -1e30f, -1e30f};
    float Size(int axis) const { return high[axis] - low[axis]; }
};

Box BoundsOf(const Model& model)
{
    Box box;
    for (int i = 0; i < model.m_vertexCount; ++i)
        for (int a = 0; a < 3; ++a)
        {
            box.low[a] = std::min(box.low[a], model.m_vertices[i].location[a]);
            box.high[a] = std::max(box.high[a], model.m_vertices[i].location[a]);
        }
    return box;
}

// Parses a model with the demo's reader; fails the test when it does not load.
void LoadModel(const std::string& relative, Ms3dModel* model)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(DataPath(relative), &bytes)) << relative;
    ASSERT_TRUE(ParseMs3d(bytes.data(), bytes.size(), model)) << relative;
}

TEST(Content, ModelsLoadWithGroupsMaterialsAndBitmaps)
{
    std::set<int> bitDepths;
    for (const char* path : {"dat/m_bitch.ms3d", "dat/m_tunnel.ms3d", "dat/m_headphone.ms3d"})
    {
        SCOPED_TRACE(path);
        Ms3dModel model;
        LoadModel(path, &model);
        EXPECT_GE(model.m_meshCount, 3);
        EXPECT_GE(model.m_materialCount, 2);
        int withMaterial = 0, withoutMaterial = 0;
        for (int i = 0; i < model.m_meshCount; ++i)
        {
            EXPECT_GT(model.m_meshes[i].triangleCount, 0);
            (model.m_meshes[i].materialIndex >= 0 ? withMaterial : withoutMaterial) += 1;
        }
        EXPECT_GE(withMaterial, 2);
        EXPECT_EQ(withoutMaterial, 1);
        int textured = 0;
        for (int i = 0; i < model.m_materialCount; ++i)
        {
            const std::string name = model.m_materials[i].textureFileName;
            if (name.empty())
                continue;
            ++textured;
            EXPECT_EQ(name.rfind("dat/", 0), 0u) << name;
            EXPECT_EQ(name.substr(name.size() - 4), ".bmp") << name;
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(ReadWholeFile(DataPath(name), &bytes)) << name;
            RgbImage* image = nullptr;
            EXPECT_EQ(DecodeDib(bytes.data(), bytes.size(), &image), DibStatus::Ok) << name;
            ASSERT_NE(image, nullptr);
            EXPECT_TRUE(IsPowerOfTwo(image->width) && IsPowerOfTwo(image->height)) << name;
            FreeRgbImage(image);
            bitDepths.insert(bytes[28] | (bytes[29] << 8));
        }
        EXPECT_GE(textured, 2);
    }
    EXPECT_TRUE(bitDepths.count(8)) << "no 8-bit palette bitmap";
    EXPECT_TRUE(bitDepths.count(24)) << "no 24-bit bitmap";
}

// BITCH looks at (0, 10, 0) from about 135 units away: a standing figure of 60 to 70 units.
TEST(Content, DancerStandsSixtyToSeventyUnitsTallAroundTheLookAtPoint)
{
    Ms3dModel model;
    LoadModel("dat/m_bitch.ms3d", &model);
    const Box box = BoundsOf(model);
    EXPECT_GE(box.Size(1), 60.0f);
    EXPECT_LE(box.Size(1), 70.0f);
    EXPECT_LT(box.Size(0), box.Size(1) * 0.5f);
    EXPECT_LT(box.Size(2), box.Size(1) * 0.5f);
    EXPECT_NEAR((box.low[1] + box.high[1]) * 0.5f, 10.0f, 12.0f);
    EXPECT_NEAR((box.low[0] + box.high[0]) * 0.5f, 0.0f, 5.0f);
}

// TUNNEL's viewer sits at the origin while the model's origin swings between z = 95 and 335:
// in model space the viewer is on the axis between z = -335 and -95. It needs the tube around
// it, and ahead as far as the black fog (e^(-0.01 d)) lets anything show: a white light strip
// stays under half an 8-bit step only beyond ln(510) / 0.01 = 623 units.
TEST(Content, TunnelSurroundsTheViewerAndRunsFarAhead)
{
    Ms3dModel model;
    LoadModel("dat/m_tunnel.ms3d", &model);
    const Box box = BoundsOf(model);
    const float fogReach = std::log(255.0f / 0.5f) / 0.01f;
    EXPECT_GE(box.high[2], -95.0f);
    EXPECT_LE(box.low[2], -335.0f - fogReach);
    for (float viewerZ = -335.0f; viewerZ <= -95.0f; viewerZ += 20.0f)
    {
        SCOPED_TRACE(viewerZ);
        std::vector<bool> sectors(8, false);
        float nearest = 1e30f;
        for (int i = 0; i < model.m_vertexCount; ++i)
        {
            const float* p = model.m_vertices[i].location;
            if (std::fabs(p[2] - viewerZ) > 25.0f)
                continue;
            const float radius = std::hypot(p[0], p[1]);
            nearest = std::min(nearest, radius);
            const float angle = std::atan2(p[1], p[0]) + 3.14159265f;
            sectors[std::min(7, static_cast<int>(angle / 6.2831853f * 8.0f))] = true;
        }
        EXPECT_TRUE(std::all_of(sectors.begin(), sectors.end(), [](bool s) { return s; }));
        // The wall keeps well clear of the near plane (1) and of the roll.
        EXPECT_GT(nearest, 10.0f);
    }
}

// TUNNEL sends every triangle one vertex call at a time, every frame, and the rasteriser sets
// each one up: the tube spends them only where they can show. None lies wholly behind the
// near plane of the rearmost eye (z above -96), where no frame ever draws it; the whole model
// stays within a budget (it once had 13,312, a third of them never seen).
TEST(Content, TunnelSpendsItsTrianglesWhereTheyShow)
{
    Ms3dModel model;
    LoadModel("dat/m_tunnel.ms3d", &model);
    EXPECT_LE(model.m_triangleCount, 9000);
    int neverDrawn = 0;
    for (int t = 0; t < model.m_triangleCount; ++t)
    {
        float lowest = 1e30f;
        for (int corner = 0; corner < 3; ++corner)
            lowest = std::min(lowest, model.m_vertices[model.m_triangles[t].vertexIndices[corner]].location[2]);
        neverDrawn += lowest > -96.0f ? 1 : 0;
    }
    EXPECT_EQ(neverDrawn, 0);
    // The ribs and panels still go all the way round in fine steps: at least 24 vertices on
    // the circle of the panels' seam (radius 26) at some depth.
    std::map<int, std::set<int>> anglesAtDepth;
    for (int i = 0; i < model.m_vertexCount; ++i)
    {
        const float* p = model.m_vertices[i].location;
        if (std::fabs(std::hypot(p[0], p[1]) - 26.0f) < 0.01f)
            anglesAtDepth[static_cast<int>(std::lround(p[2]))].insert(
                static_cast<int>(std::lround(std::atan2(p[1], p[0]) * 180.0 / 3.14159265)));
    }
    size_t most = 0;
    for (const auto& [depth, angles] : anglesAtDepth)
        most = std::max(most, angles.size());
    EXPECT_GE(most, 24u);
}

TEST(Content, HeadphonesAreAboutFortyUnits)
{
    Ms3dModel model;
    LoadModel("dat/m_headphone.ms3d", &model);
    const Box box = BoundsOf(model);
    const float largest = std::max({box.Size(0), box.Size(1), box.Size(2)});
    EXPECT_GE(largest, 34.0f);
    EXPECT_LE(largest, 48.0f);
    for (int a = 0; a < 3; ++a)
        EXPECT_NEAR((box.low[a] + box.high[a]) * 0.5f, 0.0f, 8.0f) << "axis " << a;
}

// ---------------------------------------------------------------------------------------------
// Height map
// ---------------------------------------------------------------------------------------------

// The landscape draws every 16th sample: on that grid the heights span most of the byte range
// and vary widely, yet no sample rises above all four of its neighbours like a spike (or sinks
// below them like a pit) by more than a few levels, the samples between grid points are smooth,
// and the far edges (which the effect draws with the heights of row and column 0) meet the near
// ones without a cliff.
TEST(Content, TerrainUsesTheByteRangeAndIsSmoothOnItsGrid)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(DataPath("dat/terrain_1.raw"), &bytes));
    ASSERT_EQ(bytes.size(), 512u * 512u);
    auto h = [&](int c, int r) { return static_cast<int>(bytes[((r + 512) % 512) * 512 + (c + 512) % 512]); };
    const auto [low, high] = std::minmax_element(bytes.begin(), bytes.end());
    EXPECT_LE(*low, 20);
    EXPECT_GE(*high, 235);
    double sum = 0.0, sumSquares = 0.0, step = 0.0;
    int count = 0, spike = 0, pit = 0;
    for (int r = 0; r < 512; r += 16)
        for (int c = 0; c < 512; c += 16)
        {
            sum += h(c, r);
            sumSquares += h(c, r) * h(c, r);
            ++count;
            step += std::abs(h(c, r) - h(c + 1, r));
            const int highest = std::max({h(c - 16, r), h(c + 16, r), h(c, r - 16), h(c, r + 16)});
            const int lowest = std::min({h(c - 16, r), h(c + 16, r), h(c, r - 16), h(c, r + 16)});
            spike = std::max(spike, h(c, r) - highest);
            pit = std::max(pit, lowest - h(c, r));
        }
    const double mean = sum / count;
    EXPECT_GT(std::sqrt(sumSquares / count - mean * mean), 40.0);
    EXPECT_LT(step / count, 4.0);
    EXPECT_LE(spike, 20) << "a grid sample rises above its neighbours";
    EXPECT_LE(pit, 15) << "a grid sample sinks below its neighbours";
    for (int i = 0; i < 512; i += 16)
    {
        EXPECT_LE(std::abs(h(i, 496) - h(i, 0)), 80) << "north edge at column " << i;
        EXPECT_LE(std::abs(h(496, i) - h(0, i)), 80) << "east edge at row " << i;
    }
}

// ---------------------------------------------------------------------------------------------
// Script and soundtrack
// ---------------------------------------------------------------------------------------------

Timeline LoadShow()
{
    Timeline timeline;
    std::string error;
    const auto isEffect = [](const std::string& name) {
        return std::find(kEffects.begin(), kEffects.end(), name) != kEffects.end();
    };
    EXPECT_TRUE(LoadTimeline(DataPath("demoflow.txt"), "demoflow.txt", isEffect, &timeline, &error)) << error;
    return timeline;
}

int64_t Beat(int64_t k) { return std::llround(k * 60000.0 / 142.0); }

// When the script shows the landscape. LAND's clock starts with its first frame, and its camera
// moves every frame it runs; while it runs on a layer below CLEAR its picture is cleared away
// (its flight is under way, unseen). It is shown from the moment CLEAR runs below it.
struct LandRun
{
    int64_t start = -1;
    int64_t shown = -1;
    int64_t stop = -1;
};

LandRun LandInScript(const Timeline& show)
{
    LandRun run;
    std::map<std::string, int> layers;
    for (size_t i = 0; i < show.events.size(); ++i)
    {
        const TimelineEvent& event = show.events[i];
        if (event.command == TimelineCommand::Start)
            layers[event.effect] = event.layer;
        else if (event.command == TimelineCommand::Stop)
            layers.erase(event.effect);
        if (event.effect == "LAND" && event.command == TimelineCommand::Start && run.start < 0)
            run.start = event.timeMs;
        if (event.effect == "LAND" && event.command == TimelineCommand::Stop && run.stop < 0)
            run.stop = event.timeMs;
        const bool lastAtThisTime = i + 1 == show.events.size() || show.events[i + 1].timeMs != event.timeMs;
        if (lastAtThisTime && run.start >= 0 && run.shown < 0 && layers.count("LAND") && layers.count("CLEAR") &&
            layers["CLEAR"] < layers["LAND"])
            run.shown = event.timeMs;
    }
    return run;
}

TEST(Content, ScriptParsesAndEndsWithEndAfterTwoAndAHalfToFourMinutes)
{
    const Timeline show = LoadShow();
    ASSERT_FALSE(show.events.empty());
    EXPECT_TRUE(show.hasEnd);
    EXPECT_GE(show.endTimeMs, 150000);
    EXPECT_LE(show.endTimeMs, 240000);
    for (const TimelineEvent& event : show.events)
        EXPECT_LE(event.timeMs, show.endTimeMs) << "line " << event.line;
    // The end line is the script's last line that is not a comment.
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(DataPath("demoflow.txt"), &bytes));
    const std::string text(bytes.begin(), bytes.end());
    std::string last;
    size_t from = 0;
    while (from < text.size())
    {
        size_t to = text.find('\n', from);
        if (to == std::string::npos)
            to = text.size();
        std::string line = text.substr(from, to - from);
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            last = line;
        from = to + 1;
    }
    EXPECT_NE(last.find(" end"), std::string::npos) << last;
}

TEST(Content, ScriptCutsOnTheBeat)
{
    for (const TimelineEvent& event : LoadShow().events)
    {
        const int64_t k = std::llround(event.timeMs * 142.0 / 60000.0);
        EXPECT_EQ(event.timeMs, Beat(k)) << "line " << event.line;
    }
}

TEST(Content, ScriptShowsEveryEffectAndSendsEveryParameterValue)
{
    const Timeline show = LoadShow();
    std::set<std::string> started;
    std::set<std::string> sent;
    for (const TimelineEvent& event : show.events)
    {
        if (event.command == TimelineCommand::Start)
            started.insert(event.effect);
        if (event.command == TimelineCommand::Int)
            sent.insert(event.effect + " " + event.name + " " + std::to_string(event.value));
    }
    for (const std::string& effect : kEffects)
        EXPECT_TRUE(started.count(effect)) << effect << " never starts";
    const std::vector<std::string> required = {
        "CLEAR METHOD 0", "CLEAR METHOD 1", "CLEAR METHOD 2", "CLEAR METHOD 3", "CLEAR SCISSOR 1",
        "CLEAR SCISSOR 0", "BACKGROUND BGIMAGE 0", "BACKGROUND BGIMAGE 1", "BACKGROUND BGIMAGE 2",
        "CREDITS CODING 0", "CREDITS CODING 1", "CREDITS CODING 2", "CREDITS QV 0", "CREDITS QV 1",
        "CREDITS QV 2", "KAOS SL 1", "KAOS SL 0", "KAOS SR 1", "KAOS SR 0", "KAOS QLG 1", "KAOS QLG 0",
        "KAOS FH 1", "KAOS FH 2", "KAOS FH 0", "KAOS HAMMER 1", "KAOS HAMMER 2", "KAOS HAMMER 3",
        "KAOS HAMMER 0", "KAOS TCUBE 1", "KAOS TCUBE 2", "KAOS TCUBE 0", "KAOS HEAD 1",
    };
    for (const std::string& value : required)
        EXPECT_TRUE(sent.count(value)) << value << " is never sent";
    // IMAGE picks its picture by the parameter's name; STARFIELD and BALLS react to names.
    for (const std::string name : {"HP_GLOW", "GREETZ1", "GREETZ2"})
        EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [&](const std::string& s) { return s.rfind("IMAGE " + name + " ", 0) == 0; }))
            << name;
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const std::string& s) { return s.rfind("STARFIELD RESET ", 0) == 0; }));
}

// HEAD flashes and BALLS clears on consecutive beats.
TEST(Content, ScriptFlashesTheHeadAndClearsTheBallsOnSuccessiveBeats)
{
    for (const std::string effect : {"KAOS", "BALLS"})
    {
        std::vector<int64_t> beats;
        for (const TimelineEvent& event : LoadShow().events)
            if (event.command == TimelineCommand::Int && event.effect == effect && (effect == "BALLS" || event.name == "HEAD") &&
                event.value == 1)
                beats.push_back(std::llround(event.timeMs * 142.0 / 60000.0));
        int run = 1, longest = beats.empty() ? 0 : 1;
        for (size_t i = 1; i < beats.size(); ++i)
        {
            run = beats[i] == beats[i - 1] + 1 ? run + 1 : 1;
            longest = std::max(longest, run);
        }
        EXPECT_GE(longest, 4) << effect;
    }
}

// While KAOS's FH layer is on it lays its outer shape over the whole view every frame, also
// once the house has shrunk away and the shape rests at level zero, adding nothing: a
// full-view pass for no picture. The script keeps such idle stretches to what the picture
// needs (the speck of black the faded house can leave at the centre shows through an additive
// cube): 6.5 s at most over the show, where the layer once idled for 11.3 s.
TEST(Content, KaosHouseLayerIdlesOnlyWhereItsRemainsShow)
{
    const Timeline show = LoadShow();
    constexpr double kOuterShapeMs = 0.99 * 512.0;  // from level 0.99 down by 1/512 a millisecond
    constexpr double kShrinkMs = 256.0;             // from level 1 down by 1/256 a millisecond
    bool running = false, on = false, fading = false;
    double restartedAt = 0.0, fadeStartedAt = 0.0, idleMs = 0.0;
    for (size_t i = 0; i < show.events.size(); ++i)
    {
        const TimelineEvent& event = show.events[i];
        if (event.effect == "KAOS" && event.command == TimelineCommand::Start)
            running = true;
        if (event.effect == "KAOS" && event.command == TimelineCommand::Stop)
            running = false;
        if (event.effect == "KAOS" && event.command == TimelineCommand::Int && event.name == "FH")
        {
            if (event.value == 1)
            {
                on = true;
                fading = false;
                restartedAt = static_cast<double>(event.timeMs);
            }
            else if (event.value == 2)
            {
                fading = true;
                fadeStartedAt = static_cast<double>(event.timeMs);
            }
            else
            {
                on = false;
                fading = event.value == 0 && fading;
            }
        }
        if (i + 1 == show.events.size() || !running || !on || !fading)
            continue;
        const double idleFrom = std::max({static_cast<double>(event.timeMs), restartedAt + kOuterShapeMs,
                                          fadeStartedAt + kShrinkMs});
        idleMs += std::max(0.0, static_cast<double>(show.events[i + 1].timeMs) - idleFrom);
    }
    EXPECT_GT(idleMs, 0.0) << "the house scene's layer stays on for its speck";
    EXPECT_LE(idleMs, 6500.0);
}

// CLEAR runs from the first frame to the last on a layer below every other effect, and BORDER,
// while it runs, on a layer above every other. Only LAND runs below CLEAR, unseen, for the few
// seconds before the landscape is shown.
TEST(Content, ScriptStartsEveryFrameWithClearAndLaysBorderOnTop)
{
    const Timeline show = LoadShow();
    const LandRun land = LandInScript(show);
    std::map<std::string, int> running;
    for (size_t i = 0; i < show.events.size(); ++i)
    {
        const TimelineEvent& event = show.events[i];
        if (event.command == TimelineCommand::Start)
            running[event.effect] = event.layer;
        else if (event.command == TimelineCommand::Stop)
            running.erase(event.effect);
        const bool lastAtThisTime = i + 1 == show.events.size() || show.events[i + 1].timeMs != event.timeMs;
        if (!lastAtThisTime || event.command == TimelineCommand::End)
            continue;
        SCOPED_TRACE("after line " + std::to_string(event.line));
        ASSERT_TRUE(running.count("CLEAR"));
        for (const auto& [effect, layer] : running)
        {
            const bool landUnseen = effect == "LAND" && event.timeMs >= land.start && event.timeMs < land.shown;
            if (effect != "CLEAR" && !landUnseen)
            {
                EXPECT_LT(running["CLEAR"], layer) << effect;
            }
            if (running.count("BORDER") && effect != "BORDER")
            {
                EXPECT_GT(running["BORDER"], layer) << effect;
            }
        }
    }
}

// LAND's camera is placed by time for its first 4 s, on an approach that shows the land as a
// small lump far away, and leaves the land about 16 s after it starts at 60 frames a second.
// The script shows it in between: unseen for most of the approach, shown from just before the
// camera reaches the land's near edge until before it flies off.
TEST(Content, ScriptShowsTheLandscapeWhileItsFlightIsOverTheLand)
{
    const LandRun run = LandInScript(LoadShow());
    ASSERT_GE(run.start, 0);
    ASSERT_GE(run.shown, run.start);
    ASSERT_GT(run.stop, run.shown);
    EXPECT_GE(run.shown - run.start, 3300);
    EXPECT_LE(run.shown - run.start, 4000);
    EXPECT_LE(run.stop - run.start, 16000);
    EXPECT_GE(run.stop - run.shown, 10000);
}

// Reads the Vorbis identification header and the last granule position of an Ogg stream.
struct OggSummary
{
    int channels = 0;
    int rate = 0;
    int64_t samples = 0;
};

bool SummariseOgg(const std::vector<uint8_t>& bytes, OggSummary* summary)
{
    size_t pos = 0;
    bool first = true;
    while (pos + 27 <= bytes.size())
    {
        if (bytes[pos] != 'O' || bytes[pos + 1] != 'g' || bytes[pos + 2] != 'g' || bytes[pos + 3] != 'S')
            return false;
        int64_t granule = 0;
        for (int b = 7; b >= 0; --b)
            granule = (granule << 8) | bytes[pos + 6 + b];
        const int segments = bytes[pos + 26];
        size_t body = 0;
        for (int s = 0; s < segments; ++s)
            body += bytes[pos + 27 + s];
        const size_t start = pos + 27 + segments;
        if (start + body > bytes.size())
            return false;
        if (first)
        {
            if (body < 16 || bytes[start] != 1 || std::string(bytes.begin() + start + 1, bytes.begin() + start + 7) != "vorbis")
                return false;
            summary->channels = bytes[start + 11];
            summary->rate = bytes[start + 12] | (bytes[start + 13] << 8) | (bytes[start + 14] << 16) | (bytes[start + 15] << 24);
            first = false;
        }
        if (granule > 0)
            summary->samples = granule;
        pos = start + body;
    }
    return !first && pos == bytes.size();
}

TEST(Content, SoundtrackIsStereoVorbisAsLongAsTheShow)
{
    const Timeline show = LoadShow();
    ASSERT_FALSE(show.musicFile.empty());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(DataPath(show.musicFile), &bytes)) << show.musicFile;
    OggSummary summary;
    ASSERT_TRUE(SummariseOgg(bytes, &summary));
    EXPECT_EQ(summary.channels, 2);
    EXPECT_EQ(summary.rate, 44100);
    const double seconds = static_cast<double>(summary.samples) / summary.rate;
    EXPECT_NEAR(seconds, show.endTimeMs / 1000.0, 1.0);
}

// ---------------------------------------------------------------------------------------------
// The generator itself
// ---------------------------------------------------------------------------------------------

std::string AssetGenerator() { return (fs::path(DemoBinary()).parent_path() / "assetgen").string(); }

std::map<std::string, std::vector<uint8_t>> ReadTree(const std::string& root)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
        {
            std::vector<uint8_t> bytes;
            ReadWholeFile(entry.path().string(), &bytes);
            files[fs::relative(entry.path(), root).string()] = std::move(bytes);
        }
    return files;
}

// User plus system time of every finished child process so far.
double ChildProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Two runs give the same bytes (also the same as the build's data directory), every file
// together stays under 20 MB, and a run takes less than 30 s on this two-core machine. The time
// is the generator's processor time (both threads together), which other work on the machine
// does not inflate the way it does wall-clock time; on an idle machine the wall-clock time is
// at most that.
TEST(Content, TwoGeneratorRunsGiveIdenticalFilesWithinTheBudgets)
{
    ASSERT_TRUE(fs::exists(AssetGenerator())) << AssetGenerator();
    ScopedTempDir scratch;
    double fastest = 1e9;
    for (const char* run : {"first", "second"})
    {
        const double before = ChildProcessorSeconds();
        std::string output;
        ASSERT_EQ(RunCommand("'" + AssetGenerator() + "' '" + scratch.Path() + "/" + run + "'", &output), 0) << output;
        fastest = std::min(fastest, ChildProcessorSeconds() - before);
    }
    const auto first = ReadTree(scratch.Path() + "/first");
    const auto second = ReadTree(scratch.Path() + "/second");
    ASSERT_EQ(first.size(), second.size());
    size_t total = 0;
    for (const auto& [path, bytes] : first)
    {
        ASSERT_TRUE(second.count(path)) << path;
        EXPECT_TRUE(bytes == second.at(path)) << path << " differs between runs";
        total += bytes.size();
    }
    EXPECT_LT(total, 20u * 1000u * 1000u);
    EXPECT_LT(fastest, 30.0);

    const auto built = ReadTree(DataDir());
    for (const auto& [path, bytes] : first)
    {
        ASSERT_TRUE(built.count(path)) << path << " missing from the build's data";
        EXPECT_TRUE(bytes == built.at(path)) << path << " in the build's data is stale";
    }
}

// ---------------------------------------------------------------------------------------------
// Rendered scenes
// ---------------------------------------------------------------------------------------------

// One frame from the middle of each scene (scenes begin where effects start) renders without
// a message and shows a picture: neither black, nor washed out, nor flat.
TEST(Content, FrameFromTheMiddleOfEachSceneShowsAPicture)
{
    const Timeline show = LoadShow();
    std::vector<int64_t> cuts;
    for (const TimelineEvent& event : show.events)
        if (event.command == TimelineCommand::Start && (cuts.empty() || cuts.back() != event.timeMs))
            cuts.push_back(event.timeMs);
    cuts.push_back(show.endTimeMs);
    ScopedTempDir scratch;
    for (size_t i = 0; i + 1 < cuts.size(); ++i)
    {
        if (cuts[i + 1] - cuts[i] < 1000)
            continue;
        const int64_t middle = (cuts[i] + cuts[i + 1]) / 2;
        SCOPED_TRACE("frame at " + std::to_string(middle) + " ms");
        const std::string dir = scratch.Path() + "/scene_" + std::to_string(middle);
        std::string output;
        const int status = RunCommand("'" + DemoBinary() + "' --headless --no-music --data '" + DataDir() +
                                          "' --size 320x240 --capture '" + dir + "' --start " + std::to_string(middle) +
                                          " --frames 1",
                                      &output);
        ASSERT_EQ(status, 0) << output;
        EXPECT_EQ(output.find("Error"), std::string::npos) << output;
        int width = 0, height = 0;
        std::vector<uint8_t> rgba;
        std::string error;
        ASSERT_TRUE(ReadPngRgba(dir + "/frame_000000.png", &width, &height, &rgba, &error)) << error;
        EXPECT_TRUE(KeepFrameFile(dir + "/frame_000000.png", "content_scene_" + std::to_string(middle)));
        double sum = 0.0, sumSquares = 0.0;
        size_t lit = 0;
        const size_t pixels = static_cast<size_t>(width) * height;
        for (size_t p = 0; p < pixels; ++p)
        {
            const double v = (rgba[p * 4] + rgba[p * 4 + 1] + rgba[p * 4 + 2]) / (3.0 * 255.0);
            sum += v;
            sumSquares += v * v;
            lit += v > 0.25 ? 1 : 0;
        }
        const double mean = sum / pixels;
        // Something bright is shown (a star field counts), the frame is not washed out, and it
        // has contrast.
        EXPECT_GT(lit, pixels / 1000);
        EXPECT_LT(mean, 0.85);
        EXPECT_GT(std::sqrt(sumSquares / pixels - mean * mean), 0.04);
    }
}

// ---------------------------------------------------------------------------------------------
// The landscape flight
// ---------------------------------------------------------------------------------------------

// The share of the letterbox band the terrain covers, least and mean, in one second of the
// shown flight.
struct SecondOfFlight
{
    double least = 1.0;
    double sum = 0.0;
    int frames = 0;
};

// How LAND flies through the script's run at a frame rate, in a view of width x height under
// CLEAR's letterbox, with the generated height map and texture.
struct Flight
{
    std::vector<SecondOfFlight> seconds;    // of the shown flight
    float largestDeviation = 0.0f;          // between the generator's copy of the path and the effect's
    float leastClearance = 1e9f;            // eye over the land's surface below it, world units
};

// The land's height under a point, in world units, as the effect draws it: the grid of every
// 16th sample, each square split along its diagonal from (x, z) to (x + 16, z + 16).
float SurfaceHeight(const CLandEffect& land, float worldX, float worldZ)
{
    const float x = worldX / land.m_scale;
    const float z = worldZ / land.m_scale;
    const int cx = static_cast<int>(x / 16.0f) * 16;
    const int cz = static_cast<int>(z / 16.0f) * 16;
    const float fx = (x - cx) / 16.0f;
    const float fz = (z - cz) / 16.0f;
    auto h = [&](int c, int r) { return static_cast<float>(land.m_heightMap[(r % 512) * 512 + (c % 512)]); };
    const float h00 = h(cx, cz), h11 = h(cx + 16, cz + 16);
    const float sample = fx >= fz ? h00 + (h(cx + 16, cz) - h00) * fx + (h11 - h(cx + 16, cz)) * fz
                                  : h00 + (h(cx, cz + 16) - h00) * fz + (h11 - h(cx, cz + 16)) * fx;
    return sample * land.m_scale;
}

Flight FlyTheLandscape(const LandRun& run, int fps, int width, int height)
{
    Flight result;
    const fs::path previous = fs::current_path();
    fs::current_path(DataDir());
    EXPECT_TRUE(GlTestContext::Create(width, height));
    CClearEffect clear;
    CLandEffect land;
    EXPECT_EQ(clear.Init(width, height), 0);
    EXPECT_EQ(land.Init(width, height), 0);
    fs::current_path(previous);
    char scissor[] = "SCISSOR";
    clear.ReceiveInt(scissor, 1, 0);
    land.Prepare();
    LandFlight flight;
    const float mapSize = 512.0f * land.m_scale;
    const int bandY = static_cast<int>(height * static_cast<double>(0.2f));
    const int bandHeight = static_cast<int>(height * static_cast<double>(0.65f));
    std::vector<float> depth(static_cast<size_t>(width) * bandHeight);
    for (const long elapsed : FlightFrameTimes(run.start, run.stop, fps))
    {
        const int64_t time = run.start + elapsed;
        clear.RenderFrame(elapsed);
        land.RenderFrame(elapsed);
        flight.Frame(elapsed);
        for (const auto& [mine, theirs] : {std::pair<FlightVector, LandVector>{flight.eye, land.m_eye},
                                          std::pair<FlightVector, LandVector>{flight.centre, land.m_center}})
            result.largestDeviation = std::max({result.largestDeviation, std::fabs(mine.x - theirs.x),
                                                std::fabs(mine.y - theirs.y), std::fabs(mine.z - theirs.z)});
        const LandVector eye = land.m_eye;
        if (eye.x >= 0.0f && eye.x < mapSize && eye.z >= 0.0f && eye.z < mapSize)
            result.leastClearance = std::min(result.leastClearance, eye.y - SurfaceHeight(land, eye.x, eye.z));
        if (time < run.shown)
            continue;
        glReadPixels(0, bandY, width, bandHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        const double share = static_cast<double>(std::count_if(depth.begin(), depth.end(), [](float d) { return d < 1.0f; })) /
                             static_cast<double>(depth.size());
        const size_t second = static_cast<size_t>((time - run.shown) / 1000);
        if (result.seconds.size() <= second)
            result.seconds.resize(second + 1);
        result.seconds[second].least = std::min(result.seconds[second].least, share);
        result.seconds[second].sum += share;
        ++result.seconds[second].frames;
    }
    land.End();
    return result;
}

// While the script shows it, the land fills most of the letterbox in every frame, in a 16:9 and
// a 4:3 view, at 30 and 60 frames a second (where the camera looks at it: it rises behind a
// valley floor to ridges against the sky). At 144 the camera runs down the valley and out over
// the south edge within a second and a half, after which it sees the land only at the side: the
// flight is the effect's. At every rate the camera stays well above the land, and the
// generator's copy of the flight is where the effect's camera is.
TEST(Content, LandscapeFillsTheLetterboxWhileItIsShown)
{
    const LandRun run = LandInScript(LoadShow());
    ASSERT_GT(run.stop, run.shown);
    for (const int fps : {30, 60, 144})
        for (const auto& [width, height] : {std::pair<int, int>{160, 90}, std::pair<int, int>{160, 120}})
        {
            SCOPED_TRACE(std::to_string(fps) + " fps, " + std::to_string(width) + "x" + std::to_string(height));
            const Flight flight = FlyTheLandscape(run, fps, width, height);
            EXPECT_LT(flight.largestDeviation, 1e-3f);
            EXPECT_GT(flight.leastClearance, 3.0f);
            ASSERT_EQ(flight.seconds.size(), static_cast<size_t>((run.stop - run.shown + 999) / 1000));
            double sum = 0.0;
            int frames = 0;
            for (size_t s = 0; s < flight.seconds.size(); ++s)
            {
                sum += flight.seconds[s].sum;
                frames += flight.seconds[s].frames;
                if (fps < 144 || s == 0)
                {
                    EXPECT_GE(flight.seconds[s].least, 0.4) << "second " << s << " of the shown flight";
                }
            }
            if (fps < 144)
            {
                EXPECT_GE(sum / frames, 0.7);
            }
        }
}

// ---------------------------------------------------------------------------------------------
// The generator's parts
// ---------------------------------------------------------------------------------------------

// A small picture whose every pixel differs: top row first, as the generator paints.
Image8 Pattern(int width, int height)
{
    Image8 image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            image.rgb.push_back(static_cast<uint8_t>(x * 40 + 3));
            image.rgb.push_back(static_cast<uint8_t>(y * 60 + 7));
            image.rgb.push_back(static_cast<uint8_t>((x + y) * 17));
        }
    return image;
}

// The demo's DIB reader gives rows bottom first; widths that need row padding included.
TEST(Assetgen, BitmapsReadBackThroughTheDemoReader)
{
    for (int width : {4, 5, 6, 7})
    {
        SCOPED_TRACE(width);
        const Image8 image = Pattern(width, 3);
        const Bytes bytes = EncodeBmp24(image);
        RgbImage* decoded = nullptr;
        ASSERT_EQ(DecodeDib(bytes.data(), bytes.size(), &decoded), DibStatus::Ok);
        ASSERT_EQ(decoded->width, width);
        ASSERT_EQ(decoded->height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(decoded->data[((2 - y) * width + x) * 3 + c], image.rgb[(y * width + x) * 3 + c]);
        FreeRgbImage(decoded);

        std::vector<std::array<uint8_t, 3>> palette = {{10, 20, 30}, {200, 100, 50}, {0, 255, 128}};
        std::vector<uint8_t> indices;
        for (int i = 0; i < width * 3; ++i)
            indices.push_back(static_cast<uint8_t>(i % 3));
        const Bytes paletted = EncodeBmp8(width, 3, indices, palette);
        EXPECT_EQ(paletted[28], 8);
        ASSERT_EQ(DecodeDib(paletted.data(), paletted.size(), &decoded), DibStatus::Ok);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(decoded->data[((2 - y) * width + x) * 3 + c], palette[indices[y * width + x]][c]);
        FreeRgbImage(decoded);
    }
}

TEST(Assetgen, TgaAndJpegReadBackThroughTheDemoDecoders)
{
    const Image8 image = Pattern(6, 5);
    const Bytes tga = EncodeTga(image);
    DecodedImage decoded;
    std::string error;
    ASSERT_TRUE(DecodeTga(tga.data(), tga.size(), &decoded, &error)) << error;
    ASSERT_EQ(decoded.width, 6);
    ASSERT_EQ(decoded.height, 5);
    // DecodedImage rows are bottom first.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(decoded.pixels[((4 - y) * 6 + x) * decoded.channels + c], image.rgb[(y * 6 + x) * 3 + c]);

    // Four flat quadrants survive JPEG within a few steps, in the right places.
    Image8 quadrants;
    quadrants.width = 64;
    quadrants.height = 64;
    const uint8_t colours[4][3] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {240, 240, 240}};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c)
                quadrants.rgb.push_back(colours[(y / 32) * 2 + x / 32][c]);
    const Bytes jpeg = EncodeJpeg(quadrants, 92, true);
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), &decoded, &error)) << error;
    ASSERT_EQ(decoded.width, 64);
    const int probes[4][2] = {{16, 16}, {48, 16}, {16, 48}, {48, 48}};
    for (int q = 0; q < 4; ++q)
        for (int c = 0; c < 3; ++c)
        {
            const int glRow = 63 - probes[q][1];
            EXPECT_NEAR(decoded.pixels[(glRow * 64 + probes[q][0]) * decoded.channels + c], colours[q][c], 6) << q;
        }
}

// What the builder writes is what the demo's reader reads: counts, positions, texture
// coordinates (t as drawn), materials, groups, and normals facing away from the surface's
// centre.
TEST(Assetgen, MilkShapeFilesReadBackThroughTheDemoReader)
{
    MeshBuilder mesh;
    MeshMaterial shiny;
    shiny.name = "shiny";
    shiny.diffuse = {0.1f, 0.2f, 0.3f, 0.4f};
    shiny.shininess = 42.0f;
    shiny.texture = "dat/x.bmp";
    const int material = mesh.AddMaterial(shiny);
    const int ball = mesh.AddGroup("ball", material);
    const int plain = mesh.AddGroup("plain", -1);
    const Vec3 centre{1.0f, 2.0f, 3.0f};
    mesh.AddSurface(
        ball, 12, 8, true,
        [&](float u, float v) {
            const float theta = v * 3.14159265f;
            const float phi = u * 6.2831853f;
            return Vec3{centre.x + 2.0f * std::sin(theta) * std::cos(phi), centre.y + 2.0f * std::cos(theta),
                        centre.z + 2.0f * std::sin(theta) * std::sin(phi)};
        },
        [&](float, float) { return centre; });
    mesh.AddSurface(
        plain, 2, 1, false, [](float u, float v) { return Vec3{u, 0.0f, v}; },
        [](float u, float v) { return Vec3{u, -1.0f, v}; }, 1.0f, 0.5f);
    const Bytes bytes = mesh.Serialise();

    Ms3dModel model;
    ASSERT_TRUE(ParseMs3d(bytes.data(), bytes.size(), &model));
    EXPECT_EQ(static_cast<size_t>(model.m_vertexCount), mesh.VertexCount());
    EXPECT_EQ(static_cast<size_t>(model.m_triangleCount), mesh.TriangleCount());
    ASSERT_EQ(model.m_meshCount, 2);
    EXPECT_EQ(model.m_meshes[0].materialIndex, 0);
    EXPECT_EQ(model.m_meshes[1].materialIndex, -1);
    EXPECT_EQ(model.m_meshes[1].triangleCount, 4);
    ASSERT_EQ(model.m_materialCount, 1);
    EXPECT_STREQ(model.m_materials[0].textureFileName, "dat/x.bmp");
    EXPECT_FLOAT_EQ(model.m_materials[0].diffuse[3], 0.4f);
    EXPECT_FLOAT_EQ(model.m_materials[0].shininess, 42.0f);

    for (int i = 0; i < model.m_meshes[0].triangleCount; ++i)
    {
        const Triangle& tri = model.m_triangles[model.m_meshes[0].triangleIndices[i]];
        for (int corner = 0; corner < 3; ++corner)
        {
            const float* p = model.m_vertices[tri.vertexIndices[corner]].location;
            const float* n = tri.vertexNormals[corner];
            EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-3f);
            EXPECT_GT(n[0] * (p[0] - centre.x) + n[1] * (p[1] - centre.y) + n[2] * (p[2] - centre.z), 0.0f);
        }
    }
    // The flat strip: texture t runs 0..0.5 along v exactly as given.
    float highestT = 0.0f;
    for (int i = 0; i < model.m_meshes[1].triangleCount; ++i)
        for (float t : model.m_triangles[model.m_meshes[1].triangleIndices[i]].t)
            highestT = std::max(highestT, t);
    EXPECT_FLOAT_EQ(highestT, 0.5f);
}

TEST(Assetgen, ShapeCoverageMatchesTheShapesAreas)
{
    auto area = [](const Plane& plane) {
        double sum = 0.0;
        for (float v : plane.Values())
            sum += v;
        return sum;
    };
    EXPECT_NEAR(area(Fill(Circle({50, 50}, 20), 100, 100)), 3.14159265 * 400.0, 4.0);
    EXPECT_NEAR(area(Fill(RoundedBox({50, 50}, 30, 10, 0), 100, 100)), 60.0 * 20.0, 2.0);
    EXPECT_NEAR(area(Fill(Polygon({{10, 10}, {90, 10}, {10, 70}}), 100, 100)), 0.5 * 80 * 60, 3.0);
    // A hole cut out of a disc.
    EXPECT_NEAR(area(Fill(Difference(Circle({50, 50}, 30), Circle({50, 50}, 10)), 100, 100)), 3.14159265 * 800.0, 6.0);
    // A glow is full inside and falls off outside.
    const Plane glow = Glow(Circle({50, 50}, 10), 100, 100, 5.0f);
    EXPECT_FLOAT_EQ(glow.At(50, 50), 1.0f);
    EXPECT_GT(glow.At(65, 50), glow.At(75, 50));
    EXPECT_LT(glow.At(99, 50), 0.01f);
    // Adding a shape touches only its own rectangle, and what it adds is its coverage.
    Canvas canvas(100, 100, {0.5f, 0.5f, 0.5f});
    canvas.Add(Fill(Circle({20, 20}, 5), 100, 100), {1.0f, 0.0f, 0.0f});
    EXPECT_FLOAT_EQ(canvas.Get(20, 20).r, 1.5f);
    EXPECT_FLOAT_EQ(canvas.Get(80, 80).r, 0.5f);
}

TEST(Assetgen, CanvasResamplingKeepsTheMeanAndToneMappingStaysInRange)
{
    Plane plane(96, 64);
    Rng rng(3);
    double mean = 0.0;
    for (float& v : plane.Values())
    {
        v = rng.Uniform();
        mean += v;
    }
    mean /= plane.Values().size();
    for (const auto& size : {std::pair<int, int>{64, 64}, {32, 16}, {128, 128}})
    {
        const Plane resized = plane.Resampled(size.first, size.second);
        double resizedMean = 0.0;
        for (float v : resized.Values())
            resizedMean += v;
        EXPECT_NEAR(resizedMean / resized.Values().size(), mean, 0.01);
    }
    Canvas canvas(2, 1);
    canvas.Set(0, 0, {2.0f, 0.5f, 0.0f});
    canvas.Set(1, 0, {-1.0f, 0.25f, 0.75f});
    canvas.ToneMap();
    // An over-bright colour turns towards white; values in range stay.
    EXPECT_FLOAT_EQ(canvas.Get(0, 0).r, 1.0f);
    EXPECT_GT(canvas.Get(0, 0).g, 0.5f);
    EXPECT_FLOAT_EQ(canvas.Get(1, 0).r, 0.0f);
    EXPECT_FLOAT_EQ(canvas.Get(1, 0).b, 0.75f);
}

TEST(Assetgen, TileableNoiseRepeatsWithItsPeriod)
{
    for (float x : {0.3f, 1.7f, 3.2f})
        for (float y : {0.1f, 2.5f})
        {
            EXPECT_FLOAT_EQ(FractalNoise(x, y, 9, 4, 0.5f, 4), FractalNoise(x + 4.0f, y, 9, 4, 0.5f, 4));
            EXPECT_FLOAT_EQ(FractalNoise(x, y, 9, 4, 0.5f, 4), FractalNoise(x, y + 4.0f, 9, 4, 0.5f, 4));
        }
    Rng a(5), b(5), c(6);
    EXPECT_EQ(a.NextU64(), b.NextU64());
    EXPECT_NE(a.NextU64(), c.NextU64());
}

TEST(Assetgen, BeatGridAndSectionsCoverTheShow)
{
    EXPECT_EQ(BeatMs(0), 0);
    EXPECT_EQ(BeatMs(1), 423);
    EXPECT_EQ(BeatMs(142), 60000);
    EXPECT_EQ(BarMs(8), BeatMs(32));
    int nextBar = 0;
    for (const Section& section : ShowSections())
    {
        EXPECT_EQ(section.firstBar, nextBar) << section.name;
        EXPECT_GT(section.bars, 0);
        nextBar = section.firstBar + section.bars;
    }
    EXPECT_EQ(ShowBars(), nextBar);
    EXPECT_EQ(ShowLengthMs(), BarMs(nextBar));
}

TEST(Assetgen, VorbisEncodingIsStereoExactLengthAndDeterministic)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < 44100; ++i)
    {
        samples.push_back(static_cast<int16_t>(8000 * std::sin(i * 0.05)));
        samples.push_back(static_cast<int16_t>(8000 * std::sin(i * 0.07)));
    }
    const Bytes first = EncodeOggVorbis(samples, 0.3f);
    const Bytes second = EncodeOggVorbis(samples, 0.3f);
    EXPECT_TRUE(first == second);
    OggSummary summary;
    ASSERT_TRUE(SummariseOgg(std::vector<uint8_t>(first.begin(), first.end()), &summary));
    EXPECT_EQ(summary.channels, 2);
    EXPECT_EQ(summary.rate, 44100);
    EXPECT_EQ(summary.samples, 44100);
}

}  // namespace

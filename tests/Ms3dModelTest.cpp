// The MilkShape model: the parser over bytes (real files from the shared corpus, synthetic
// files built here, a table of bad ones), the textures it makes, and what Draw leaves in GL.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "FrameSaver.h"
#include "GlChecks.h"
#include "MessageRecorder.h"
#include "Model.h"
#include "TestFiles.h"
#include "codecs/ImageCodec.h"
#include "support/WholeFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put8(Bytes& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
}

void Put16(Bytes& bytes, uint32_t value)
{
    Put8(bytes, value);
    Put8(bytes, value >> 8);
}

void Put32(Bytes& bytes, uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

void PutFloat(Bytes& bytes, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    Put32(bytes, bits);
}

struct VertexSpec
{
    float x, y, z;
    int8_t bone;
};

struct TriangleSpec
{
    uint16_t v[3];
    float normals[3][3];
    float s[3];
    float t[3];
};

struct GroupSpec
{
    std::vector<uint16_t> triangles;
    int8_t material;
};

struct MaterialSpec
{
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emissive[4];
    float shininess;
    std::string texture;   // at most 128 bytes; 128 leaves no NUL in the field
};

// A ".ms3d" file as the format lays it out; Build writes it, field by field.
struct Ms3dFile
{
    std::string identifier = "MS3D000000";
    int32_t version = 4;
    std::vector<VertexSpec> vertices;
    std::vector<TriangleSpec> triangles;
    std::vector<GroupSpec> groups;
    std::vector<MaterialSpec> materials;
    Bytes trailer;   // what follows the materials (animation and so on), not read

    Bytes Build() const
    {
        Bytes bytes(identifier.begin(), identifier.end());
        Put32(bytes, static_cast<uint32_t>(version));
        Put16(bytes, static_cast<uint32_t>(vertices.size()));
        for (const VertexSpec& v : vertices)
        {
            Put8(bytes, 0);
            PutFloat(bytes, v.x);
            PutFloat(bytes, v.y);
            PutFloat(bytes, v.z);
            Put8(bytes, static_cast<uint8_t>(v.bone));
            Put8(bytes, 1);
        }
        Put16(bytes, static_cast<uint32_t>(triangles.size()));
        for (const TriangleSpec& t : triangles)
        {
            Put16(bytes, 0);
            for (uint16_t index : t.v)
                Put16(bytes, index);
            for (const auto& normal : t.normals)
                for (float n : normal)
                    PutFloat(bytes, n);
            for (float s : t.s)
                PutFloat(bytes, s);
            for (float tt : t.t)
                PutFloat(bytes, tt);
            Put8(bytes, 1);
            Put8(bytes, 0);
        }
        Put16(bytes, static_cast<uint32_t>(groups.size()));
        for (const GroupSpec& g : groups)
        {
            Put8(bytes, 0);
            Bytes name(32, 0);
            name[0] = 'g';
            bytes.insert(bytes.end(), name.begin(), name.end());
            Put16(bytes, static_cast<uint32_t>(g.triangles.size()));
            for (uint16_t index : g.triangles)
                Put16(bytes, index);
            Put8(bytes, static_cast<uint8_t>(g.material));
        }
        Put16(bytes, static_cast<uint32_t>(materials.size()));
        for (const MaterialSpec& m : materials)
        {
            Bytes name(32, 0);
            name[0] = 'm';
            bytes.insert(bytes.end(), name.begin(), name.end());
            for (const float* colour : {m.ambient, m.diffuse, m.specular, m.emissive})
                for (int i = 0; i < 4; ++i)
                    PutFloat(bytes, colour[i]);
            PutFloat(bytes, m.shininess);
            PutFloat(bytes, 1.0f);   // transparency
            Put8(bytes, 0);          // mode
            Bytes texture(128, 0);
            std::copy(m.texture.begin(), m.texture.end(), texture.begin());
            bytes.insert(bytes.end(), texture.begin(), texture.end());
            const Bytes alphaMap(128, 0);
            bytes.insert(bytes.end(), alphaMap.begin(), alphaMap.end());
        }
        bytes.insert(bytes.end(), trailer.begin(), trailer.end());
        return bytes;
    }
};

MaterialSpec Plain(float grey, const std::string& texture = "")
{
    return MaterialSpec{{grey, grey, grey, 1}, {grey, grey, grey, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, 10.0f, texture};
}

// A full-screen square (in normalised device coordinates) of two triangles. The file's t runs
// from the top of the picture: the top corners carry t = 0.
Ms3dFile Square(int8_t material)
{
    Ms3dFile file;
    file.vertices = {{-1, -1, 0, -1}, {1, -1, 0, -1}, {1, 1, 0, -1}, {-1, 1, 0, -1}};
    const float n[3][3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    TriangleSpec lower{{0, 1, 2}, {}, {0, 1, 1}, {1, 1, 0}};
    TriangleSpec upper{{0, 2, 3}, {}, {0, 1, 0}, {1, 0, 0}};
    std::memcpy(lower.normals, n, sizeof(n));
    std::memcpy(upper.normals, n, sizeof(n));
    file.triangles = {lower, upper};
    file.groups = {{{0, 1}, material}};
    return file;
}

// A small model that uses every section: 3 vertices, 2 triangles, 2 groups, 2 materials.
Ms3dFile Small()
{
    Ms3dFile file;
    file.vertices = {{1, 2, 3, -1}, {4, 5, 6, 7}, {-7, -8, -9, 0}};
    file.triangles = {
        {{0, 1, 2}, {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}, {0.1f, 0.2f, 0.3f}, {0.25f, 0.5f, 1.0f}},
        {{2, 1, 0}, {{0, 0, -1}, {0, -1, 0}, {-1, 0, 0}}, {0.4f, 0.5f, 0.6f}, {0.0f, 0.75f, 0.125f}},
    };
    file.groups = {{{1}, 1}, {{0, 1}, -1}};
    file.materials = {Plain(0.5f, "textures/wall.bmp"), Plain(0.25f)};
    file.materials[1].emissive[2] = 0.75f;
    file.materials[1].shininess = 64.0f;
    return file;
}

// A concrete model for the parser alone.
class BareModel final : public Model
{
public:
    bool LoadModelData(const char*) override { return false; }
};

bool Parse(const Bytes& bytes, Model* model)
{
    return ParseMs3d(bytes.data(), bytes.size(), model);
}

bool IsEmpty(const Model& model)
{
    return model.m_meshCount == 0 && model.m_meshes == nullptr && model.m_materialCount == 0 &&
           model.m_materials == nullptr && model.m_triangleCount == 0 && model.m_triangles == nullptr &&
           model.m_vertexCount == 0 && model.m_vertices == nullptr;
}

std::string CorpusModel(const std::string& name)
{
    return SharedDir() + "/corpora/ms3d/" + name;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

TEST(Ms3dModel, CorpusModelsLoadWithTheCountsTheirHeadersGive)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    struct Case
    {
        const char* file;
        int vertices, triangles, groups, materials;
    };
    // Counts as the files' section headers give them (walked by hand from the bytes).
    const std::vector<Case> cases = {
        {"Wuson.ms3d", 2117, 3732, 1, 0},
        {"jeep1.ms3d", 1190, 2032, 7, 1},
        {"twospheres.ms3d", 124, 240, 2, 0},
        {"twospheres_withmats.ms3d", 124, 240, 2, 2},
    };
    for (const Case& test : cases)
    {
        Ms3dModel model;
        ASSERT_TRUE(model.LoadModelData(CorpusModel(test.file).c_str())) << test.file;
        EXPECT_EQ(model.m_vertexCount, test.vertices) << test.file;
        EXPECT_EQ(model.m_triangleCount, test.triangles) << test.file;
        EXPECT_EQ(model.m_meshCount, test.groups) << test.file;
        EXPECT_EQ(model.m_materialCount, test.materials) << test.file;
        // Every triangle of these files belongs to exactly one group.
        int grouped = 0;
        for (int m = 0; m < model.m_meshCount; ++m)
            grouped += model.m_meshes[m].triangleCount;
        EXPECT_EQ(grouped, test.triangles) << test.file;
    }

    Ms3dModel jeep;
    ASSERT_TRUE(jeep.LoadModelData(CorpusModel("jeep1.ms3d").c_str()));
    EXPECT_STREQ(jeep.m_materials[0].textureFileName, ".\\jeep1.jpg");
    EXPECT_FLOAT_EQ(jeep.m_materials[0].shininess, 25.0f);
    EXPECT_FLOAT_EQ(jeep.m_materials[0].ambient[0], 0.2f);
    // The named picture is not there (and not a bitmap): the material stays untextured.
    EXPECT_EQ(jeep.m_materials[0].texture, 0u);
    const int jeepGroups[7] = {192, 192, 192, 192, 36, 36, 1192};
    for (int m = 0; m < 7; ++m)
    {
        EXPECT_EQ(jeep.m_meshes[m].triangleCount, jeepGroups[m]);
        EXPECT_EQ(jeep.m_meshes[m].materialIndex, 0);
    }

    Ms3dModel spheres;
    ASSERT_TRUE(spheres.LoadModelData(CorpusModel("twospheres_withmats.ms3d").c_str()));
    EXPECT_EQ(spheres.m_meshes[0].materialIndex, 1);
    EXPECT_EQ(spheres.m_meshes[1].materialIndex, 0);
    EXPECT_FLOAT_EQ(spheres.m_materials[1].shininess, 101.0f);
    Ms3dModel plainSpheres;
    ASSERT_TRUE(plainSpheres.LoadModelData(CorpusModel("twospheres.ms3d").c_str()));
    EXPECT_EQ(plainSpheres.m_meshes[0].materialIndex, -1);
}

TEST(Ms3dModel, InvalidMaterialIndexFileIsRejectedAndLeavesTheModelEmpty)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    Ms3dModel model;
    EXPECT_FALSE(model.LoadModelData(CorpusModel("invalid/InvalidMaterialIndex.ms3d").c_str()));
    EXPECT_TRUE(IsEmpty(model));
    EXPECT_FALSE(model.LoadModelData("no/such/model.ms3d"));
    EXPECT_FALSE(model.LoadModelData(nullptr));
    EXPECT_TRUE(IsEmpty(model));
}

TEST(Ms3dModel, FieldsAreReadAsStoredWithTFlipped)
{
    BareModel model;
    ASSERT_TRUE(Parse(Small().Build(), &model));
    ASSERT_EQ(model.m_vertexCount, 3);
    EXPECT_EQ(model.m_vertices[0].boneId, -1);
    EXPECT_EQ(model.m_vertices[1].boneId, 7);
    EXPECT_FLOAT_EQ(model.m_vertices[2].location[0], -7.0f);
    EXPECT_FLOAT_EQ(model.m_vertices[2].location[2], -9.0f);

    ASSERT_EQ(model.m_triangleCount, 2);
    const Triangle& second = model.m_triangles[1];
    EXPECT_EQ(second.vertexIndices[0], 2);
    EXPECT_EQ(second.vertexIndices[2], 0);
    EXPECT_FLOAT_EQ(second.vertexNormals[1][1], -1.0f);
    EXPECT_FLOAT_EQ(second.s[2], 0.6f);
    // t is kept as 1 - t: 0 -> 1, 0.75 -> 0.25, 0.125 -> 0.875; and 0.25 -> 0.75.
    EXPECT_FLOAT_EQ(second.t[0], 1.0f);
    EXPECT_FLOAT_EQ(second.t[1], 0.25f);
    EXPECT_FLOAT_EQ(second.t[2], 0.875f);
    EXPECT_FLOAT_EQ(model.m_triangles[0].t[0], 0.75f);

    ASSERT_EQ(model.m_meshCount, 2);
    EXPECT_EQ(model.m_meshes[0].materialIndex, 1);
    ASSERT_EQ(model.m_meshes[0].triangleCount, 1);
    EXPECT_EQ(model.m_meshes[0].triangleIndices[0], 1);
    EXPECT_EQ(model.m_meshes[1].materialIndex, -1);
    EXPECT_EQ(model.m_meshes[1].triangleCount, 2);

    ASSERT_EQ(model.m_materialCount, 2);
    EXPECT_STREQ(model.m_materials[0].textureFileName, "textures/wall.bmp");
    EXPECT_STREQ(model.m_materials[1].textureFileName, "");
    EXPECT_FLOAT_EQ(model.m_materials[1].emissive[2], 0.75f);
    EXPECT_FLOAT_EQ(model.m_materials[1].shininess, 64.0f);
    EXPECT_EQ(model.m_materials[0].texture, 0u);

    // A name that fills the whole field has no NUL there; it ends with the field.
    Ms3dFile longName = Small();
    longName.materials[0].texture = std::string(128, 'x');
    ASSERT_TRUE(Parse(longName.Build(), &model));
    EXPECT_EQ(std::strlen(model.m_materials[0].textureFileName), 128u);
}

TEST(Ms3dModel, AcceptsVersionsThreeAndFourOnlyWithTheExactIdentifier)
{
    for (int32_t version : {-1, 0, 2, 3, 4, 5, 0x10000003})
    {
        Ms3dFile file = Small();
        file.version = version;
        BareModel model;
        EXPECT_EQ(Parse(file.Build(), &model), version == 3 || version == 4) << version;
    }
    for (size_t at = 0; at < 10; ++at)
    {
        Ms3dFile file = Small();
        file.identifier[at] = file.identifier[at] == '0' ? 'O' : static_cast<char>(file.identifier[at] ^ 0x20);
        BareModel model;
        EXPECT_FALSE(Parse(file.Build(), &model)) << file.identifier;
        EXPECT_TRUE(IsEmpty(model));
    }
}

TEST(Ms3dModel, RejectsFilesThatOverrunOrPointOutsideTheirArrays)
{
    struct Case
    {
        const char* name;
        Ms3dFile file;
        bool loads;
    };
    std::vector<Case> cases;
    const auto add = [&](const char* name, bool loads, auto change) {
        Ms3dFile file = Small();
        change(file);
        cases.push_back({name, file, loads});
    };
    add("unchanged", true, [](Ms3dFile&) {});
    add("trailing animation data", true, [](Ms3dFile& f) { f.trailer = Bytes(300, 0xEE); });
    add("vertex index = vertex count", false, [](Ms3dFile& f) { f.triangles[1].v[2] = 3; });
    add("vertex index 65535", false, [](Ms3dFile& f) { f.triangles[0].v[0] = 0xFFFF; });
    add("triangle index = triangle count", false, [](Ms3dFile& f) { f.groups[1].triangles[1] = 2; });
    add("material index = material count", false, [](Ms3dFile& f) { f.groups[0].material = 2; });
    add("material index 127", false, [](Ms3dFile& f) { f.groups[0].material = 127; });
    add("material index -1: none", true, [](Ms3dFile& f) { f.groups[0].material = -1; });
    add("material index without materials", false, [](Ms3dFile& f) { f.materials.clear(); });
    add("group without triangles", true, [](Ms3dFile& f) { f.groups.push_back({{}, -1}); });
    for (const Case& test : cases)
    {
        BareModel model;
        EXPECT_EQ(Parse(test.file.Build(), &model), test.loads) << test.name;
        if (!test.loads)
        {
            EXPECT_TRUE(IsEmpty(model)) << test.name;
        }
    }

    // Counts larger than what follows them: every cut before the end of the materials.
    const Bytes whole = Small().Build();
    for (size_t length = 0; length < whole.size(); ++length)
    {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(length));
        BareModel model;
        ASSERT_FALSE(Parse(cut, &model)) << "cut at " << length << " of " << whole.size();
        ASSERT_TRUE(IsEmpty(model));
    }
    // Each section's count raised to 65535 with nothing more behind it.
    const size_t vertexCountAt = 14;
    const size_t triangleCountAt = vertexCountAt + 2 + 3 * 15;
    const size_t groupCountAt = triangleCountAt + 2 + 2 * 70;
    const size_t materialCountAt = whole.size() - 2 * 361 - 2;
    for (size_t at : {vertexCountAt, triangleCountAt, groupCountAt, materialCountAt})
    {
        Bytes bytes = whole;
        bytes[at] = 0xFF;
        bytes[at + 1] = 0xFF;
        BareModel model;
        EXPECT_FALSE(Parse(bytes, &model)) << "count at " << at;
        EXPECT_TRUE(IsEmpty(model));
    }
    // A group whose own triangle count runs past the file.
    Bytes longGroup = whole;
    longGroup[groupCountAt + 2 + 33] = 0xFF;
    longGroup[groupCountAt + 2 + 34] = 0xFF;
    BareModel model;
    EXPECT_FALSE(Parse(longGroup, &model));
}

TEST(Ms3dModel, EmptyModelLoadsAndAFailedParseKeepsWhatWasLoaded)
{
    BareModel model;
    ASSERT_TRUE(Parse(Ms3dFile{}.Build(), &model));
    EXPECT_TRUE(IsEmpty(model));

    ASSERT_TRUE(Parse(Small().Build(), &model));
    Ms3dFile bad = Small();
    bad.groups[0].material = 9;
    EXPECT_FALSE(Parse(bad.Build(), &model));
    EXPECT_EQ(model.m_vertexCount, 3);
    EXPECT_EQ(model.m_meshCount, 2);
    EXPECT_STREQ(model.m_materials[0].textureFileName, "textures/wall.bmp");

    // A good parse replaces the content as a whole.
    ASSERT_TRUE(Parse(Square(-1).Build(), &model));
    EXPECT_EQ(model.m_vertexCount, 4);
    EXPECT_EQ(model.m_materialCount, 0);
    EXPECT_EQ(model.m_materials, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------------------------

TEST(Ms3dModel, ReloadMakesOneTexturePerNamedBitmapAndDeletesThePreviousOnes)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("textures/wall.bmp", Bmp24Bytes(4, 4, Solid(10, 200, 30))));
    ASSERT_TRUE(WriteTestFile("model.ms3d", Small().Build()));
    Ms3dFile missing = Small();
    missing.materials[0].texture = "textures/missing.bmp";
    ASSERT_TRUE(WriteTestFile("missing.ms3d", missing.Build()));

    MessageRecorder capture;
    Ms3dModel model;
    ASSERT_TRUE(model.LoadModelData("model.ms3d"));
    ASSERT_NE(model.m_materials[0].texture, 0u);
    EXPECT_EQ(model.m_materials[1].texture, 0u);
    EXPECT_TRUE(glIsTexture(model.m_materials[0].texture));

    // Every Prepare reloads. Only the newest name may remain a texture.
    std::set<GLuint> names = {model.m_materials[0].texture};
    for (int i = 0; i < 5; ++i)
    {
        model.ReloadTextures();
        ASSERT_NE(model.m_materials[0].texture, 0u);
        names.insert(model.m_materials[0].texture);
    }
    for (GLuint name : names)
        EXPECT_EQ(glIsTexture(name) == GL_TRUE, name == model.m_materials[0].texture) << name;

    // Loading another file into the model releases the textures of the first.
    const GLuint before = model.m_materials[0].texture;
    ASSERT_TRUE(model.LoadModelData("missing.ms3d"));
    EXPECT_EQ(model.m_materials[0].texture, 0u);
    EXPECT_FALSE(glIsTexture(before));
    // A missing bitmap makes no texture and no message.
    EXPECT_TRUE(capture.Texts().empty());
    EXPECT_TRUE(NoGlError("the test"));
}

// Every reload reads the bitmaps as they are on disk now: one that was missing loads once it
// appears, a broken one reports its message on every read, and a repaired one loads.
TEST(Ms3dModel, EveryReloadReadsEachBitmapAgain)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    ScopedTempDir dir;
    Ms3dFile file = Small();
    file.materials[1].texture = "textures/broken.bmp";
    ASSERT_TRUE(WriteTestFile("model.ms3d", file.Build()));
    const std::vector<uint8_t> good = Bmp24Bytes(4, 4, Solid(10, 200, 30));
    const std::vector<uint8_t> garbage(300, 0xA5);
    const std::string unknown = "Unknown DIB file format.";
    ASSERT_TRUE(WriteTestFile("textures/broken.bmp", garbage));

    MessageRecorder capture;
    Ms3dModel model;
    // Inside LoadModelData: textures/wall.bmp does not exist yet (no message), broken.bmp
    // reports.
    ASSERT_TRUE(model.LoadModelData("model.ms3d"));
    EXPECT_EQ(model.m_materials[0].texture, 0u);
    EXPECT_EQ(model.m_materials[1].texture, 0u);
    EXPECT_EQ(capture.Texts(), std::vector<std::string>({unknown}));

    // Nothing changed on disk: the broken bitmap is read, and reported, again on each reload.
    model.ReloadTextures();
    model.ReloadTextures();
    EXPECT_EQ(model.m_materials[1].texture, 0u);
    EXPECT_EQ(capture.Texts(), std::vector<std::string>({unknown, unknown, unknown}));

    // The missing bitmap appears and the broken one is repaired: both load at the next reload.
    ASSERT_TRUE(WriteTestFile("textures/wall.bmp", good));
    ASSERT_TRUE(WriteTestFile("textures/broken.bmp", good));
    model.ReloadTextures();
    EXPECT_NE(model.m_materials[0].texture, 0u);
    EXPECT_NE(model.m_materials[1].texture, 0u);
    EXPECT_TRUE(glIsTexture(model.m_materials[1].texture));
    EXPECT_EQ(capture.Texts().size(), 3u);

    // Broken again: its texture of the last reload is deleted and the message comes back.
    const GLuint repaired = model.m_materials[1].texture;
    ASSERT_TRUE(WriteTestFile("textures/broken.bmp", garbage));
    model.ReloadTextures();
    EXPECT_EQ(model.m_materials[1].texture, 0u);
    EXPECT_FALSE(glIsTexture(repaired));
    EXPECT_NE(model.m_materials[0].texture, 0u);
    EXPECT_EQ(capture.Texts(), std::vector<std::string>({unknown, unknown, unknown, unknown}));
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

TEST(Ms3dModel, EmptyModelDrawsNothingAndLeavesTexturingAsFound)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    BareModel model;
    ASSERT_TRUE(Parse(Ms3dFile{}.Build(), &model));
    for (bool texturing : {false, true})
    {
        if (texturing)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
        model.Draw();
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, texturing);
    }
    // A model never loaded draws nothing as well.
    BareModel never;
    never.Draw();
    EXPECT_EQ(GlTestContext::Pixel(8, 8).r, 0);
    EXPECT_TRUE(NoGlError("the test"));
}

TEST(Ms3dModel, FileTOfAQuarterIsDrawnAsThreeQuarters)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    Ms3dFile file = Square(-1);
    // The last corner drawn carries s 0.6 and file t 0.25, so they stay current afterwards.
    file.triangles[1].s[2] = 0.6f;
    file.triangles[1].t[2] = 0.25f;
    file.triangles[1].normals[2][0] = 1.0f;
    file.triangles[1].normals[2][2] = 0.0f;
    BareModel model;
    ASSERT_TRUE(Parse(file.Build(), &model));
    model.Draw();
    GLfloat texCoord[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    EXPECT_FLOAT_EQ(texCoord[0], 0.6f);
    EXPECT_FLOAT_EQ(texCoord[1], 0.75f);
    GLfloat normal[3] = {0, 0, 0};
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_FLOAT_EQ(normal[0], 1.0f);
    EXPECT_FLOAT_EQ(normal[2], 0.0f);
    // Finish the drawing here: work left pending would be done while the process exits.
    glFinish();
}

TEST(Ms3dModel, TexturedMaterialShowsThePictureUpright)
{
    ASSERT_TRUE(GlTestContext::Create(32, 32));
    ScopedTempDir dir;
    // Quadrants, seen upright: red top-left, green top-right, blue bottom-left, white bottom-right.
    ASSERT_TRUE(WriteTestFile("quadrants.bmp", Bmp24Bytes(8, 8, [](int x, int y) {
                                  if (y < 4)
                                      return x < 4 ? Rgb8{255, 0, 0} : Rgb8{0, 255, 0};
                                  return x < 4 ? Rgb8{0, 0, 255} : Rgb8{255, 255, 255};
                              })));
    Ms3dFile file = Square(0);
    file.materials = {Plain(1.0f, "quadrants.bmp")};
    ASSERT_TRUE(WriteTestFile("square.ms3d", file.Build()));
    Ms3dModel model;
    ASSERT_TRUE(model.LoadModelData("square.ms3d"));
    ASSERT_NE(model.m_materials[0].texture, 0u);

    glBindTexture(GL_TEXTURE_2D, 0);
    model.Draw();
    // GL window y runs upwards: y = 24 is the upper half.
    EXPECT_TRUE(PixelNear(8, 24, {255, 0, 0}, 2));
    EXPECT_TRUE(PixelNear(24, 24, {0, 255, 0}, 2));
    EXPECT_TRUE(PixelNear(8, 8, {0, 0, 255}, 2));
    EXPECT_TRUE(PixelNear(24, 8, {255, 255, 255}, 2));
    // Texturing was off and is off again; the material's texture stays bound.
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), model.m_materials[0].texture);
    EXPECT_TRUE(NoGlError("the test"));
}

TEST(Ms3dModel, MeshWithoutMaterialDrawsUntexturedAndKeepsTheLastMaterial)
{
    ASSERT_TRUE(GlTestContext::Create(32, 32));
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("red.bmp", Bmp24Bytes(4, 4, Solid(255, 0, 0))));
    // Group 0 (material 0, textured red) covers the left half, group 1 (no material) the right.
    Ms3dFile file;
    file.vertices = {{-1, -1, 0, -1}, {0, -1, 0, -1}, {0, 1, 0, -1}, {-1, 1, 0, -1}, {1, -1, 0, -1}, {1, 1, 0, -1}};
    const auto triangle = [](uint16_t a, uint16_t b, uint16_t c) {
        return TriangleSpec{{a, b, c}, {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}}, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}};
    };
    file.triangles = {triangle(0, 1, 2), triangle(0, 2, 3), triangle(1, 4, 5), triangle(1, 5, 2)};
    file.groups = {{{0, 1}, 0}, {{2, 3}, -1}};
    file.materials = {Plain(0.3f, "red.bmp")};
    file.materials[0].shininess = 33.0f;
    ASSERT_TRUE(WriteTestFile("halves.ms3d", file.Build()));
    Ms3dModel model;
    ASSERT_TRUE(model.LoadModelData("halves.ms3d"));

    // The caller had texturing on with a green texture of its own, and a back-face material.
    GLuint green = 0;
    glGenTextures(1, &green);
    glBindTexture(GL_TEXTURE_2D, green);
    const uint8_t greenTexel[3] = {0, 255, 0};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, greenTexel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    const GLfloat backAmbient[4] = {0.9f, 0.8f, 0.7f, 1.0f};
    glMaterialfv(GL_BACK, GL_AMBIENT, backAmbient);
    glColor3f(1, 1, 1);

    model.Draw();
    EXPECT_TRUE(PixelNear(8, 16, {255, 0, 0}, 2));
    // Untextured: the current colour, not the caller's green picture.
    EXPECT_TRUE(PixelNear(24, 16, {255, 255, 255}, 2));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    // The last material set stays current, on front faces only.
    GLfloat ambient[4] = {0, 0, 0, 0};
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.3f);
    GLfloat shininess = 0;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(shininess, 33.0f);
    glGetMaterialfv(GL_BACK, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.9f);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), model.m_materials[0].texture);
    glDeleteTextures(1, &green);
    EXPECT_TRUE(NoGlError("the test"));
}

// Renders the corpus models lit, saves each picture (Ms3dModel_<name>.png) and
// checks that the model covers a sensible part of the frame with shading across it. The
// jeep's material names .\jeep1.jpg, a path relative to the working directory taken
// literally; its picture is put there as a bitmap, so the jeep is drawn textured.
TEST(Ms3dModel, CorpusModelsRenderLit)
{
    const int size = 256;
    ScopedTempDir dir;
    Bytes jpeg;
    ASSERT_TRUE(ReadWholeFile(CorpusModel("jeep1.jpg"), &jpeg));
    DecodedImage skin;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), &skin, &error)) << error;
    ASSERT_EQ(skin.channels, 3);
    ASSERT_TRUE(WriteTestFile(".\\jeep1.jpg", Bmp24Bytes(skin.width, skin.height, [&](int x, int y) {
                                  // Decoded rows run bottom-up; y counts from the top.
                                  const uint8_t* p = &skin.pixels[(static_cast<size_t>(skin.height - 1 - y) * skin.width + x) * 3];
                                  return Rgb8{p[0], p[1], p[2]};
                              })));

    for (const char* name : {"Wuson", "jeep1"})
    {
        ASSERT_TRUE(GlTestContext::Create(size, size));
        Ms3dModel model;
        ASSERT_TRUE(model.LoadModelData(CorpusModel(std::string(name) + ".ms3d").c_str()));
        for (int m = 0; m < model.m_materialCount; ++m)
            EXPECT_NE(model.m_materials[m].texture, 0u) << name;

        float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
        for (int v = 0; v < model.m_vertexCount; ++v)
            for (int k = 0; k < 3; ++k)
            {
                low[k] = std::min(low[k], model.m_vertices[v].location[k]);
                high[k] = std::max(high[k], model.m_vertices[v].location[k]);
            }
        const float centre[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
        const float radius = std::sqrt((high[0] - low[0]) * (high[0] - low[0]) + (high[1] - low[1]) * (high[1] - low[1]) +
                                       (high[2] - low[2]) * (high[2] - low[2])) / 2;

        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, radius * 0.1, radius * 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const GLfloat lightDirection[4] = {0.3f, 0.6f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
        gluLookAt(centre[0] + radius * 1.6, centre[1] + radius * 1.0, centre[2] + radius * 1.8, centre[0], centre[1],
                  centre[2], 0, 1, 0);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_DEPTH_TEST);
        const GLfloat grey[4] = {0.8f, 0.8f, 0.8f, 1.0f};
        glMaterialfv(GL_FRONT, GL_DIFFUSE, grey);

        model.Draw();
        EXPECT_TRUE(NoGlError(std::string("drawing ") + name));
        EXPECT_TRUE(SaveFrame(std::string("Ms3dModel_") + name));

        const std::vector<uint8_t> rgba = GlTestContext::ReadRgba();
        size_t covered = 0;
        size_t greenish = 0;
        std::set<int> shades;
        for (size_t i = 0; i < rgba.size(); i += 4)
            if (rgba[i] + rgba[i + 1] + rgba[i + 2] > 0)
            {
                ++covered;
                greenish += rgba[i + 1] > rgba[i] + 8 && rgba[i + 1] > rgba[i + 2] + 8;
                shades.insert(rgba[i + 1] / 8);
            }
        const double fraction = static_cast<double>(covered) / (size * size);
        EXPECT_GT(fraction, 0.08) << name;
        EXPECT_LT(fraction, 0.9) << name;
        EXPECT_GE(shades.size(), 8u) << name;
        // Wuson is grey; the jeep's olive paint shows only through its texture.
        if (model.m_materialCount > 0)
        {
            EXPECT_GT(greenish, covered / 4) << name;
        }
        else
        {
            EXPECT_EQ(greenish, 0u) << name;
        }
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT0);
        glDisable(GL_DEPTH_TEST);
    }
}

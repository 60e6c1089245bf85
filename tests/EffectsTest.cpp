// What all fifteen effects must do alike, each as its own numbers say: the textures every
// effect holds after Prepare, read back from GL (wrap modes, internal format, filters, size),
// and the flat layers drawn over a frame whose depth is nearer than anything they draw and
// whose fog is on.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EffectFixture.h"
#include "Effects.h"
#include "Ms3dTestFile.h"
#include "api/Library.h"

namespace
{

class Effects : public EffectFixture
{
protected:
    Effects() : EffectFixture(160, 120) {}
};

// Writes a picture by its extension: JPEG, TGA, or a 24-bit BMP for a model's material.
::testing::AssertionResult WritePicture(const std::string& path, int width, int height, const PixelFunction& pixel)
{
    const std::string extension = path.substr(path.size() - 4);
    const bool written = extension == ".jpg"   ? WriteTestJpeg(path, width, height, pixel)
                         : extension == ".tga" ? WriteTestTga(path, width, height, pixel)
                                               : WriteTestFile(path, Bmp24Bytes(width, height, pixel));
    if (written)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot write " << path;
}

// ---------------------------------------------------------------------------------------------
// Textures after Prepare
// ---------------------------------------------------------------------------------------------

// One texture as the effect asks for it: the wrap mode it gives for both directions and the
// internal format. A model's material bitmap is not the library's: it is made with internal
// format 3 (three components) and GL's default wrap, which repeats.
struct TextureRow
{
    const char* file;
    GLint wrap;
    GLint format;   // 0: the library's choice
    bool modelBitmap = false;
};

// The wrap mode GL reports for a texture asked for with this wrap: the library sets GL_CLAMP up
// as clamp-to-edge (Mesa's contexts have it), anything else as asked.
GLint ReportedWrap(GLint requested) { return requested == GL_CLAMP ? GL_CLAMP_TO_EDGE : requested; }

// The internal format GL reports for a texture loaded with this format: the one asked for, or
// eight bits a channel where the library may choose (the pictures here have three channels).
GLint ReportedFormat(GLint requested) { return requested == 0 ? GL_RGB8 : requested; }

struct EffectRow
{
    const char* name;
    std::function<std::unique_ptr<CEffect>()> make;
    // The effect's texture ids in the order of `textures`.
    std::function<std::vector<unsigned int>(CEffect&)> ids;
    std::vector<TextureRow> textures;
    const char* model = nullptr;   // the model file of a model scene
};

template <class Effect>
EffectRow Row(const char* name, std::vector<TextureRow> textures, std::function<std::vector<unsigned int>(Effect&)> ids,
              const char* model = nullptr)
{
    return {name, [] { return std::unique_ptr<CEffect>(new Effect); },
            [ids](CEffect& effect) { return ids(static_cast<Effect&>(effect)); }, std::move(textures), model};
}

template <class Effect, size_t N>
std::vector<unsigned int> All(const unsigned int (&textures)[N])
{
    return std::vector<unsigned int>(textures, textures + N);
}

unsigned int MaterialTexture(const Ms3dModel* model)
{
    return model != nullptr && model->m_materialCount > 0 ? model->m_materials[0].texture : 0u;
}

const char* const kSkin = "dat/skin.bmp";

TEST_F(Effects, TexturesCarryTheirLoadArgumentsAfterPrepare)
{
    const TextureRow skin = {kSkin, GL_REPEAT, 3, true};
    const std::vector<EffectRow> rows = {
        Row<CBallsEffect>("BALLS", {{"lightball.jpg", GL_REPEAT, GL_RGB5_A1}},
                          [](CBallsEffect& e) { return std::vector<unsigned int>{e.m_texture}; }),
        Row<CBackgroundEffect>("BACKGROUND",
                               {{"t_background_01.jpg", GL_CLAMP, GL_RGB5_A1},
                                {"t_background_02.jpg", GL_CLAMP, GL_RGB5_A1},
                                {"t_background_03.jpg", GL_CLAMP, GL_RGB5_A1}},
                               [](CBackgroundEffect& e) { return All<CBackgroundEffect>(e.m_textures); }),
        Row<CImageEffect>("IMAGE",
                          {{"images/i_hp_glow_image.jpg", GL_CLAMP, GL_RGB5_A1},
                           {"images/i_hp_glow_mask.jpg", GL_CLAMP, GL_RGB5_A1},
                           {"images/i_greetings_01.jpg", GL_CLAMP, GL_RGB5_A1},
                           {"images/i_greetings_02.jpg", GL_CLAMP, GL_RGB5_A1}},
                          [](CImageEffect& e) { return All<CImageEffect>(e.m_textures); }),
        Row<CClearEffect>("CLEAR", {}, [](CClearEffect&) { return std::vector<unsigned int>{}; }),
        Row<CFlagEffect>("FLAG", {{"t_flag.jpg", GL_CLAMP, GL_RGB5_A1}},
                         [](CFlagEffect& e) { return std::vector<unsigned int>{e.m_texture}; }),
        Row<CPartyEffect>("PARTY", {{"particle.jpg", GL_REPEAT, GL_RGB5_A1}},
                          [](CPartyEffect& e) { return std::vector<unsigned int>{e.m_texture}; }),
        Row<CBitchEffect>("BITCH", {skin},
                          [](CBitchEffect& e) { return std::vector<unsigned int>{MaterialTexture(e.m_model)}; },
                          "dat/m_bitch.ms3d"),
        Row<CCreditsEffect>("CREDITS",
                            {{"txt_coding.jpg", GL_REPEAT, GL_RGB5_A1}, {"txt_qv517.jpg", GL_REPEAT, GL_RGB5_A1}, skin},
                            [](CCreditsEffect& e) {
                                return std::vector<unsigned int>{e.m_captionTexture, e.m_nameTexture,
                                                                 MaterialTexture(e.m_model)};
                            },
                            "dat/m_headphone.ms3d"),
        Row<CStarfieldEffect>("STARFIELD", {{"star_64.jpg", GL_REPEAT, GL_RGB5_A1}},
                              [](CStarfieldEffect& e) { return std::vector<unsigned int>{e.m_texture}; }),
        Row<CLandEffect>("LAND", {{"t_terrain_1.jpg", GL_REPEAT, GL_RGB5_A1}},
                         [](CLandEffect& e) { return std::vector<unsigned int>{e.m_texture}; }),
        Row<CTunnelEffect>("TUNNEL", {skin},
                           [](CTunnelEffect& e) { return std::vector<unsigned int>{MaterialTexture(e.m_model)}; },
                           "dat/m_tunnel.ms3d"),
        Row<CBorderEffect>("BORDER",
                           {{"t_BorderImage.tga", GL_REPEAT, GL_RGB5_A1}, {"t_BorderMask.tga", GL_REPEAT, GL_RGB5_A1}},
                           [](CBorderEffect& e) { return All<CBorderEffect>(e.m_textures); }),
        Row<CKaosEffect>("KAOS",
                         {{"kaos/k_loudspeaker_l_image.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_loudspeaker_l_mask.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_loudspeaker_r_image.jpg", GL_REPEAT, GL_RGB5_A1},
                          {"kaos/k_loudspeaker_r_mask.jpg", GL_REPEAT, GL_RGB5_A1},
                          {"kaos/k_quillmarsh_glow_02_image.jpg", GL_REPEAT, GL_RGB5_A1},
                          {"kaos/k_quillmarsh_glow_02_mask.jpg", GL_REPEAT, GL_RGB5_A1},
                          {"kaos/k_fuckhouse_image.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_fuckhouse_mask.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_fuckhouse_outershape.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_bitch_image.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_bitch_mask.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_tcube_image.jpg", GL_REPEAT, 0},
                          {"kaos/k_tcube_env.jpg", GL_REPEAT, GL_RGB5_A1},
                          {"kaos/k_head_image.jpg", GL_CLAMP, GL_RGB5_A1},
                          {"kaos/k_head_mask.jpg", GL_CLAMP, GL_RGB5_A1}},
                         [](CKaosEffect& e) { return All<CKaosEffect>(e.m_textures); }),
        Row<CSpiralEffect>("SPIRAL", {{"spiral/t_cube_1.jpg", GL_CLAMP, GL_RGB5_A1}},
                           [](CSpiralEffect& e) { return std::vector<unsigned int>{e.m_texture}; }),
        Row<CSpaceEffect>("SPACE", {{"spiral/t_cube_2.jpg", GL_CLAMP, GL_RGB5_A1}},
                          [](CSpaceEffect& e) { return std::vector<unsigned int>{e.m_texture}; }),
    };
    ASSERT_EQ(rows.size(), 15u);

    // LAND's height map, so that its Init has nothing to report.
    ASSERT_TRUE(WriteTestFile("dat/terrain_1.raw", std::vector<uint8_t>(512 * 512, 0)));
    // A model scene's model: one quad whose material names the bitmap.
    Ms3dTestFile model;
    Ms3dTestMaterial material = EmissiveMaterial(1, 1, 1);
    material.texture = kSkin;
    model.AddQuad(model.AddGroup(model.AddMaterial(material)), {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1});

    for (const EffectRow& row : rows)
    {
        SCOPED_TRACE(row.name);
        // Every picture of its own size (wider than high, so the axes cannot be swapped).
        int size = 4;
        for (const TextureRow& texture : row.textures)
        {
            size += 4;
            ASSERT_TRUE(WritePicture(texture.file, size, size / 2, Solid(200, 100, 50)));
        }
        if (row.model != nullptr)
        {
            ASSERT_TRUE(WriteTestFile(row.model, model.Bytes()));
        }

        const size_t libraryTextures = Library().textures.Count();
        const std::unique_ptr<CEffect> effect = row.make();
        ASSERT_EQ(Init(*effect), 0);
        Prepare(*effect);
        const std::vector<unsigned int> ids = row.ids(*effect);
        ASSERT_EQ(ids.size(), row.textures.size());
        size_t fromLibrary = 0;
        size = 4;
        for (size_t i = 0; i < ids.size(); ++i)
        {
            const TextureRow& expected = row.textures[i];
            SCOPED_TRACE(expected.file);
            size += 4;
            fromLibrary += expected.modelBitmap ? 0 : 1;
            const TextureState state = ReadTexture(ids[i]);
            ASSERT_TRUE(state.exists) << "id " << ids[i];
            EXPECT_EQ(state.width, size);
            EXPECT_EQ(state.height, size / 2);
            EXPECT_EQ(state.wrapS, expected.modelBitmap ? expected.wrap : ReportedWrap(expected.wrap));
            EXPECT_EQ(state.wrapT, expected.modelBitmap ? expected.wrap : ReportedWrap(expected.wrap));
            EXPECT_EQ(state.internalFormat, ReportedFormat(expected.format));
            EXPECT_EQ(state.minFilter, GL_LINEAR);
            EXPECT_EQ(state.magFilter, GL_LINEAR);
        }
        // No texture beyond the ones listed.
        EXPECT_EQ(Library().textures.Count() - libraryTextures, fromLibrary);
        End(*effect);
    }
}

// ---------------------------------------------------------------------------------------------
// Flat layers over a nearer depth and fog
// ---------------------------------------------------------------------------------------------

// A flat layer ready to draw: its pictures, the parameters that choose what it draws, and the
// time of the frame.
struct LayerRow
{
    const char* label;
    std::function<std::unique_ptr<CEffect>()> make;
    std::vector<std::pair<const char*, PixelFunction>> pictures;
    std::vector<std::pair<const char*, int>> parameters;
    long elapsed;
    // Drawn in whatever fog the frame has: CREDITS' cards leave fog as they find it, the other
    // flat layers switch it off.
    bool takesFrameFog = false;
    const char* model = nullptr;
    std::function<void(CEffect&)> setUp = [](CEffect&) {};
};

template <class Effect>
std::function<std::unique_ptr<CEffect>()> Make()
{
    return [] { return std::unique_ptr<CEffect>(new Effect); };
}

// The largest difference of any channel between two frames, and where it is.
struct FrameDifference
{
    int largest = 0;
    size_t pixel = 0;
};

FrameDifference Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    FrameDifference difference;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (i % 4 != 3 && std::abs(a[i] - b[i]) > difference.largest)
            difference = {std::abs(a[i] - b[i]), i / 4};
    return difference;
}

TEST_F(Effects, FlatLayersShowOverANearerDepthAndOnlyTheCardsTakeTheFrameFog)
{
    const PixelFunction white = Solid(255, 255, 255);
    const PixelFunction yellow = Solid(255, 255, 0);
    const std::vector<std::pair<const char*, PixelFunction>> background = {
        {"t_background_01.jpg", white}, {"t_background_02.jpg", yellow}, {"t_background_03.jpg", yellow}};
    // The logo half red, half cut out by its mask; both greetings cards plain colours.
    const std::vector<std::pair<const char*, PixelFunction>> image = {
        {"images/i_hp_glow_image.jpg", LeftRight({255, 0, 0}, {0, 0, 0}, 8)},
        {"images/i_hp_glow_mask.jpg", LeftRight({0, 0, 0}, {255, 255, 255}, 8)},
        {"images/i_greetings_01.jpg", white},
        {"images/i_greetings_02.jpg", yellow}};
    // The border: the mask cuts a band round the edge, the picture fills it with blue.
    const std::vector<std::pair<const char*, PixelFunction>> border = {
        {"t_BorderImage.tga", Framed({0, 0, 0}, {0, 0, 255}, 32, 8)},
        {"t_BorderMask.tga", Framed({255, 255, 255}, {0, 0, 0}, 32, 8)}};
    const auto showBothCards = [](CEffect& effect) {
        auto& credits = static_cast<CCreditsEffect&>(effect);
        credits.m_showCaption = credits.m_showName = true;
        credits.m_captionAlpha = credits.m_nameAlpha = 0.5f;
    };
    const std::vector<LayerRow> rows = {
        {"BACKGROUND", Make<CBackgroundEffect>(), background, {}, 1234},
        {"IMAGE logo", Make<CImageEffect>(), image, {{"HP_GLOW", 0}}, 1234},
        {"IMAGE first greetings", Make<CImageEffect>(), image, {{"GREETZ1", 0}}, 1234},
        {"IMAGE second greetings", Make<CImageEffect>(), image, {{"GREETZ2", 0}}, 1234},
        {"BORDER", Make<CBorderEffect>(), border, {}, 1234},
        {"CREDITS cards", Make<CCreditsEffect>(), {{"txt_coding.jpg", white}, {"txt_qv517.jpg", yellow}}, {}, 3536,
         true, "dat/m_headphone.ms3d", showBothCards},
    };

    const Rgb frameColour = {40, 60, 80};
    EarlierFrame plain;
    plain.colour = frameColour;
    // Nearer than anything can be drawn, depth test on; then the same with fog on as well,
    // which would turn anything fogged magenta.
    EarlierFrame nearer = plain;
    nearer.depth = 0.0;
    nearer.depthTest = true;
    EarlierFrame fogged = nearer;
    fogged.fog = true;
    const int frameValues[3] = {frameColour.r, frameColour.g, frameColour.b};
    const int fogValues[3] = {fogged.fogColour.r, fogged.fogColour.g, fogged.fogColour.b};

    for (const LayerRow& row : rows)
    {
        SCOPED_TRACE(row.label);
        for (const auto& picture : row.pictures)
            ASSERT_TRUE(WritePicture(picture.first, 32, 32, picture.second));
        if (row.model != nullptr)
        {
            ASSERT_TRUE(WriteTestFile(row.model, Ms3dTestFile().Bytes()));
        }
        const std::unique_ptr<CEffect> effect = row.make();
        ASSERT_NO_FATAL_FAILURE(Start(*effect));
        for (const auto& parameter : row.parameters)
            Send(*effect, parameter.first, parameter.second);
        row.setUp(*effect);

        PrepareFrame(plain);
        Render(*effect, row.elapsed);
        SaveFrame(std::string("effects_plain_") + row.label);
        const std::vector<uint8_t> expected = GlTestContext::ReadRgba();
        // The layer shows: a good part of the frame is no longer the frame's colour.
        size_t changed = 0;
        for (size_t i = 0; i + 3 < expected.size(); i += 4)
            changed += std::abs(expected[i] - frameColour.r) + std::abs(expected[i + 1] - frameColour.g) +
                               std::abs(expected[i + 2] - frameColour.b) > 60
                           ? 1
                           : 0;
        EXPECT_GT(changed, expected.size() / 4 / 10);

        // Over the nearer depth the same picture: depth test off.
        PrepareFrame(nearer);
        Render(*effect, row.elapsed);
        const FrameDifference overNearer = Compare(GlTestContext::ReadRgba(), expected);
        EXPECT_LE(overNearer.largest, 1) << "at pixel " << overNearer.pixel << " over the nearer depth";
        EXPECT_TRUE(IsOn(GL_DEPTH_TEST)) << "the frame's depth test is back";

        PrepareFrame(fogged);
        Render(*effect, row.elapsed);
        SaveFrame(std::string("effects_fogged_") + row.label);
        const std::vector<uint8_t> inFog = GlTestContext::ReadRgba();
        EXPECT_TRUE(IsOn(GL_FOG)) << "the frame's fog is back";
        End(*effect);
        if (!row.takesFrameFog)
        {
            const FrameDifference overFog = Compare(inFog, expected);
            EXPECT_LE(overFog.largest, 1) << "at pixel " << overFog.pixel << " in the frame's fog";
            continue;
        }
        // Where a card was drawn, the fog colour takes its place, added at the card's alpha
        // (0.5); elsewhere the frame stays.
        int wrong = 0;
        for (size_t i = 0; i + 3 < expected.size(); i += 4)
        {
            const bool card = expected[i] != frameColour.r || expected[i + 1] != frameColour.g ||
                              expected[i + 2] != frameColour.b;
            for (int channel = 0; channel < 3; ++channel)
            {
                const int want = std::min(255, frameValues[channel] + (card ? (fogValues[channel] + 1) / 2 : 0));
                wrong += std::abs(inFog[i + channel] - want) > 1 ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0) << "channels off the fogged cards' colour";
    }
}

} // namespace

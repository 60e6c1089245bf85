// BITCH through real GL: where the model lands under the swaying camera at the edge times,
// that the frame's earlier colour survives while depth is cleared, the missing-model path and
// the model's textures made afresh by Prepare.
#include "Bitch.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CameraMath.h"
#include "GlTestContext.h"
#include "Ms3dTestFile.h"
#include "SceneChecks.h"
#include "TestFiles.h"

namespace
{

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// The marker: a red, self-lit horizontal square of side 10 centred at (20, 10, 0), off the
// turning axis so that every turn shows.
constexpr Point3 kMarkerCentre = {20, 10, 0};

Ms3dTestFile MarkerModel(const std::string& texture = "")
{
    Ms3dTestFile file;
    Ms3dTestMaterial material = EmissiveMaterial(1, 0, 0);
    if (!texture.empty())
    {
        material = EmissiveMaterial(1, 1, 1);
        material.texture = texture;
    }
    const int group = file.AddGroup(file.AddMaterial(material));
    file.AddQuad(group, {15, 10, 5}, {25, 10, 5}, {25, 10, -5}, {15, 10, -5}, {0, 1, 0});
    return file;
}

// The camera of the effect, built independently: eye on sine paths, model shifted along x and
// turned about y by a wobble plus 144 degrees a second plus 50.
Matrix4 ExpectedModelView(long elapsed)
{
    const double t = static_cast<float>(elapsed + 1) * 0.0005f;
    const Point3 eye = {50 * std::sin(3.9 * t), 50.5 * std::cos(4.9 * t) + 60, 135};
    Matrix4 m = LookAtMatrix(eye, {0, 10, 0}, {0, 1, 0});
    m = Multiply(m, TranslationMatrix(5.5 * std::sin(1.7 * t), 0, 0));
    m = Multiply(m, RotationMatrix(120 * std::sin(2.5 * t) + 0.8 * t * 360, 0, 1, 0));
    return Multiply(m, RotationMatrix(50, 0, 1, 0));
}

// The frame that earlier effects left: dark blue colour, and a depth buffer at 0 that would
// hide everything if it were not cleared.
void FillEarlierFrame()
{
    glClearColor(0.0f, 0.0f, 128.0f / 255.0f, 1.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A 2 x 2 24-bit bitmap of one colour, with the 14-byte file header.
std::vector<uint8_t> SolidBitmap(uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> bytes(54, 0);
    const auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + 16);
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, 16);
    for (int row = 0; row < 2; ++row)
    {
        for (int x = 0; x < 2; ++x)
        {
            bytes.push_back(b);
            bytes.push_back(g);
            bytes.push_back(r);
        }
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

void ExpectPixel(const Rgba& pixel, int r, int g, int b, const std::string& where)
{
    EXPECT_NEAR(pixel.r, r, 3) << where;
    EXPECT_NEAR(pixel.g, g, 3) << where;
    EXPECT_NEAR(pixel.b, b, 3) << where;
}

} // namespace

TEST(BitchTest, ModelLandsWhereTheSwayingCameraPutsItAtTheEdgeTimes)
{
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("dat/m_bitch.ms3d", MarkerModel().Bytes()));
    CBitchEffect effect;
    ASSERT_EQ(effect.Init(kWidth, kHeight), 0);
    effect.Prepare();
    const Matrix4 projection = PerspectiveMatrix(45, double(kWidth) / kHeight, 1, 1000);

    // The edge times with their numbers written out literally.
    // At -1 ms: t = 0, eye (0, 110.5, 135), no shift, 50 degrees in all.
    const Matrix4 atStart = Multiply(LookAtMatrix({0, 110.5, 135}, {0, 10, 0}, {0, 1, 0}),
                                     RotationMatrix(50, 0, 1, 0));
    // At 2499 ms: t = 1.25, the steady turn is one full revolution.
    const double t = 1.25;
    const Matrix4 atOneTurn = Multiply(
        Multiply(Multiply(LookAtMatrix({50 * std::sin(3.9 * t), 50.5 * std::cos(4.9 * t) + 60, 135}, {0, 10, 0},
                                       {0, 1, 0}),
                          TranslationMatrix(5.5 * std::sin(1.7 * t), 0, 0)),
                 RotationMatrix(120 * std::sin(2.5 * t) + 360, 0, 1, 0)),
        RotationMatrix(50, 0, 1, 0));

    struct Case
    {
        long elapsed;
        Matrix4 expected;
    };
    const Case cases[] = {{-1, atStart}, {0, ExpectedModelView(0)}, {2499, atOneTurn}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE("elapsed " + std::to_string(c.elapsed));
        FillEarlierFrame();
        effect.RenderFrame(c.elapsed);
        SaveFrame("bitch_" + std::to_string(c.elapsed));
        EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());

        const Matrix4 modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
        EXPECT_TRUE(MatricesNear(modelView, c.expected, 1e-4));
        EXPECT_TRUE(MatricesNear(ReadMatrix(GL_PROJECTION_MATRIX), projection, 1e-6));

        // The red marker is added onto the blue that was there.
        const WindowPoint marker = ProjectToWindow(projection, c.expected, kMarkerCentre, kWidth, kHeight);
        ExpectPixel(PixelAt(marker), 255, 0, 128, "marker");
        EXPECT_LT(DepthAt(marker), 1.0f);
        // Opposite the axis there is nothing: the earlier colour, and depth cleared to 1.
        const WindowPoint opposite = ProjectToWindow(projection, c.expected, {-20, 10, 0}, kWidth, kHeight);
        ExpectPixel(PixelAt(opposite), 0, 0, 128, "opposite");
        EXPECT_FLOAT_EQ(DepthAt(opposite), 1.0f);
    }

    // Without the 50-degree turn the marker would be elsewhere: that spot stays blue.
    FillEarlierFrame();
    effect.RenderFrame(-1);
    const Matrix4 unturned = LookAtMatrix({0, 110.5, 135}, {0, 10, 0}, {0, 1, 0});
    ExpectPixel(PixelAt(ProjectToWindow(projection, unturned, kMarkerCentre, kWidth, kHeight)), 0, 0, 128,
                "unturned marker");

    // The pushed groups come back as they were; the camera and viewport stay.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLdouble clearDepth = -1;
    glGetDoublev(GL_DEPTH_CLEAR_VALUE, &clearDepth);
    EXPECT_EQ(clearDepth, 0.0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_EQ(viewport[3], kHeight);
    effect.End();
}

TEST(BitchTest, MissingModelIsReportedOnceAndFramesStillClearDepthOnly)
{
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    ScopedTempDir dir;
    MessageRecorder messages;
    CBitchEffect effect;
    testing::internal::CaptureStderr();
    EXPECT_EQ(effect.Init(kWidth, kHeight), 0);
    const std::string errors = testing::internal::GetCapturedStderr();

    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].first, "Couldn't load the model dat\\model.ms3d");
    EXPECT_EQ(messages.Messages()[0].second, "Error");
    EXPECT_NE(errors.find("Error: Couldn't load the model dat\\model.ms3d"), std::string::npos) << errors;
    EXPECT_NE(errors.find("dat/m_bitch.ms3d"), std::string::npos) << errors;

    // Defined values stand in for the ones Init did not store.
    EXPECT_GT(effect.m_width, 0);
    EXPECT_GT(effect.m_height, 0);
    EXPECT_EQ(effect.m_timeOffset, -1);
    ASSERT_NE(effect.m_model, nullptr);
    EXPECT_EQ(effect.m_model->m_meshCount, 0);

    effect.Prepare();
    for (long elapsed : {0L, 16L, 33L})
    {
        FillEarlierFrame();
        effect.RenderFrame(elapsed);
    }
    effect.End();
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
    EXPECT_EQ(messages.Messages().size(), 1u);
    ExpectPixel(GlTestContext::Pixel(kWidth / 2, kHeight / 2), 0, 0, 128, "centre");
    EXPECT_FLOAT_EQ(DepthAt({kWidth / 2.0, kHeight / 2.0, 0}), 1.0f);
}

TEST(BitchTest, PrepareGivesTheModelFreshTexturesAndDrawsWithThem)
{
    ASSERT_TRUE(GlTestContext::Create(kWidth, kHeight));
    ScopedTempDir dir;
    ASSERT_TRUE(WriteTestFile("dat/red.bmp", SolidBitmap(255, 0, 0)));
    ASSERT_TRUE(WriteTestFile("dat/m_bitch.ms3d", MarkerModel("dat/red.bmp").Bytes()));
    CBitchEffect effect;
    ASSERT_EQ(effect.Init(kWidth, kHeight), 0);
    ASSERT_EQ(effect.m_model->m_materialCount, 1);
    const GLuint fromInit = effect.m_model->m_materials[0].texture;
    ASSERT_NE(fromInit, 0u);

    effect.Prepare();
    const GLuint fromPrepare = effect.m_model->m_materials[0].texture;
    EXPECT_NE(fromPrepare, 0u);
    EXPECT_NE(fromPrepare, fromInit);
    EXPECT_FALSE(glIsTexture(fromInit)) << "the previous name is not left behind";

    FillEarlierFrame();
    effect.RenderFrame(-1);
    SaveFrame("bitch_textured");
    const Matrix4 projection = PerspectiveMatrix(45, double(kWidth) / kHeight, 1, 1000);
    // White light times the red bitmap, added onto the blue.
    ExpectPixel(PixelAt(ProjectToWindow(projection, ExpectedModelView(-1), kMarkerCentre, kWidth, kHeight)), 255,
                0, 128, "textured marker");
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), fromPrepare);
    EXPECT_TRUE(GlTestContext::TakeGlErrors().empty());
}

// BITCH through real GL: where the model lands under the swaying camera at the edge times,
// that the frame's earlier colour survives while depth is cleared, the missing-model path and
// the model's textures made afresh by Prepare.
#include "Bitch.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EffectFixture.h"
#include "Ms3dTestFile.h"

namespace
{

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
void FillEarlierFrame() { FillFrame({0, 0, 128}, 0.0); }

class Bitch : public EffectTest<CBitchEffect>
{
protected:
    Bitch() : EffectTest(160, 120) {}
};

} // namespace

TEST_F(Bitch, ModelLandsWhereTheSwayingCameraPutsItAtTheEdgeTimes)
{
    ASSERT_TRUE(WriteTestFile("dat/m_bitch.ms3d", MarkerModel().Bytes()));
    ASSERT_NO_FATAL_FAILURE(Start());

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
        Render(c.elapsed);
        SaveFrame("bitch_" + std::to_string(c.elapsed));

        const View camera = Camera(c.expected, 1, 1000);
        EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), c.expected, 1e-4));
        EXPECT_TRUE(MatricesNear(ReadMatrix(GL_PROJECTION_MATRIX), camera.projection, 1e-6));

        // The red marker is added onto the blue that was there.
        const WindowPoint marker = camera.Project(kMarkerCentre);
        EXPECT_TRUE(PixelNear(marker, {255, 0, 128}, 3)) << "marker";
        EXPECT_LT(DepthAt(marker), 1.0f);
        // Opposite the axis there is nothing: the earlier colour, and depth cleared to 1.
        const WindowPoint opposite = camera.Project(-20, 10, 0);
        EXPECT_TRUE(PixelNear(opposite, {0, 0, 128}, 3)) << "opposite";
        EXPECT_FLOAT_EQ(DepthAt(opposite), 1.0f);
    }

    // Without the 50-degree turn the marker would be elsewhere: that spot stays blue.
    FillEarlierFrame();
    Render(-1);
    const Matrix4 unturned = LookAtMatrix({0, 110.5, 135}, {0, 10, 0}, {0, 1, 0});
    EXPECT_TRUE(PixelNear(Camera(unturned, 1, 1000).Project(kMarkerCentre), {0, 0, 128}, 3))
        << "unturned marker";

    // The pushed groups come back as they were; the camera and viewport stay.
    EXPECT_FALSE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_LIGHTING));
    EXPECT_FALSE(IsOn(GL_LIGHT0));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    EXPECT_EQ(GetFloat(GL_DEPTH_CLEAR_VALUE), 0.0f);
    const auto viewport = GetInts(GL_VIEWPORT);
    EXPECT_EQ(viewport[2], Width());
    EXPECT_EQ(viewport[3], Height());
    End();
}

TEST_F(Bitch, MissingModelIsReportedOnceAndFramesStillClearDepthOnly)
{
    MessageRecorder messages;
    ASSERT_NO_FATAL_FAILURE(InitWithMissingModel(messages, "dat/m_bitch.ms3d"));

    // Defined values stand in for the ones Init did not store.
    EXPECT_GT(m_effect.m_width, 0);
    EXPECT_GT(m_effect.m_height, 0);
    EXPECT_EQ(m_effect.m_timeOffset, -1);
    ASSERT_NE(m_effect.m_model, nullptr);
    EXPECT_EQ(m_effect.m_model->m_meshCount, 0);

    Prepare();
    for (long elapsed : {0L, 16L, 33L})
    {
        FillEarlierFrame();
        Render(elapsed);
    }
    End();
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_TRUE(PixelNear(Width() / 2, Height() / 2, {0, 0, 128}, 3)) << "centre";
    EXPECT_FLOAT_EQ(DepthAt(Width() / 2, Height() / 2), 1.0f);
}

TEST_F(Bitch, PrepareGivesTheModelFreshTexturesAndDrawsWithThem)
{
    ASSERT_TRUE(WriteTestFile("dat/red.bmp", Bmp24Bytes(2, 2, Solid(255, 0, 0))));
    ASSERT_TRUE(WriteTestFile("dat/m_bitch.ms3d", MarkerModel("dat/red.bmp").Bytes()));
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(m_effect.m_model->m_materialCount, 1);
    const GLuint fromInit = m_effect.m_model->m_materials[0].texture;
    ASSERT_NE(fromInit, 0u);

    // Mark the texture object Init made: one blue texel in place of the 2 x 2 red bitmap.
    const GLint bound = GetInt(GL_TEXTURE_BINDING_2D);
    glBindTexture(GL_TEXTURE_2D, fromInit);
    const GLubyte blue[4] = {0, 0, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, blue);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));

    Prepare();
    const GLuint fromPrepare = m_effect.m_model->m_materials[0].texture;
    EXPECT_NE(fromPrepare, 0u);
    // The object Init made is gone. GL may hand a freed name out again, so the name may live on,
    // but only as the texture Prepare made from the bitmap, never as the marked object.
    const TextureState old = ReadTexture(fromInit);
    if (old.exists)
    {
        EXPECT_EQ(fromInit, fromPrepare) << "the previous texture is left behind";
        EXPECT_EQ(old.width, 2) << "the previous texture object is still in use";
    }

    FillEarlierFrame();
    Render(-1);
    SaveFrame("bitch_textured");
    // White light times the red bitmap, added onto the blue.
    EXPECT_TRUE(PixelNear(Camera(ExpectedModelView(-1), 1, 1000).Project(kMarkerCentre), {255, 0, 128}, 3))
        << "textured marker";
    EXPECT_EQ(static_cast<GLuint>(GetInt(GL_TEXTURE_BINDING_2D)), fromPrepare);
}

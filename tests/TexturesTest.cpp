// The library's textures on real GL: the id is a reserved texture name, the upload honours the
// requested wrap (GL_CLAMP as clamp-to-edge), filters and internal format and keeps the picture
// upright, un-upload frees
// the storage but keeps the name, failures give 0 with one message naming the file. And the
// extension checks.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "DemoGL.h"
#include "GlChecks.h"
#include "GlTestContext.h"
#include "api/Library.h"
#include "TestFiles.h"

namespace {

// Red in the top half of the picture, blue in the bottom half.
Rgb8 TopRedBottomBlue(int, int y, int height) { return y < height / 2 ? Rgb8{255, 0, 0} : Rgb8{0, 0, 255}; }

// Draws the bound texture on a white quad from -half to half in x and y (the whole view at 1),
// with texture coordinates (0,0) at the bottom left.
void DrawTexturedQuad(float half = 1.0f)
{
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-half, -half);
    glTexCoord2f(1, 0);
    glVertex2f(half, -half);
    glTexCoord2f(1, 1);
    glVertex2f(half, half);
    glTexCoord2f(0, 1);
    glVertex2f(-half, half);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

GLint TextureParameter(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint LevelParameter(GLenum name)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    return value;
}

class Textures : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(GlTestContext::Create(32, 32)); }
    ScopedTempDir m_dir;
};

TEST_F(Textures, JpegIsUploadedUprightWithItsParameters)
{
    ASSERT_TRUE(WriteTestJpeg("pictures/halves.jpg", 16, 16, [](int x, int y) { return TopRedBottomBlue(x, y, 16); }));
    const unsigned id = DEMOGL_TextureLoad("pictures/halves.jpg", kImageTypeJpeg, 0, GL_CLAMP, GL_CLAMP,
                                           GL_NEAREST, GL_LINEAR, false, false, 0, GL_RGB5_A1, 2);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(glIsTexture(id));
    // The name is reserved: new names never collide with it.
    GLuint other = 0;
    glGenTextures(1, &other);
    EXPECT_NE(other, id);
    glDeleteTextures(1, &other);

    ASSERT_EQ(DEMOGL_TextureUpload(id), 0);
    glBindTexture(GL_TEXTURE_2D, id);
    // Mesa's contexts have clamp-to-edge, which the library gives GL_CLAMP.
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB5_A1);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_WIDTH), 16);

    DrawTexturedQuad();
    const Rgba top = GlTestContext::Pixel(16, 28);
    const Rgba bottom = GlTestContext::Pixel(16, 3);
    EXPECT_GT(top.r, 200);
    EXPECT_LT(top.b, 40);
    EXPECT_GT(bottom.b, 200);
    EXPECT_LT(bottom.r, 40);
}

// A 4 x 4 texture multiplied into a grey frame (glBlendFunc(GL_DST_COLOR, GL_ZERO), as a
// masked layer cuts its mask) on a quad covering pixels 8..23 of the 32 x 32 view, magnified
// four times with linear filtering, so the outermost pixels sample a quarter texel from the
// texture's edge. Returns the frame's red channel along row 16 and along column 16.
struct MaskedLines
{
    std::vector<int> row;
    std::vector<int> column;
};

MaskedLines MultiplyIntoGrey(unsigned id)
{
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, id);
    DrawTexturedQuad(0.5f);
    glDisable(GL_BLEND);
    MaskedLines lines;
    for (int i = 0; i < 32; ++i)
    {
        lines.row.push_back(GlTestContext::Pixel(i, 16).r);
        lines.column.push_back(GlTestContext::Pixel(16, i).r);
    }
    return lines;
}

TEST_F(Textures, ClampedMaskLeavesNoDarkLineAlongItsQuadsEdges)
{
    // White: multiplying by it must leave the grey exactly as it was, up to the quad's edges.
    ASSERT_TRUE(WriteTestTga("white.tga", 4, 4, Solid(255, 255, 255)));
    const unsigned clamped = DEMOGL_TextureLoad("white.tga", kImageTypeTga, 0, GL_CLAMP, GL_CLAMP, GL_LINEAR,
                                                GL_LINEAR, false, false, 0, GL_RGB5_A1, 2);
    ASSERT_NE(clamped, 0u);
    ASSERT_EQ(DEMOGL_TextureUpload(clamped), 0);
    const MaskedLines lines = MultiplyIntoGrey(clamped);
    const int grey = lines.row[0];
    EXPECT_NEAR(grey, 128, 1);
    for (int i = 0; i < 32; ++i)
    {
        EXPECT_NEAR(lines.row[i], grey, 1) << "column " << i << " of row 16";
        EXPECT_NEAR(lines.column[i], grey, 1) << "row " << i << " of column 16";
    }

    // Repeat is left as asked: at the left edge the filter blends in the opposite (black) edge.
    ASSERT_TRUE(WriteTestTga("halves.tga", 4, 4, LeftRight({255, 255, 255}, {0, 0, 0}, 2)));
    const unsigned repeated = DEMOGL_TextureLoad("halves.tga", kImageTypeTga, 0, GL_REPEAT, GL_REPEAT, GL_LINEAR,
                                                 GL_LINEAR, false, false, 0, GL_RGB5_A1, 2);
    ASSERT_NE(repeated, 0u);
    ASSERT_EQ(DEMOGL_TextureUpload(repeated), 0);
    glBindTexture(GL_TEXTURE_2D, repeated);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    const MaskedLines halves = MultiplyIntoGrey(repeated);
    EXPECT_LT(halves.row[8], grey - 20) << "the left edge blends with the black right edge";
    EXPECT_NEAR(halves.row[10], grey, 3) << "inside the white half";
    EXPECT_NEAR(halves.row[4], grey, 1) << "outside the quad";

    // --strict-clamp keeps GL_CLAMP: the quarter texel of black border darkens the edge pixels.
    ASSERT_EQ(DEMOGL_TextureUnUpload(clamped), 0);
    Library().options.strictClamp = true;
    ASSERT_EQ(DEMOGL_TextureUpload(clamped), 0);
    Library().options.strictClamp = false;
    glBindTexture(GL_TEXTURE_2D, clamped);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
    const MaskedLines strict = MultiplyIntoGrey(clamped);
    for (int edge : {8, 23})
    {
        EXPECT_LT(strict.row[edge], grey - 20) << "column " << edge;
        EXPECT_LT(strict.column[edge], grey - 20) << "row " << edge;
    }
    EXPECT_NEAR(strict.row[12], grey, 1);
}

TEST_F(Textures, UnUploadFreesTheStorageAndKeepsTheName)
{
    ASSERT_TRUE(WriteTestTga("border.tga", 8, 8, Solid(0, 255, 0)));
    const unsigned id = DEMOGL_TextureLoad("border.tga", kImageTypeTga, 0, GL_REPEAT, GL_REPEAT, GL_LINEAR,
                                           GL_LINEAR, false, false, 0, 0, 2);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(DEMOGL_TextureUpload(id), 0);
    glBindTexture(GL_TEXTURE_2D, id);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_WIDTH), 8);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);

    EXPECT_EQ(DEMOGL_TextureUnUpload(id), 0);
    EXPECT_TRUE(glIsTexture(id));
    glBindTexture(GL_TEXTURE_2D, id);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_WIDTH), 0);
    GLuint other = 0;
    glGenTextures(1, &other);
    EXPECT_NE(other, id);
    glDeleteTextures(1, &other);

    // A later upload reuses the name and brings the picture back.
    ASSERT_EQ(DEMOGL_TextureUpload(id), 0);
    glBindTexture(GL_TEXTURE_2D, id);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_WIDTH), 8);
    DrawTexturedQuad();
    EXPECT_EQ(GlTestContext::Pixel(10, 10).g, 255);

    // Unknown ids are refused.
    EXPECT_NE(DEMOGL_TextureUpload(0), 0);
    EXPECT_NE(DEMOGL_TextureUnUpload(id + 1000), 0);
}

TEST_F(Textures, TgaAlphaIsKeptWithTheEightBitFormat)
{
    // 2x1 true-colour TGA with 8 alpha bits: an opaque and a half-transparent pixel.
    const std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, 8,
                                        10, 20, 30, 255, 40, 50, 60, 128};
    ASSERT_TRUE(WriteTestFile("alpha.tga", bytes));
    const unsigned id = DEMOGL_TextureLoad("alpha.tga", kImageTypeTga, 0, GL_REPEAT, GL_REPEAT, GL_NEAREST,
                                           GL_NEAREST, false, false, 0, 0, 2);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(DEMOGL_TextureUpload(id), 0);
    glBindTexture(GL_TEXTURE_2D, id);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    const std::vector<uint8_t> texels = ReadTexels(id, GL_RGBA);
    const uint8_t expected[8] = {30, 20, 10, 255, 60, 50, 40, 128};
    ASSERT_EQ(texels.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(texels[i], expected[i]) << i;
}

TEST_F(Textures, FailedLoadsGiveZeroAndOneMessageNamingTheFile)
{
    ASSERT_TRUE(WriteTestFile("garbage.jpg", std::vector<uint8_t>(100, 0x5A)));
    ASSERT_TRUE(WriteTestFile("empty.tga", {}));
    ASSERT_TRUE(WriteTestJpeg("fine.jpg", 4, 4, Solid(1, 2, 3)));
    struct Case
    {
        const char* file;
        int type;
    };
    const Case cases[] = {{"missing.jpg", kImageTypeJpeg}, {"garbage.jpg", kImageTypeJpeg},
                          {"empty.tga", kImageTypeTga},    {"fine.jpg", 2},
                          {"fine.jpg", kImageTypeTga}};
    for (const Case& c : cases)
    {
        testing::internal::CaptureStderr();
        const unsigned id = DEMOGL_TextureLoad(c.file, c.type, 0, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR,
                                               false, false, 0, GL_RGB5_A1, 2);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(id, 0u) << c.file << " as type " << c.type;
        const size_t first = errors.find(c.file);
        EXPECT_NE(first, std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "exactly one line: " << errors;
    }
}

TEST_F(Textures, ExtensionNumbersAndTheSwitchThatHidesThem)
{
    // Mesa's software renderer offers both.
    EXPECT_TRUE(DEMOGL_ExtensionCheckIfAvailable(kExtensionMultitexture));
    EXPECT_TRUE(DEMOGL_ExtensionCheckIfAvailable(kExtensionTexEnvCombine));
    EXPECT_FALSE(DEMOGL_ExtensionCheckIfAvailable(1));
    EXPECT_FALSE(DEMOGL_ExtensionCheckIfAvailable(-1));
    EXPECT_NE(wglGetProcAddress("glActiveTextureARB"), nullptr);

    Library().options.noExtensions = true;
    EXPECT_FALSE(DEMOGL_ExtensionCheckIfAvailable(kExtensionMultitexture));
    EXPECT_FALSE(DEMOGL_ExtensionCheckIfAvailable(kExtensionTexEnvCombine));
    Library().options.noExtensions = false;
}

} // namespace

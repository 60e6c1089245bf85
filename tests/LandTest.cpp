// LAND through real GL: the camera phases (placed by time for the first 4 s, moved by
// per-frame amounts after that, still from 40 s), the all-zero map as a flat black plane at
// height 0, the far edges wrapping to column and row 0, and the height-map file's messages.
#include "Land.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "EffectFixture.h"
#include "MessageRecorder.h"

namespace
{

constexpr double kScale = static_cast<double>(0.15f);

using HeightFunction = std::function<uint8_t(int column, int row)>;

std::vector<uint8_t> HeightMapBytes(const HeightFunction& height)
{
    std::vector<uint8_t> bytes(kLandMapBytes);
    for (int row = 0; row < kLandMapSize; ++row)
        for (int column = 0; column < kLandMapSize; ++column)
            bytes[row * kLandMapSize + column] = height(column, row);
    return bytes;
}

Matrix4 ExpectedModelView(Point3 eye, Point3 centre)
{
    return Multiply(LookAtMatrix(eye, centre, {0, 1, 0}), ScaleMatrix(kScale));
}

void ClearToBlue() { FillFrame({0, 0, 255}); }

Point3 AsPoint(const LandVector& v)
{
    return {v.x, v.y, v.z};
}

void ExpectNear(const LandVector& actual, Point3 expected, double tolerance, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what << ".x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what << ".y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what << ".z";
}

class Land : public EffectFixture
{
protected:
    Land() : EffectFixture(320, 240) {}

    // The effect loaded in the scratch directory from a height map and a white terrain picture.
    std::unique_ptr<CLandEffect> LoadLand(const HeightFunction& height)
    {
        EXPECT_TRUE(WriteTestFile("dat/terrain_1.raw", HeightMapBytes(height)));
        EXPECT_TRUE(WriteTestJpeg("t_terrain_1.jpg", 8, 8, Solid(255, 255, 255)));
        auto effect = std::make_unique<CLandEffect>();
        EXPECT_EQ(Init(*effect), 0);
        EXPECT_NE(effect->m_texture, 0u);
        Prepare(*effect);
        return effect;
    }

    // Draws a frame from a chosen viewpoint: the first frame starts the clock, and past 40 s
    // the camera stays wherever it is put.
    void RenderFrom(CLandEffect& effect, Point3 eye, Point3 centre)
    {
        Render(effect, 0);
        effect.m_eye = {float(eye.x), float(eye.y), float(eye.z)};
        effect.m_center = {float(centre.x), float(centre.y), float(centre.z)};
        ClearToBlue();
        Render(effect, 50000);
    }

    // The effect's camera under a model-view: near plane 0.1, far plane 500.
    View LandCamera(const Matrix4& modelView) const { return Camera(modelView, 0.1, 500); }

    // A grid point (grid units, height in map units) in the window.
    WindowPoint GridToWindow(const Matrix4& modelView, double x, double height, double z) const
    {
        return LandCamera(modelView).Project(x, height, z);
    }
};

} // namespace

TEST_F(Land, CameraIsPlacedByTimeForFourSecondsThenMovedPerFrame)
{
    // Rolling hills, so that the saved frames show a landscape.
    auto effect = LoadLand([](int column, int row) {
        return uint8_t(std::lround(64 + 63 * std::sin(column / 40.0) * std::cos(row / 50.0)));
    });
    ExpectNear(effect->m_eye, {0, 30, -200}, 0, "eye after Init");
    EXPECT_EQ(effect->m_startTime, -1);

    // The first frame starts the clock wherever the elapsed time stands: t = 0.
    ClearToBlue();
    glEnable(GL_BLEND);
    Render(*effect, 5000);
    SaveFrame("land_t0");
    EXPECT_EQ(effect->m_startTime, 5000);
    ExpectNear(effect->m_eye, {0, 30, 400}, 0, "eye at 0 s");
    ExpectNear(effect->m_center, {0, 0, 0}, 0, "centre at 0 s");
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), ExpectedModelView({0, 30, 400}, {0, 0, 0}), 1e-5));
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_PROJECTION_MATRIX), LandCamera(IdentityMatrix()).projection, 1e-6));
    // Left behind: blending and depth test as found, white, the terrain picture bound.
    EXPECT_TRUE(IsOn(GL_BLEND));
    EXPECT_FALSE(IsOn(GL_DEPTH_TEST));
    EXPECT_FALSE(IsOn(GL_TEXTURE_2D));
    const auto colour = GetFloats(GL_CURRENT_COLOR);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);
    EXPECT_EQ(static_cast<unsigned int>(GetInt(GL_TEXTURE_BINDING_2D)), effect->m_texture);
    glDisable(GL_BLEND);

    // Just below 4 s: eye near (48, 30, 80), centre near (32, 0, 0).
    ClearToBlue();
    Render(*effect, 8999);
    SaveFrame("land_t3999");
    ExpectNear(effect->m_eye, {48, 30, 80}, 0.1, "eye at 3.999 s");
    ExpectNear(effect->m_center, {32, 0, 0}, 0.1, "centre at 3.999 s");
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX),
                             ExpectedModelView(AsPoint(effect->m_eye), AsPoint(effect->m_center)), 1e-5));

    // From 4 s on, each frame adds the phase's factors times t, once per frame.
    struct Phase
    {
        long ms;
        Point3 eye;      // factors of t added to the eye per frame
        Point3 centre;   // factors of t added to the centre per frame
    };
    const Phase phases[] = {
        {4000, {0, -0.01, -0.1}, {0.05, 0.05, 0}},   {4000, {0, -0.01, -0.1}, {0.05, 0.05, 0}},
        {5499, {0, -0.01, -0.1}, {0.05, 0.05, 0}},   {5500, {0, 0, 0}, {-0.05, 0.01, 0}},
        {8000, {0, 0, 0}, {-0.05, 0.01, 0}},         {9000, {0, 0.007, 0}, {-0.05, -0.04, 0}},
        {12000, {-0.02, 0, 0.029}, {0.012, 0, 0}},   {13000, {0, 0, 0}, {0, -0.006, -0.002}},
        {16000, {-0.12, 0, 0}, {0.282, 0.182, 0}},   {32999, {-0.12, 0, 0}, {0.282, 0.182, 0}},
        {33000, {0, 0, -0.62}, {0, 0, -0.122}},      {39999, {0, 0, -0.62}, {0, 0, -0.122}},
        {40000, {0, 0, 0}, {0, 0, 0}},               {100000, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Phase& phase : phases)
    {
        SCOPED_TRACE("t = " + std::to_string(phase.ms) + " ms");
        const double t = static_cast<float>(phase.ms) * 0.001f;
        const Point3 eye = AsPoint(effect->m_eye);
        const Point3 centre = AsPoint(effect->m_center);
        Render(*effect, 5000 + phase.ms);
        ExpectNear(effect->m_eye, {eye.x + phase.eye.x * t, eye.y + phase.eye.y * t, eye.z + phase.eye.z * t},
                   1e-3, "eye");
        ExpectNear(effect->m_center,
                   {centre.x + phase.centre.x * t, centre.y + phase.centre.y * t, centre.z + phase.centre.z * t},
                   1e-3, "centre");
    }
}

TEST_F(Land, AllZeroMapIsAFlatBlackPlaneAtHeightZero)
{
    auto effect = LoadLand([](int, int) { return uint8_t(0); });
    const Point3 eye = {48, 30, 80};
    const Point3 centre = {32, 0, 0};
    RenderFrom(*effect, eye, centre);
    SaveFrame("land_flat");
    const Matrix4 modelView = ExpectedModelView(eye, centre);
    EXPECT_TRUE(MatricesNear(ReadMatrix(GL_MODELVIEW_MATRIX), modelView, 1e-5));

    // Points of the plane y = 0 across the grid are black, at the plane's depth.
    int checked = 0;
    for (int x = 40; x <= 480; x += 88)
        for (int z = 40; z <= 480; z += 88)
        {
            const WindowPoint p = GridToWindow(modelView, x, 0, z);
            if (p.x < 1 || p.y < 1 || p.x > Width() - 1 || p.y > Height() - 1)
                continue;
            ++checked;
            const Rgba pixel = PixelAt(p);
            EXPECT_LE(pixel.r + pixel.g + pixel.b, 3) << "grid point " << x << ", " << z;
            EXPECT_NEAR(DepthAt(p), p.z, 5e-5) << "grid point " << x << ", " << z;
        }
    EXPECT_GE(checked, 15);
    // Beyond the far z edge (row 0) is the blue that was there; just inside it the plane.
    const WindowPoint beyond = GridToWindow(modelView, 256, 0, -24);
    const WindowPoint inside = GridToWindow(modelView, 256, 0, 24);
    ASSERT_GT(beyond.y, inside.y + 2);
    ASSERT_LT(beyond.y, Height());
    EXPECT_EQ(PixelAt(beyond).b, 255);
    EXPECT_EQ(PixelAt(inside).b, 0);

    // Only the samples on the 16-grid are used: everything between them changes nothing.
    const std::vector<uint8_t> flat = GlTestContext::ReadRgba();
    auto noisy = LoadLand([](int column, int row) {
        return uint8_t(column % 16 == 0 && row % 16 == 0 ? 0 : 255);
    });
    RenderFrom(*noisy, eye, centre);
    EXPECT_TRUE(GlTestContext::ReadRgba() == flat);
}

TEST_F(Land, FarEdgesWrapToColumnAndRowZero)
{
    // Half the column (or row) number as height: the last strip runs from 248 at sample 496
    // down to the wrapped sample 0, so its middle is at height 124 and grey 124/256.
    struct Case
    {
        const char* name;
        HeightFunction height;
        Point3 eye, centre;                     // looking at the far edge from outside
        Point3 lastStripMiddle;                 // grid units
    };
    const Case cases[] = {
        {"x edge", [](int column, int) { return uint8_t(column / 2); }, {110, 50, 38.4}, {75, 18, 38.4},
         {504, 124, 256}},
        {"z edge", [](int, int row) { return uint8_t(row / 2); }, {38.4, 50, 110}, {38.4, 18, 75},
         {256, 124, 504}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto effect = LoadLand(c.height);
        RenderFrom(*effect, c.eye, c.centre);
        SaveFrame(std::string("land_wrap_") + (c.name[0] == 'x' ? "x" : "z"));
        const Matrix4 modelView = ExpectedModelView(c.eye, c.centre);
        const WindowPoint middle =
            GridToWindow(modelView, c.lastStripMiddle.x, c.lastStripMiddle.y, c.lastStripMiddle.z);
        const Rgba pixel = PixelAt(middle);
        const int grey = static_cast<int>(std::lround(124.0 / 256.0 * 255.0));
        EXPECT_NEAR(pixel.r, grey, 6);
        EXPECT_NEAR(pixel.g, grey, 6);
        EXPECT_NEAR(pixel.b, grey, 6);
        EXPECT_NEAR(DepthAt(middle), middle.z, 1e-4);
        // The edge itself lies at height 0, the top of the strip before it at 248.
        EXPECT_EQ(effect->m_heightMap[0], 0);
        }
}

TEST_F(Land, HeightMapFileIsReadOnceAndOnlyRealFailuresAreShown)
{
    constexpr int kSize = 4096;
    struct Case
    {
        const char* name;
        std::function<void()> makeFile;
        int bytesOfSeven;        // leading bytes that must read as 7; the rest must be 0
        const char* message;     // nullptr: no message
    };
    const Case cases[] = {
        {"missing", [] {}, 0, "Can't Find The Height Map!"},
        {"short", [] { WriteTestFile("dat/terrain_1.raw", std::vector<uint8_t>(1000, 7)); }, 1000, nullptr},
        {"empty", [] { WriteTestFile("dat/terrain_1.raw", {}); }, 0, nullptr},
        {"exact", [] { WriteTestFile("dat/terrain_1.raw", std::vector<uint8_t>(kSize, 7)); }, kSize, nullptr},
        {"longer",
         [] {
             std::vector<uint8_t> bytes(kSize, 7);
             bytes.resize(kSize + 100, 9);
             WriteTestFile("dat/terrain_1.raw", bytes);
         },
         kSize, nullptr},
        {"a directory", [] { mkdir("dat", 0755); mkdir("dat/terrain_1.raw", 0755); }, 0, "Failed To Get Data!"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ScopedTempDir dir;
        c.makeFile();
        MessageRecorder messages;
        std::vector<unsigned char> buffer(kSize + 16, 0xAA);
        LoadRawFile("dat/terrain_1.raw", kSize, buffer.data());
        if (c.message == nullptr)
        {
            EXPECT_TRUE(messages.Texts().empty());
        }
        else
        {
            ASSERT_EQ(messages.Texts().size(), 1u);
            EXPECT_EQ(messages.Texts()[0], c.message);
            EXPECT_EQ(messages.Captions()[0], "Error");
        }
        int wrong = 0;
        for (int i = 0; i < kSize; ++i)
            wrong += buffer[i] != (i < c.bytesOfSeven ? 7 : 0);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(buffer[kSize], 0xAA) << "nothing written past the size";
    }
}

TEST_F(Land, MissingFilesLeaveAFlatMapAndFramesRun)
{
    MessageRecorder messages;
    CLandEffect effect;
    EXPECT_EQ(Init(effect), 0);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], "Can't Find The Height Map!");
    int nonZero = 0;
    for (unsigned char h : effect.m_heightMap)
        nonZero += h != 0;
    EXPECT_EQ(nonZero, 0);
    EXPECT_EQ(effect.m_texture, 0u);
    Prepare(effect);
    for (long elapsed : {0L, 4500L, 20000L})
    {
        ClearToBlue();
        Render(effect, elapsed);
    }
    End(effect);
    EXPECT_EQ(messages.Texts().size(), 1u);
}

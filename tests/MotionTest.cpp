// The moving effects at one time each where every time-dependent term is far from zero and from
// its start: CREDITS' model and cards, IMAGE's second greetings card, BALLS' sixteen balls,
// SPIRAL's and SPACE's cubes and KAOS's tumbling cube. Every frame is read back twice: through
// GL's feedback mode, whose polygons must be exactly the faces the test builds from the
// effect's numbers (a wrong frequency, sign, amplitude or rotation order moves them by pixels),
// and as pixels, so the picture is known to show what the geometry says.
//
// Each time was chosen by working out every term first; the comment above each test gives
// the values. For each argument both its sine and its cosine are far from zero and from each
// other, so a sine written as a cosine shows as well as a dropped term or a swapped rate.
#include "Balls.h"
#include "Credits.h"
#include "Image.h"
#include "Kaos.h"
#include "Space.h"
#include "Spiral.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EffectFixture.h"
#include "Feedback.h"
#include "KaosPictures.h"
#include "Ms3dTestFile.h"

namespace
{

using Faces = std::vector<std::vector<Point3>>;

// ---------------------------------------------------------------------------------------------
// What every test here shares
// ---------------------------------------------------------------------------------------------

// The unit cube: corners, and each face's corners in drawing order.
constexpr Point3 kCubeCorners[8] = {{-0.5, -0.5, 0.5}, {-0.5, -0.5, -0.5}, {-0.5, 0.5, -0.5}, {-0.5, 0.5, 0.5},
                                    {0.5, -0.5, 0.5},  {0.5, -0.5, -0.5},  {0.5, 0.5, -0.5},  {0.5, 0.5, 0.5}};
constexpr int kCubeFaces[6][4] = {{0, 1, 2, 3}, {3, 2, 6, 7}, {7, 6, 5, 4}, {4, 5, 1, 0}, {5, 6, 2, 1}, {7, 4, 0, 3}};

Faces CubeFaces()
{
    Faces faces;
    for (const auto& face : kCubeFaces)
        faces.push_back({kCubeCorners[face[0]], kCubeCorners[face[1]], kCubeCorners[face[2]], kCubeCorners[face[3]]});
    return faces;
}

// A quad in the plane z = 0 from (x0, y0) to (x1, y1), corners anticlockwise from the lower left.
std::vector<Point3> Rectangle(double x0, double y0, double x1, double y1)
{
    return {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
}

Matrix4 Chain(std::initializer_list<Matrix4> matrices)
{
    Matrix4 m = IdentityMatrix();
    for (const Matrix4& next : matrices)
        m = Multiply(m, next);
    return m;
}

Matrix4 RotationX(double degrees) { return RotationMatrix(degrees, 1, 0, 0); }
Matrix4 RotationY(double degrees) { return RotationMatrix(degrees, 0, 1, 0); }
Matrix4 RotationZ(double degrees) { return RotationMatrix(degrees, 0, 0, 1); }

// Wraps an effect's cube display list in one that first sends a feedback marker, so each call
// of the cube starts a run of its own in CaptureFeedback; the effect's own list is put back when
// the wrapper goes.
class MarkedCubeList
{
public:
    explicit MarkedCubeList(unsigned int& list) : m_list(list), m_original(list)
    {
        m_wrapper = glGenLists(1);
        glNewList(m_wrapper, GL_COMPILE);
        glPassThrough(1.0f);
        glCallList(m_original);
        glEndList();
        m_list = m_wrapper;
    }
    ~MarkedCubeList()
    {
        m_list = m_original;
        glDeleteLists(m_wrapper, 1);
    }
    MarkedCubeList(const MarkedCubeList&) = delete;
    MarkedCubeList& operator=(const MarkedCubeList&) = delete;

private:
    unsigned int& m_list;
    unsigned int m_original;
    unsigned int m_wrapper = 0;
};

// What GL's default light 0 (white, directional along the view axis, no ambient of its own)
// makes of the default material (ambient 0.2, diffuse 0.8) on a face whose eye-space normal
// has this z: the scene ambient 0.2 x 0.2 plus 0.8 x the cosine to the light.
int LitLevel(double normalZ) { return static_cast<int>(std::lround(255.0 * (0.04 + 0.8 * std::max(0.0, normalZ)))); }

// What the eye sees along the ray through a pixel's centre, among unit cubes under rigid
// model-views: the eye-space normal z of the face the ray enters first, and that entry's
// distance along the view axis. Nothing when it meets no cube.
struct CubeHit
{
    double normalZ;
    double depth;
};

std::optional<CubeHit> CubeHitAt(const std::vector<Matrix4>& cubes, const Matrix4& projection, double pixelX,
                                 double pixelY, int width, int height)
{
    const double ray[3] = {((pixelX + 0.5) / width * 2.0 - 1.0) / projection[0],
                           ((pixelY + 0.5) / height * 2.0 - 1.0) / projection[5], -1.0};
    std::optional<CubeHit> nearest;
    double nearestT = INFINITY;
    for (const Matrix4& m : cubes)
    {
        // Into the cube's own frame: the transposed rotation, applied to the ray and to the eye
        // (the origin) less the cube's translation.
        double origin[3];
        double direction[3];
        for (int axis = 0; axis < 3; ++axis)
        {
            origin[axis] = -(m[axis * 4 + 0] * m[12] + m[axis * 4 + 1] * m[13] + m[axis * 4 + 2] * m[14]);
            direction[axis] = m[axis * 4 + 0] * ray[0] + m[axis * 4 + 1] * ray[1] + m[axis * 4 + 2] * ray[2];
        }
        double enter = -INFINITY;
        double leave = INFINITY;
        int enterAxis = 0;
        double enterSign = 0.0;
        for (int axis = 0; axis < 3; ++axis)
        {
            if (std::fabs(direction[axis]) < 1e-12)
            {
                if (std::fabs(origin[axis]) > 0.5)
                    enter = INFINITY;
                continue;
            }
            double t0 = (-0.5 - origin[axis]) / direction[axis];
            double t1 = (0.5 - origin[axis]) / direction[axis];
            if (t0 > t1)
                std::swap(t0, t1);
            if (t0 > enter)
            {
                enter = t0;
                enterAxis = axis;
                enterSign = direction[axis] > 0.0 ? -1.0 : 1.0;
            }
            leave = std::min(leave, t1);
        }
        if (enter > leave || enter <= 0.0 || enter >= nearestT)
            continue;
        nearestT = enter;
        // The local normal is enterSign along enterAxis; its eye-space z is that column's z.
        nearest = CubeHit{enterSign * m[enterAxis * 4 + 2], enter};
    }
    return nearest;
}

// ---------------------------------------------------------------------------------------------
// CREDITS
// ---------------------------------------------------------------------------------------------

class Credits : public EffectTest<CCreditsEffect>
{
protected:
    Credits() : EffectTest(320, 240) {}
};

// A box from lo to hi as six quads, corners anticlockwise seen from outside.
Faces BoxFaces(Point3 lo, Point3 hi)
{
    const Point3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                         {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    return {{p[4], p[5], p[6], p[7]}, {p[1], p[0], p[3], p[2]}, {p[5], p[1], p[2], p[6]},
            {p[0], p[4], p[7], p[3]}, {p[7], p[6], p[2], p[3]}, {p[0], p[1], p[5], p[4]}};
}

// Elapsed 3536 ms is t = 1.536 s. The model is shifted by 2.5 sin 1.7t = 1.26 along x and
// 5 cos 6t + 15.5 = 10.61 along z, and turned by 20 sin 3.8t = -8.6 degrees (plus 90 and 50)
// about y and by 20 sin 2.9t = -19.3 degrees (less 30) about z. The coding card widens by
// 0.3 sin 9t = 0.285 and heightens by 0.2 sin 7.5t = -0.173, the name card by 0.3 cos 7.8t =
// 0.250 and 0.2 cos 9.5t = -0.088. Every term is at least 0.43 of its amplitude.
TEST_F(Credits, ModelAndCardsSwayByEveryTermAtOnePointFiveSeconds)
{
    constexpr long kElapsed = 3536;
    const double t = static_cast<float>(kElapsed - 2000) * 0.001f;

    // A green self-lit box of side 10 off every axis, so each turn moves it.
    const Faces box = BoxFaces({5, -5, -5}, {15, 5, 5});
    Ms3dTestFile model;
    const int group = model.AddGroup(model.AddMaterial(EmissiveMaterial(0, 1, 0)));
    for (const auto& face : box)
        model.AddQuad(group, face[0], face[1], face[2], face[3], {0, 0, 1});
    ASSERT_TRUE(WriteTestFile("dat/m_headphone.ms3d", model.Bytes()));
    // Blue coding card, yellow name card.
    ASSERT_TRUE(WriteTestJpeg("txt_coding.jpg", 16, 16, Solid(0, 0, 255)));
    ASSERT_TRUE(WriteTestJpeg("txt_qv517.jpg", 16, 16, Solid(255, 255, 0)));
    ASSERT_NO_FATAL_FAILURE(Start());
    // Both cards shown at half alpha, no fade running.
    m_effect.m_showCaption = m_effect.m_showName = true;
    m_effect.m_captionAlpha = m_effect.m_nameAlpha = 0.5f;

    const Matrix4 modelView = Chain({LookAtMatrix({75, 75, 75}, {0, 0, 0}, {0, 1, 0}),
                                     TranslationMatrix(2.5 * std::sin(1.7 * t), 0, 5 * std::cos(6 * t) + 15.5),
                                     RotationY(20 * std::sin(3.8 * t) + 90), RotationY(50),
                                     RotationZ(20 * std::sin(2.9 * t) - 30)});
    const View modelCamera = Camera(modelView, 1, 1000);
    const double a = 0.3 * std::sin(9 * t);
    const double b = 0.2 * std::sin(7.5 * t);
    const double c = 0.3 * std::cos(7.8 * t);
    const double d = 0.2 * std::cos(9.5 * t);
    const View captionView = Camera(TranslationMatrix(0, 2.5, -12), 1, 1000);
    const View nameView = Camera(TranslationMatrix(1.8, -2, -12), 1, 1000);

    std::vector<ExpectedFace> expected = FacesUnder(modelCamera, box);
    expected.push_back({captionView, Rectangle(-4 - a, -1 - b, 4 + a, 1 + b)});
    expected.push_back({nameView, Rectangle(-4 - c, -1 - d, 4 + c, 1 + d)});
    const FedBackFrame drawn = CaptureFeedback([&] { Render(kElapsed); });
    ASSERT_TRUE(drawn.complete);
    EXPECT_TRUE(FacesMatch(drawn.All(), expected));

    // The picture, over a frame that is not black: the box replaces it (blending is off on
    // entry), each card adds its picture at half weight to what is there.
    const Rgb frame = {60, 90, 120};
    FillFrame(frame);
    Render(kElapsed);
    SaveFrame("motion_credits");
    const WindowPoint boxCentre = modelCamera.Project(10, 0, 0);
    EXPECT_TRUE(PixelNear(boxCentre, {0, 255, 0}, 2)) << "box";
    // Where the box stood at t = 0 there is only the frame.
    const Matrix4 atStart = Chain({LookAtMatrix({75, 75, 75}, {0, 0, 0}, {0, 1, 0}), TranslationMatrix(0, 0, 20.5),
                                   RotationY(140), RotationZ(-30)});
    EXPECT_TRUE(PixelNear(Camera(atStart, 1, 1000).Project(10, 0, 0), frame, 2)) << "box at t = 0";
    // Well inside each card, clear of the box: frame plus half the picture.
    const WindowPoint captionInside = captionView.Project(-3.5 - a, 0.7 + b, 0);
    const WindowPoint nameInside = nameView.Project(3.5 + c, -0.7 - d, 0);
    EXPECT_TRUE(PixelNear(captionInside, {60, 90, 248}, 2)) << "coding card";
    EXPECT_TRUE(PixelNear(nameInside, {188, 218, 120}, 2)) << "name card";
    // Just outside each card's swaying edge, where the card at t = 0 would reach (4 < 4 + a).
    EXPECT_TRUE(PixelNear(captionView.Project(4 + a + 0.1, 0, 0), frame, 2)) << "right of the coding card";
    EXPECT_TRUE(PixelNear(captionView.Project(-4 - a / 2, 0.7 + b, 0), {60, 90, 248}, 2)) << "coding card's widening";
}

// ---------------------------------------------------------------------------------------------
// IMAGE
// ---------------------------------------------------------------------------------------------

// Twice as wide as high: the second greetings card is 20 units wide at depth 16, where a 4:3
// view shows only +-8.84, so there its swaying corners would never be seen; here the view spans
// +-13.25 and the whole card is in it.
class Image : public EffectTest<CImageEffect>
{
protected:
    Image() : EffectTest(320, 160) {}
};

// At t = 2988 ms the corners sway by w = 0.2 sin(t / 75) + 0.3 sin(t / 90) = 0.2 x 0.842 +
// 0.3 x 0.977 = 0.462 (the cosines are -0.540 and -0.212): the lower left corner and the right
// edge move in by almost half a unit, the upper left corner stays.
TEST_F(Image, SecondGreetingsCornersSwayAtThreeSeconds)
{
    constexpr long kElapsed = 2988;
    ASSERT_TRUE(WriteTestJpeg("images/i_hp_glow_image.jpg", 16, 16, Solid(255, 255, 255)));
    ASSERT_TRUE(WriteTestJpeg("images/i_hp_glow_mask.jpg", 16, 16, Solid(255, 255, 255)));
    ASSERT_TRUE(WriteTestJpeg("images/i_greetings_01.jpg", 64, 64, Solid(255, 255, 255)));
    ASSERT_TRUE(WriteTestJpeg("images/i_greetings_02.jpg", 64, 64, Solid(0, 255, 0)));
    ASSERT_NO_FATAL_FAILURE(Start());
    Send("GREETZ2", 0);

    const double t = static_cast<float>(kElapsed);
    const double w = 0.2 * std::sin(t / 75) + 0.3 * std::sin(t / 90);
    const View view = Camera(TranslationMatrix(0, 0, -16), static_cast<double>(0.1f), 100);
    const FedBackFrame drawn = CaptureFeedback([&] { Render(kElapsed); });
    ASSERT_TRUE(drawn.complete);
    EXPECT_TRUE(FacesMatch(drawn.All(), {{view, {{w - 10, -4, 0}, {10 - w, -4, 0}, {10 - w, 4, 0}, {-10, 4, 0}}}}));

    Render(kElapsed);
    SaveFrame("motion_image_greetings2");
    const Rgb green = {0, 255, 0};
    const Rgb black = {0, 0, 0};
    EXPECT_TRUE(PixelNear(view.Project(0, 0, 0), green, 2));
    // The right edge has come in from 10 to 10 - w, the lower left corner from -10 to w - 10;
    // the upper left corner is where it was.
    EXPECT_TRUE(PixelNear(view.Project(10 - 2 * w, 0, 0), green, 2));
    EXPECT_TRUE(PixelNear(view.Project(10 - w / 2, 0, 0), black, 0));
    EXPECT_TRUE(PixelNear(view.Project(-10 + w / 2, -3.8, 0), black, 0));
    EXPECT_TRUE(PixelNear(view.Project(-9.7, 3.7, 0), green, 2));
}

// ---------------------------------------------------------------------------------------------
// BALLS
// ---------------------------------------------------------------------------------------------

class Balls : public EffectTest<CBallsEffect>
{
protected:
    Balls() : EffectTest(640, 480) {}
};

// Elapsed 26441 ms is u = 13.221. The centre is at (1.5 sin 2.7u, 0.5 sin 3.9u,
// -(sin 3u + 8.5)) = (-1.36, 0.48, -9.42); the frame is tumbled by 360 sin 1.4u = -120.1
// degrees about x and 520 sin 0.9u = -321.9 about y (neither near a multiple of 90); the rings'
// radii are 1.2 sin 3.9u + 1.5 = 2.66 and 1.2 cos 4.6u + 1.5 = 0.98, against 1.5 and 2.7 at the
// start. Every sine and cosine here is at least 0.33 of its amplitude.
TEST_F(Balls, SixteenBallsFollowCentreTumbleAndRadiiAtTwentySixSeconds)
{
    constexpr long kElapsed = 26441;
    // Black with a white dot in the middle: each ball shows as a spot at its centre.
    ASSERT_TRUE(WriteTestJpeg("lightball.jpg", 64, 64, [](int x, int y) {
        const bool dot = x >= 28 && x < 36 && y >= 28 && y < 36;
        return dot ? Rgb8{255, 255, 255} : Rgb8{0, 0, 0};
    }));
    ASSERT_NO_FATAL_FAILURE(Start());
    SetFogColour({0, 0, 0});

    const double u = (kElapsed + 1) * 0.0005;
    const double ax = 360 * std::sin(1.4 * u);
    const double ay = 520 * std::sin(0.9 * u);
    const double r1 = 1.2 * std::sin(3.9 * u) + 1.5;
    const double r2 = 1.2 * std::cos(4.6 * u) + 1.5;
    const Matrix4 tumbled = Chain({TranslationMatrix(1.5 * std::sin(2.7 * u), 0.5 * std::sin(3.9 * u),
                                                     -(std::sin(3 * u) + 8.5)),
                                   RotationX(ax), RotationY(ay)});
    std::vector<ExpectedFace> expected;
    std::vector<Point3> centres;   // eye space
    for (int ring = 0; ring < 2; ++ring)
        for (int i = 0; i < 8; ++i)
        {
            const double angle = i * 0.78539815;
            const Matrix4 onRing = ring == 0 ? TranslationMatrix(r1 * std::sin(angle), r1 * std::cos(angle), 0)
                                             : TranslationMatrix(0, r2 * std::cos(angle), r2 * std::sin(angle));
            const Matrix4 ball = Chain({tumbled, onRing, RotationY(-ay), RotationX(-ax)});
            expected.push_back({Camera(ball, 0.1, 100), Rectangle(-1, -1, 1, 1)});
            centres.push_back(Transform(ball, {0, 0, 0}));
        }
    const FedBackFrame drawn = CaptureFeedback([&] { Render(kElapsed); });
    ASSERT_TRUE(drawn.complete);
    EXPECT_TRUE(FacesMatch(drawn.All(), expected));

    Render(kElapsed);
    SaveFrame("motion_balls");
    // Each spot that no other spot comes near shows white dimmed by fog of density 0.1.
    int spots = 0;
    for (size_t i = 0; i < centres.size(); ++i)
    {
        const WindowPoint at = EyeToWindow(centres[i].x, centres[i].y, centres[i].z);
        const bool alone = std::none_of(centres.begin(), centres.end(), [&](const Point3& other) {
            const WindowPoint there = EyeToWindow(other.x, other.y, other.z);
            return &other != &centres[i] && std::hypot(there.x - at.x, there.y - at.y) < 40;
        });
        if (!alone)
            continue;
        ++spots;
        const int level = static_cast<int>(std::lround(255.0 * std::exp(-0.1 * -centres[i].z)));
        EXPECT_TRUE(PixelNear(at, {level, level, level}, 8)) << "ball " << i;
    }
    EXPECT_GE(spots, 6);
}

// ---------------------------------------------------------------------------------------------
// SPIRAL and SPACE
// ---------------------------------------------------------------------------------------------

// Feedback of a frame whose cubes are drawn from the effect's cube list, one run per call, each
// matched against the cube expected at that call; then the pixels at the centres of cubes in
// view, which must show the lit face of the nearest cube. Returns how many cubes were in view.
int ExpectCubes(unsigned int& cubeList, const std::function<void()>& render, const Matrix4& projection,
                const std::vector<Matrix4>& cubes, int width, int height, double farthestProbe,
                const std::string& frameName)
{
    FedBackFrame drawn;
    {
        const MarkedCubeList marked(cubeList);
        drawn = CaptureFeedback(render);
    }
    EXPECT_TRUE(drawn.complete);
    EXPECT_EQ(drawn.runs.size(), cubes.size() + 1) << "one run per cube call";
    EXPECT_TRUE(drawn.runs[0].empty()) << "nothing before the first cube";
    int inView = 0;
    for (size_t k = 0; k < cubes.size() && k + 1 < drawn.runs.size(); ++k)
    {
        const View view{projection, cubes[k], width, height};
        EXPECT_TRUE(FacesMatch(drawn.runs[k + 1], FacesUnder(view, CubeFaces()))) << "cube call " << k;
        inView += drawn.runs[k + 1].empty() ? 0 : 1;
    }

    render();
    SaveFrame(frameName);
    int probed = 0;
    for (const Matrix4& cube : cubes)
    {
        const WindowPoint at = ProjectToWindow(projection, cube, {0, 0, 0}, width, height);
        if (at.x < 2 || at.y < 2 || at.x > width - 3 || at.y > height - 3 || at.z <= 0 || at.z >= 1)
            continue;
        const std::optional<CubeHit> hit =
            CubeHitAt(cubes, projection, std::floor(at.x), std::floor(at.y), width, height);
        if (!hit || hit->depth > farthestProbe || hit->depth < 1.0 || hit->normalZ < 0.3)
            continue;
        const int level = LitLevel(hit->normalZ);
        EXPECT_TRUE(PixelNear(at, {level, level, level}, 6)) << "cube centre " << at.x << ", " << at.y;
        ++probed;
    }
    EXPECT_GE(probed, 10);
    return inView;
}

class Spiral : public EffectTest<CSpiralEffect>
{
protected:
    Spiral() : EffectTest(640, 480) {}
};

// At T = 2786 ms the spiral has turned by T / 7 = 398 degrees (38 past a full turn), each cube
// is spun by T / 9 = 309.6 degrees about y and T / 12 = 232.2 about z, and the slide is
// (sin(T / 1400) + 1) x 50 = 95.7 (sine 0.913, cosine -0.407): no angle is near a multiple of
// 90 degrees, and the nearest cubes in front of the eye are pair 64 on.
TEST_F(Spiral, CubesTurnSpinAndSlideAtTwoPointEightSeconds)
{
    constexpr long kElapsed = 2786;
    ASSERT_TRUE(WriteTestJpeg("spiral/t_cube_1.jpg", 16, 16, Solid(255, 255, 255)));
    ASSERT_NO_FATAL_FAILURE(Start());
    SetFogColour({255, 0, 0});

    const double T = kElapsed;
    const double slide = (std::sin(T / 1400) + 1) * 50;
    std::vector<Matrix4> cubes;
    for (int i = 0; i < 150; ++i)
    {
        const double phi = i * 0.04 * 6.283185;
        const double x = 4 * std::sin(phi);
        const double y = 3.5 * std::cos(phi);
        const Matrix4 first =
            Chain({RotationZ(T / 7), TranslationMatrix(x, y, slide - 1.5 * i), RotationY(T / 9), RotationZ(T / 12)});
        cubes.push_back(first);
        cubes.push_back(Multiply(first, TranslationMatrix(-2 * x, -2 * y, 0)));
    }
    // Fog starts at 100: the probes stay nearer.
    const int inView = ExpectCubes(m_effect.m_cubeList, [&] { Render(kElapsed); }, Eye(0.1, 200).projection, cubes,
                                   Width(), Height(), 95.0, "motion_spiral");
    EXPECT_GE(inView, 60);
}

class Space : public EffectTest<CSpaceEffect>
{
protected:
    Space() : EffectTest(640, 480) {}
};

// At T = 19691 ms each cube spins by T / 6 = 41.8 degrees (mod 360) about y and T / 7 = 293.0
// about z, and the whole helix turns by -293.0 about z: no two of these agree, so a lost minus
// sign shows. The eye is at (2 + 2 sin(T / 500), 3 cos(T / 720) - 1, 50) = (3.99, -2.80, 50)
// looking at (0, sin(T / 1100), -10) = (0, -0.81, -10).
TEST_F(Space, CubesSpinAndHelixCounterTurnsAtNineteenSeconds)
{
    constexpr long kElapsed = 19691;
    ASSERT_TRUE(WriteTestJpeg("spiral/t_cube_2.jpg", 16, 16, Solid(255, 255, 255)));
    ASSERT_NO_FATAL_FAILURE(Start());

    const double T = kElapsed;
    const Matrix4 camera = LookAtMatrix({2 + 2 * std::sin(0.002 * T), 3 * std::cos(T / 720) - 1, 50},
                                        {0, std::sin(T / 1100), -10}, {0, 1, 0});
    std::vector<Matrix4> cubes;
    for (int i = 0; i < 120; ++i)
    {
        const double phi = i * 0.06666667 * 6.283185;
        cubes.push_back(Chain({camera, RotationZ(-T / 7), TranslationMatrix(2.3 * std::sin(phi), 2.8 * std::cos(phi), i),
                               RotationY(T / 6), RotationZ(T / 7)}));
    }
    const int inView = ExpectCubes(m_effect.m_cubeList, [&] { Render(kElapsed); }, Eye(0.1, 200).projection, cubes,
                                   Width(), Height(), 200.0, "motion_space");
    EXPECT_GE(inView, 40);
}

// ---------------------------------------------------------------------------------------------
// KAOS
// ---------------------------------------------------------------------------------------------

class Kaos : public EffectTest<CKaosEffect>
{
protected:
    Kaos() : EffectTest(320, 240) {}
};

// With P = 60000 / 142 ms (422.535), at t = 15302 ms the cube is turned by 90 sin(t / 2P) = -60.8
// degrees about x, then 180 cos(t / 3P) = 158.4 about y, then 180 sin(t / 4P) = 65.3 about z,
// and sits at (0.3 sin c, 0.3 cos c, 0.4 sin(t / P) - 3.5) = (-0.275, -0.119, -3.899) with
// c = t / 0.75P. Every sine and cosine is at least 0.36 of its amplitude, and no two angles
// are within 20 degrees of each other, so turns taken in another order show.
TEST_F(Kaos, CubeTumblesByAllThreeTurnsAtFifteenSeconds)
{
    constexpr long kElapsed = 15302;
    // The cube red, its gloss blue; the rest is never drawn here.
    for (int i = 0; i < kKaosTextureCount; ++i)
        ASSERT_TRUE(WriteTestJpeg(kKaosPictureFiles[i], 16, 16, i == 11 ? Solid(255, 0, 0) : Solid(0, 0, 255)));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(m_effect.m_multitexture);

    const double t = kElapsed;
    const double P = 422.53521728515625;
    const double c = t / (0.75 * P);
    const Matrix4 cube = Chain({TranslationMatrix(0.3 * std::sin(c), 0.3 * std::cos(c), 0.4 * std::sin(t / P) - 3.5),
                                RotationX(90 * std::sin(t / (2 * P))), RotationY(180 * std::cos(t / (3 * P))),
                                RotationZ(180 * std::sin(t / (4 * P)))});
    const View view = Camera(cube, 0.1, 200);
    const WindowPoint centre = view.Project(0, 0, 0);
    const std::optional<CubeHit> hit = CubeHitAt({cube}, view.projection, std::floor(centre.x), std::floor(centre.y),
                                                 Width(), Height());
    ASSERT_TRUE(hit.has_value());
    const int lit = LitLevel(hit->normalZ);

    struct Mode
    {
        int mode;
        int passes;       // the cube's faces are sent once per pass
        Rgb overGreen;    // the cube's centre over a frame of green 128
    };
    // Two passes: the lit red base replaces the frame, the lit blue gloss is added. One pass:
    // the lit base plus the unlit gloss are added to the frame.
    const Mode modes[] = {{1, 2, {lit, 0, lit}}, {2, 1, {lit, 128, 255}}};
    for (const Mode& mode : modes)
    {
        SCOPED_TRACE("mode " + std::to_string(mode.mode));
        Send("TCUBE", mode.mode);
        const FedBackFrame drawn = CaptureFeedback([&] { Render(kElapsed); });
        ASSERT_TRUE(drawn.complete);
        std::vector<ExpectedFace> expected;
        for (int pass = 0; pass < mode.passes; ++pass)
        {
            const std::vector<ExpectedFace> faces = FacesUnder(view, CubeFaces());
            expected.insert(expected.end(), faces.begin(), faces.end());
        }
        EXPECT_TRUE(FacesMatch(drawn.All(), expected));

        FillFrame({0, 128, 0});
        Render(kElapsed);
        SaveFrame("motion_kaos_cube_mode" + std::to_string(mode.mode));
        EXPECT_TRUE(PixelNear(centre, mode.overGreen, 8));
    }
}

} // namespace

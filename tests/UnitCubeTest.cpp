// The unit cube: the geometry of its three tables, and its display list drawn through real GL
// from each of the six sides.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "GlChecks.h"
#include "UnitCube.h"

namespace {

struct Cube
{
    int faces[6][4];
    float vertices[8][3];
    float normals[6][3];

    Cube() { FillUnitCube(faces, vertices, normals); }
};

struct Vec3
{
    double x, y, z;
};

Vec3 Sub(const float* a, const float* b)
{
    return Vec3{double(a[0]) - b[0], double(a[1]) - b[1], double(a[2]) - b[2]};
}

Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const Vec3& a, const float* b)
{
    return a.x * b[0] + a.y * b[1] + a.z * b[2];
}

} // namespace

TEST(UnitCube, NormalsPointOutwardOnePerAxisDirection)
{
    const Cube cube;
    std::set<std::vector<int>> directions;
    for (int f = 0; f < 6; ++f)
    {
        const float* n = cube.normals[f];
        EXPECT_DOUBLE_EQ(std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]), 1.0) << "face " << f;
        directions.insert({int(n[0]), int(n[1]), int(n[2])});
        // Every corner of the face lies in the plane half a unit out along its normal.
        for (int k = 0; k < 4; ++k)
        {
            const float* corner = cube.vertices[cube.faces[f][k]];
            EXPECT_DOUBLE_EQ(corner[0] * n[0] + corner[1] * n[1] + corner[2] * n[2], 0.5) << "face " << f;
        }
    }
    EXPECT_EQ(directions.size(), 6u);
}

TEST(UnitCube, FacesRunClockwiseSeenFromOutside)
{
    const Cube cube;
    for (int f = 0; f < 6; ++f)
    {
        std::set<int> corners;
        for (int k = 0; k < 4; ++k)
        {
            corners.insert(cube.faces[f][k]);
            const float* a = cube.vertices[cube.faces[f][k]];
            const float* b = cube.vertices[cube.faces[f][(k + 1) % 4]];
            const float* c = cube.vertices[cube.faces[f][(k + 2) % 4]];
            // Counter-clockwise turns, seen from where the normal points, would give +1.
            EXPECT_DOUBLE_EQ(Dot(Cross(Sub(b, a), Sub(c, b)), cube.normals[f]), -1.0) << "face " << f << " corner " << k;
        }
        EXPECT_EQ(corners.size(), 4u) << "face " << f;
    }
}

TEST(UnitCube, CornersAreDistinctAndAtSqrtThreeQuartersFromTheCentre)
{
    const Cube cube;
    std::set<std::vector<float>> distinct;
    int uses[8] = {};
    for (int v = 0; v < 8; ++v)
    {
        const float* p = cube.vertices[v];
        EXPECT_NEAR(std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]), std::sqrt(0.75), 1e-9);
        distinct.insert({p[0], p[1], p[2]});
    }
    EXPECT_EQ(distinct.size(), 8u);
    for (const auto& face : cube.faces)
        for (int corner : face)
            ++uses[corner];
    for (int v = 0; v < 8; ++v)
        EXPECT_EQ(uses[v], 3) << "vertex " << v;
}

namespace {

// A 2 x 2 texture with one colour per corner of texture space: (0,0) red, (1,0) green,
// (1,1) blue, (0,1) yellow.
const unsigned char kCornerColours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};

GLuint MakeCornerTexture()
{
    // Texel rows run from t = 0 upwards: row 0 holds (0,0) and (1,0).
    const unsigned char texels[12] = {255, 0, 0, 0, 255, 0, 255, 255, 0, 0, 0, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

} // namespace

// Looks at the cube straight along each face's normal, lit from the eye, and checks near each
// corner of the facing face the texture colour of that corner at full brightness: the face is
// in the list, its normal faces out and its texture coordinates are where they belong.
TEST(UnitCube, ListDrawsEverySideLitAndTextured)
{
    const int size = 64;
    ASSERT_TRUE(GlTestContext::Create(size, size));
    const Cube cube;
    const GLuint texture = MakeCornerTexture();
    const GLuint list = CompileUnitCube(cube.faces, cube.vertices, cube.normals);
    ASSERT_NE(list, 0u);
    ASSERT_TRUE(glIsList(list));

    const Matrix4 projection = OrthoMatrix(-1, 1, -1, 1, 0.1, 10);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat eyeLight[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, eyeLight);
    const GLfloat black[4] = {0, 0, 0, 1};
    const GLfloat white[4] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);

    for (int f = 0; f < 6; ++f)
    {
        const float* n = cube.normals[f];
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        const bool vertical = n[1] != 0.0f;
        const View view{projection,
                        LookAtMatrix({3.0 * n[0], 3.0 * n[1], 3.0 * n[2]}, {0, 0, 0},
                                     {0, vertical ? 0.0 : 1.0, vertical ? 1.0 : 0.0}),
                        size, size};
        glLoadMatrixd(view.modelView.data());
        glCallList(list);

        for (int k = 0; k < 4; ++k)
        {
            // 70 % of the way from the face's centre to the corner.
            const float* corner = cube.vertices[cube.faces[f][k]];
            const WindowPoint p = view.Project(0.7 * corner[0] + 0.3 * 0.5 * n[0], 0.7 * corner[1] + 0.3 * 0.5 * n[1],
                                               0.7 * corner[2] + 0.3 * 0.5 * n[2]);
            const unsigned char* expected = kCornerColours[k];
            EXPECT_TRUE(PixelNear(p, {expected[0], expected[1], expected[2]}, 3)) << "face " << f << " corner " << k;
        }
    }

    // The list changes no state: the texture binding and the enables are the caller's.
    EXPECT_EQ(static_cast<GLuint>(GetInt(GL_TEXTURE_BINDING_2D)), texture);
    EXPECT_TRUE(IsOn(GL_TEXTURE_2D));
    EXPECT_TRUE(IsOn(GL_LIGHTING));
    EXPECT_TRUE(NoGlError("drawing the cube"));

    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDeleteLists(list, 1);
    glDeleteTextures(1, &texture);
}

TEST(UnitCube, EachCompileDeletesTheListItSupersedes)
{
    ASSERT_TRUE(GlTestContext::Create(16, 16));
    const Cube cube;
    // As an effect does on every Prepare: the new list replaces the one in m_cubeList.
    GLuint current = CompileUnitCube(cube.faces, cube.vertices, cube.normals, 0);
    std::set<GLuint> names = {current};
    for (int prepare = 0; prepare < 5; ++prepare)
    {
        current = CompileUnitCube(cube.faces, cube.vertices, cube.normals, current);
        ASSERT_NE(current, 0u);
        names.insert(current);
    }
    for (GLuint name : names)
        EXPECT_EQ(glIsList(name) == GL_TRUE, name == current) << name;
    glDeleteLists(current, 1);
    EXPECT_TRUE(NoGlError("compiling the cube"));
}
